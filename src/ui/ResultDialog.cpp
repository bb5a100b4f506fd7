#include "ui/ResultDialog.h"
#include "ui/WaitCursor.h"

#include "case/ResultTable.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"
#include "table/ColumnFit.h"
#include "table/TableLogic.h"
#include "ui/DialogSetup.h"
#include "ui/DialogUnits.h"
#include "ui/FileCaseDialog.h"
#include "ui/HelpViewer.h"
#include "ui/IconPushButton.h"
#include "ui/PdfExport.h"
#include "ui/RankingChart.h"
#include "ui/ResultReport.h"
#include "ui/TablePrinter.h"
#include "ui/TableView.h"
#include "ui/TextCodec.h"
#include "ui/WindowPlacement.h"

#include <QApplication>
#include <QCheckBox>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QPainter>
#include <QPdfWriter>
#include <QShortcut>
#include <QStyle>
#include <QVBoxLayout>

#include <algorithm>
#include <unordered_map>

namespace tessalyn {

namespace {

constexpr int kDialogWidthDlu = 338;
constexpr int kDialogHeightDlu = 159;
constexpr int kHeaderRows = 2;
constexpr int kHeaderColumns = 2;
// Columns whose widths are kept in "Spalten/Ergebnis": the two header columns.
constexpr int kStoredColumns = 2;
// What the view opens large enough to show, without a stored placement.
constexpr int kReadableRemedyColumns = 10;
constexpr int kReadableRubricRows = 8;
// Narrowest a header column is made to leave room for the remedy columns,
// in average characters of the table font.
constexpr int kHeaderColumnMinimumChars = 8;

QString captionText() {
    return QStringLiteral("Ergebnis der Auswertung");
}

// In the order they stand at the bottom left.
constexpr IconButtonEntry kButtons[] = {
    {"&Zurück", "zurueck", "backButton"}, {"&Drucken", "drucken", "printButton"},
    {"Als &PDF…", "pdf", "pdfButton"},    {"&Ablegen", "ablegen", "fileButton"},
    {"&Hilfe", "hilfe", "helpButton"},    {"&Neu", "neu", "newButton"},
};

// The size of the table widget that shows the header columns whole, the
// first remedy columns and the header rows with the first rubric rows (all of
// them when there are fewer), with the scroll bars the rest needs.
QSize readableTableSize(const TableView& table) {
    const TableLogic& logic = table.logic();
    const int headerCols = std::min(logic.headerColumnCount(), logic.columnCount());
    const int shownCols = std::min(logic.columnCount(), headerCols + kReadableRemedyColumns);
    const int shownRows = std::min(logic.rowCount(), logic.headerRowCount() + kReadableRubricRows);
    const int scrollBar = table.style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, &table);
    long long width = logic.totalColumnWidth(0, shownCols) + 2 * table.frameWidth();
    long long height = logic.totalRowHeight(0, shownRows) + 2 * table.frameWidth();
    if (shownRows < logic.rowCount()) {
        width += scrollBar;
    }
    if (shownCols < logic.columnCount()) {
        height += scrollBar;
    }
    return QSize(static_cast<int>(std::min<long long>(width, QWIDGETSIZE_MAX)),
                 static_cast<int>(std::min<long long>(height, QWIDGETSIZE_MAX)));
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
    setUpDialog(this, QStringLiteral("ResultDialog"), captionText(), help::kResultView);
    if (result_.data == nullptr) {
        result_.data = &data_;
    }

    buildControls();
    setInitialDialogSize(this, kDialogWidthDlu, kDialogHeightDlu);
    fillTable();

    const bool chartOn = store_.readInt(settings::kApplication, settings::kRankingChart, 1) != 0;
    chartToggle_->setChecked(chartOn);
    chart_->setVisible(chartOn);
    connect(chartToggle_, &QCheckBox::toggled, this, &ResultDialog::setChartShown);

    chartFollower_ = std::make_unique<ChartFollower>(this);
    table_->logic().addObserver(chartFollower_.get());
    updateChart();

    // Chart and table share the height the dialog has beyond their needs in
    // proportion to the heights they need to be read.
    const int chartHeight = chart_->sizeHint().height();
    const QSize tableSize = readableTableSize(*table_);
    if (auto* column = qobject_cast<QVBoxLayout*>(layout())) {
        column->setStretchFactor(chart_, std::max(1, chartHeight));
        column->setStretchFactor(table_, std::max(1, tableSize.height()));
    }
    if (!restorePlacement(this, store_, settings::kPlacementResult)) {
        // Without a stored placement the view opens large enough to read:
        // the chart, the first remedy columns and rubric rows.
        growDialogToShow(this, {{chart_, QSize(0, chartHeight)}, {table_, tableSize}});
    }
    const bool widthsRestored = restoreColumnWidths(settings_, table_->logic(), store_,
                                                    settings::kColumnsResult, kStoredColumns) > 0;
    fitHeaderColumns(widthsRestored);
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

