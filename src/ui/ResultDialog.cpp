#include "ui/ResultDialog.h"
#include "ui/WaitCursor.h"

#include "case/ResultTable.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"
#include "table/TableLogic.h"
#include "ui/DialogUnits.h"
#include "ui/FileCaseDialog.h"
#include "ui/HelpContext.h"
#include "ui/HelpViewer.h"
#include "ui/IconPushButton.h"
#include "ui/RankingChart.h"
#include "ui/TablePrinter.h"
#include "ui/TableView.h"
#include "ui/TextCodec.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QIcon>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QShortcut>
#include <QVBoxLayout>

#include <unordered_map>

namespace tessalyn {

namespace {

constexpr int kDialogWidthDlu = 338;
constexpr int kDialogHeightDlu = 159;
constexpr int kHeaderRows = 2;
constexpr int kHeaderColumns = 2;
// Columns whose widths are kept in "Spalten/Ergebnis": the two header columns.
constexpr int kStoredColumns = 2;

QString captionText() {
    return QStringLiteral("Ergebnis der Auswertung");
}

} // namespace

// Redraws the chart whenever the table reorders its columns (a header click),
// so the bars always stand in the table's order.
class ResultDialog::ChartFollower : public TableObserver {
public:
    explicit ChartFollower(ResultDialog* dialog) : dialog_(dialog) {}
    void structureChanged() override { dialog_->updateChart(); }

private:
    ResultDialog* dialog_;
};

ResultDialog::ResultDialog(const RepertoryData& data, EvaluationResult& result,
                           const ProgramSettings& settings, const std::optional<QFont>& tableFont,
                           SettingsStore& store, const QString& historyPath, QWidget* parent)
    : QDialog(parent), data_(data), result_(result), settings_(settings), tableFont_(tableFont),
      store_(store), historyPath_(historyPath), evaluationName_(result.caseName) {
    setObjectName(QStringLiteral("ResultDialog"));
    setWindowTitle(captionText());
    setWindowIcon(QIcon(QStringLiteral(":/icons/tessalyn.svg")));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);
    setHelpContext(this, help::kResultView);
    if (result_.data == nullptr) {
        result_.data = &data_;
    }

    buildControls();
    setInitialDialogSize(this, kDialogWidthDlu, kDialogHeightDlu);
    fillTable();

    restorePlacement(this, store_, settings::kPlacementResult);
    restoreColumnWidths(settings_, table_->logic(), store_, settings::kColumnsResult,
                        kStoredColumns);

    const bool chartOn = store_.readInt(settings::kApplication, settings::kRankingChart, 1) != 0;
    chartToggle_->setChecked(chartOn);
    chart_->setVisible(chartOn);
    connect(chartToggle_, &QCheckBox::toggled, this, &ResultDialog::setChartShown);

    chartFollower_ = std::make_unique<ChartFollower>(this);
    table_->logic().addObserver(chartFollower_.get());
    updateChart();
    table_->setFocus();
}

ResultDialog::~ResultDialog() {
    table_->logic().removeObserver(chartFollower_.get());
}

void ResultDialog::buildControls() {
    chart_ = new RankingChart(this);
    table_ = new TableView(this);
    table_->setObjectName(QStringLiteral("resultTable"));

    auto* nameLabel = new QLabel(QStringLiteral("Name der Auswertung"), this);
    nameEdit_ = new QLineEdit(this);
    nameEdit_->setObjectName(QStringLiteral("evaluationName"));
    nameEdit_->setText(toQString(evaluationName_));
    nameLabel->setBuddy(nameEdit_);
    chartToggle_ = new QCheckBox(QStringLiteral("&Balkendiagramm"), this);
    chartToggle_->setObjectName(QStringLiteral("chartToggle"));
    auto* nameRow = new QHBoxLayout;
    nameRow->addWidget(nameLabel);
    nameRow->addWidget(nameEdit_, 1);
    nameRow->addWidget(chartToggle_);

    backButton_ = new IconPushButton(QStringLiteral("&Zurück"), QStringLiteral("zurueck"), this);
    backButton_->setObjectName(QStringLiteral("backButton"));
    printButton_ = new IconPushButton(QStringLiteral("&Drucken"), QStringLiteral("drucken"), this);
    printButton_->setObjectName(QStringLiteral("printButton"));
    fileButton_ = new IconPushButton(QStringLiteral("&Ablegen"), QStringLiteral("ablegen"), this);
    fileButton_->setObjectName(QStringLiteral("fileButton"));
    helpButton_ = new IconPushButton(QStringLiteral("&Hilfe"), QStringLiteral("hilfe"), this);
    helpButton_->setObjectName(QStringLiteral("helpButton"));
    newButton_ = new IconPushButton(QStringLiteral("&Neu"), QStringLiteral("neu"), this);
    newButton_->setObjectName(QStringLiteral("newButton"));
    // Enter always means "&Zurück", whichever button has the focus.
    for (IconPushButton* b : {printButton_, fileButton_, helpButton_, newButton_}) {
        b->setAutoDefault(false);
    }
    backButton_->setDefault(true);
    // Created hidden, reached through Alt+X (a hidden button's own mnemonic
    // would not react).
    copyButton_ = new QPushButton(QStringLiteral("&X Copy to Clipboard"), this);
    copyButton_->setObjectName(QStringLiteral("copyButton"));
    copyButton_->setAutoDefault(false);
    copyButton_->hide();
    auto* copyShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_X), this);

    auto* buttons = new QHBoxLayout;
    for (QPushButton* b :
         {static_cast<QPushButton*>(backButton_), static_cast<QPushButton*>(printButton_),
          static_cast<QPushButton*>(fileButton_), static_cast<QPushButton*>(helpButton_),
          static_cast<QPushButton*>(newButton_), copyButton_}) {
        buttons->addWidget(b);
    }
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    // The chart takes a quarter of the height the dialog gains, the table the rest.
    layout->addWidget(chart_, 1);
    layout->addWidget(table_, 3);
    layout->addLayout(nameRow);
    layout->addLayout(buttons);

    connect(backButton_, &QPushButton::clicked, this, &ResultDialog::accept);
    connect(printButton_, &QPushButton::clicked, this, [this] { printResult(); });
    connect(fileButton_, &QPushButton::clicked, this, [this] { fileCase(); });
    connect(helpButton_, &QPushButton::clicked, this,
            [this] { showHelpOrReport(help::kResultView, this); });
    connect(newButton_, &QPushButton::clicked, this, &ResultDialog::discardCase);
    connect(copyButton_, &QPushButton::clicked, this, &ResultDialog::copyToClipboard);
    connect(copyShortcut, &QShortcut::activated, this, &ResultDialog::copyToClipboard);
    auto* f1 = new QShortcut(QKeySequence::HelpContents, this);
    connect(f1, &QShortcut::activated, this, [this] { showHelpOrReport(help::kResultView, this); });

    connect(chart_, &RankingChart::barClicked, this, [this](int column) {
        table_->setFocusCell(kHeaderRows, column);
        table_->ensureVisible(std::max(kHeaderRows, table_->focusRow()), column);
        table_->setFocus();
    });
    connect(table_, &TableView::focusCellChanged, this, [this](int, int col) {
        if (col >= kHeaderColumns) {
            chart_->ensureBarVisible(col - kHeaderColumns);
        }
    });
}

void ResultDialog::fillTable() {
    WaitCursor wait;
    if (tableFont_) {
        table_->setFont(*tableFont_);
    }
    fillResultTable(table_->logic(), result_);
    table_->setCaptionOwner(this, captionText());
    table_->autoSizeColumns(kHeaderColumns);
}

std::vector<RankingBar> ResultDialog::currentBars() const {
    // The remedy of each column is found by its abbreviation, which moves
    // with the column when the table re-sorts.
    std::unordered_map<std::string, const RemedyScore*> scoreOf;
    for (int c = 0; c <= result_.lastScoreIndex && c < kRemedyCount; ++c) {
        const RemedyScore& score = result_.scores[static_cast<std::size_t>(c)];
        scoreOf.emplace(data_.abbreviation(score.remedy), &score);
    }
    const TableLogic& logic = table_->logic();
    std::vector<RankingBar> bars;
    for (int col = kHeaderColumns; col < logic.columnCount(); ++col) {
        const std::string& abbreviation = logic.rawCellText(0, col);
        const auto it = scoreOf.find(abbreviation);
        if (it == scoreOf.end() || it->second->hits <= 0) {
            continue;
        }
        bars.push_back(
            RankingBar{toQString(abbreviation), it->second->hits, it->second->gradeSum, col});
    }
    return bars;
}

void ResultDialog::updateChart() {
    chart_->setBars(currentBars());
}

bool ResultDialog::chartShown() const {
    return chartToggle_->isChecked();
}

void ResultDialog::setChartShown(bool shown) {
    if (chartToggle_->isChecked() != shown) {
        chartToggle_->setChecked(shown); // comes back here through toggled
        return;
    }
    chart_->setVisible(shown);
    store_.writeInt(settings::kApplication, settings::kRankingChart, shown ? 1 : 0);
}

QString ResultDialog::printTitle() const {
    const QDate date = printDate_.isValid() ? printDate_ : QDate::currentDate();
    return toQString(evaluationName_) + QLatin1Char(' ') +
           date.toString(QStringLiteral("dd.MM.yyyy"));
}

void ResultDialog::takeName() {
    evaluationName_ = fromQString(nameEdit_->text());
}

void ResultDialog::storeState() {
    storePlacement(this, store_, settings::kPlacementResult);
    storeColumnWidths(settings_, table_->logic(), store_, settings::kColumnsResult, kStoredColumns);
}

void ResultDialog::accept() {
    storeState();
    takeName();
    done(QDialog::Accepted);
}

void ResultDialog::reject() {
    storeState();
    if (honourEscapeSetting_ && !settings_.escapeDiscards) {
        takeName();
        done(QDialog::Accepted);
    } else {
        done(QDialog::Rejected);
    }
}

void ResultDialog::discardCase() {
    honourEscapeSetting_ = false;
    reject();
}

bool ResultDialog::printResult() {
    takeName();
    const bool noGrey = settings_.noGreyInPrint;
    if (noGrey) {
        table_->setDefaultHeaderBackground(QColor(Qt::white));
    }
    table_->setCellText(0, 0, fromQString(printTitle()));
    const bool printed = printTable(*table_, this);
    // Undone also when the dialog was cancelled or the job failed.
    table_->setCellText(0, 0, std::string());
    if (noGrey) {
        table_->setDefaultHeaderBackground(std::nullopt);
    }
    return printed;
}

bool ResultDialog::fileCase() {
    takeName();
    FileCaseDialog dialog(historyPath_, evaluationName_, store_, this);
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    return fileCaseInHistory(historyPath_, dialog.caseName(), dialog.comment(), result_.entries,
                             this);
}

void ResultDialog::copyToClipboard() {
    table_->setCellSelection(true);
    table_->selectAll();
    table_->copySelection();
    table_->setCellSelection(false);
}

} // namespace tessalyn