    // Enter always means "&Zurück", whichever button has the focus.
    const IconButtonGroup buttons = makeIconButtons(this, kButtons, {.equalWidths = false});
    backButton_ = buttons.buttons[0];
    printButton_ = buttons.buttons[1];
    pdfButton_ = buttons.buttons[2];
    fileButton_ = buttons.buttons[3];
    helpButton_ = buttons.buttons[4];
    newButton_ = buttons.buttons[5];
    // Created hidden, reached through Alt+X (a hidden button's own mnemonic
    // would not react). It stands after the others, before the stretch.
    copyButton_ = new QPushButton(QStringLiteral("&X Copy to Clipboard"), this);
    copyButton_->setObjectName(QStringLiteral("copyButton"));
    copyButton_->setAutoDefault(false);
    copyButton_->hide();
    buttons.layout->insertWidget(buttons.layout->count() - 1, copyButton_);
    auto* copyShortcut = new QShortcut(QKeySequence(Qt::ALT | Qt::Key_X), this);

    auto* layout = new QVBoxLayout(this);
    // The stretch factors are set once the table is filled.
    layout->addWidget(chart_, 1);
    layout->addWidget(table_, 3);
    layout->addLayout(nameRow);
    layout->addLayout(buttons.layout);

    connect(backButton_, &QPushButton::clicked, this, &ResultDialog::accept);
    connect(printButton_, &QPushButton::clicked, this, [this] { printResult(); });
    connect(pdfButton_, &QPushButton::clicked, this, [this] { saveAsPdf(); });
    connect(fileButton_, &QPushButton::clicked, this, [this] { fileCase(); });
    connect(newButton_, &QPushButton::clicked, this, &ResultDialog::discardCase);
    connect(copyButton_, &QPushButton::clicked, this, &ResultDialog::copyToClipboard);
    connect(copyShortcut, &QShortcut::activated, this, &ResultDialog::copyToClipboard);
    connectHelp(this, helpButton_, help::kResultView);

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
    // Header texts cut by narrow columns show whole under the mouse pointer.
    table_->setTitleTips(true);
    table_->setCaptionOwner(this, captionText());
    table_->autoSizeColumns(kHeaderColumns);
}

void ResultDialog::fitHeaderColumns(bool widthsRestored) {
    TableLogic& logic = table_->logic();
    const int headerCols = std::min(kHeaderColumns, logic.columnCount());
    if (logic.columnCount() <= headerCols) {
        return; // no remedy column to make room for
    }
    // The table laid out at the dialog's size, also while it is still hidden.
    layout()->setGeometry(rect());
    const int width = table_->settledViewportWidth();
    // Widths the user chose are kept as far as they leave the first remedy
    // column in sight. Computed ones take at most half of the width, or what
    // the remedy columns leave when they all fit into the other half.
    const long long remedies = logic.totalColumnWidth(headerCols);
    const int limit = widthsRestored
                          ? width - logic.columnWidth(headerCols)
                          : static_cast<int>(std::max<long long>(width / 2, width - remedies));
    const int minimum = kHeaderColumnMinimumChars * table_->fontMetrics().averageCharWidth();
    limitHeaderColumns(logic, limit, minimum);
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

QDate ResultDialog::printDate() const {
    return printDate_.isValid() ? printDate_ : QDate::currentDate();
}

QString ResultDialog::printTitle() const {
    return toQString(evaluationName_) + QLatin1Char(' ') +
           printDate().toString(QStringLiteral("dd.MM.yyyy"));
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

bool ResultDialog::withPrintedLook(const std::function<bool()>& output) {
    takeName();
    const bool noGrey = settings_.noGreyInPrint;
    if (noGrey) {
        table_->setDefaultHeaderBackground(QColor(Qt::white));
    }
    table_->setCellText(0, 0, fromQString(printTitle()));
    const bool done = output();
    // Undone also when the dialog was cancelled or the job failed.
    table_->setCellText(0, 0, std::string());
    if (noGrey) {
        table_->setDefaultHeaderBackground(std::nullopt);
    }
    return done;
}

bool ResultDialog::printResult() {
    return withPrintedLook([this] { return printTable(*table_, this); });
}

ResultReport ResultDialog::report() const {
    ResultReport report;
    report.name = nameEdit_->text();
    report.date = printDate().toString(QStringLiteral("dd.MM.yyyy"));
    // The rows as the table shows them, with the marks of their entries.
    const TableLogic& logic = table_->logic();
    for (int row = logic.headerRowCount(); row < logic.rowCount(); ++row) {
        report.rubrics.append(toQString(logic.rawCellText(row, 0)));
    }
    report.bars = currentBars();
    return report;
}

bool ResultDialog::saveAsPdf() {
    takeName();
    const QString path =
        askPdfPath(this, suggestedPdfFileName(toQString(evaluationName_), printDate()), store_);
    if (path.isEmpty()) {
        return false;
    }
    WaitCursor wait;
    const ResultReport front = report();
    return withPrintedLook([&] {
        return writePdfFile(
            path, printTitle(),
            [&](QPdfWriter& writer, QPainter& painter, QString& failure) {
                if (paintResultReportFront(painter, writer, front) &&
                    writeTablePages(painter, writer, *table_, true)) {
                    return true;
                }
                failure = QStringLiteral("Das Dokument hat eine Seite nicht angenommen.");
                return false;
            },
            this);
    });
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
