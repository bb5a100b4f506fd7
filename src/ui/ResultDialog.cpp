#include "ui/ResultDialog.h"
#include "ui/widgets/WaitCursor.h"

#include "case/ResultTable.h"
#include "settings/ColumnWidths.h"
#include "settings/SettingsKeys.h"
#include "table/ColumnFit.h"
#include "table/TableClipboard.h"
#include "table/TableLogic.h"
#include "ui/RankingChart.h"
#include "ui/ResultReport.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/FileCaseInHistory.h"
#include "ui/table/PaperTable.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogSizes.h"
#include "ui/widgets/DialogUnits.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"
#include "ui/widgets/WindowPlacement.h"

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QClipboard>
#include <QCursor>
#include <QGuiApplication>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPainter>
#include <QPdfWriter>
#include <QShortcut>
#include <QStyle>
#include <QToolTip>
#include <QVBoxLayout>

#include <algorithm>
#include <array>
#include <utility>

namespace tessalyn {

namespace {

constexpr int kHeaderRows = 2;
constexpr int kHeaderColumns = 2;
// Columns whose widths are kept in "Spalten/Ergebnis": the two header columns.
constexpr int kStoredColumns = 2;
// What the view opens large enough to show, without a stored placement:
// the first remedy columns and every rubric row, as far as the screen allows.
constexpr int kReadableRemedyColumns = 10;
// Narrowest a header column is made to leave room for the remedy columns,
// in average characters of the table font.
constexpr int kHeaderColumnMinimumChars = 8;

QString captionText() {
    return QStringLiteral("Ergebnis der Auswertung");
}

// In the order they stand at the bottom left.
constexpr IconButtonEntry kButtons[] = {
    {"&Zurück", "zurueck", "backButton", "Schließt das Ergebnis und behält den Fall"},
    {"&Drucken", "drucken", "printButton", "Druckt die Tabelle des Ergebnisses"},
    {"Als &PDF…", "pdf", "pdfButton",
     "Speichert einen Bericht mit Diagramm und Tabelle als PDF-Datei"},
    {"&Ablegen", "ablegen", "fileButton", "Legt den Fall in der Fallhistorie ab"},
    {"&Hilfe", "hilfe", "helpButton", kHelpPurpose},
    {"&Neu", "neu", "newButton", "Schließt das Ergebnis und verwirft den Fall"},
};

// The size of the table widget that shows the header columns whole, the
// first remedy columns and the header rows with the first `rubricRows` rubric
// rows (all of them when there are fewer), with the scroll bars the rest needs.
QSize readableTableSize(const TableView& table, int rubricRows) {
    const TableLogic& logic = table.logic();
    const int headerCols = std::min(logic.headerColumnCount(), logic.columnCount());
    const int shownCols = std::min(logic.columnCount(), headerCols + kReadableRemedyColumns);
    const int shownRows = static_cast<int>(
        std::min<long long>(logic.rowCount(), logic.headerRowCount() + 0LL + rubricRows));
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

ResultDialog::ResultDialog(const RepertoryData& repertory, EvaluationResult& result,
                           const ProgramSettings& settings, const std::optional<QFont>& tableFont,
                           SettingsStore& store, const QString& historyPath, QWidget* parent)
    : QDialog(parent), data_(repertory), result_(result), settings_(settings),
      tableFont_(tableFont), store_(store), historyPath_(historyPath),
      evaluationName_(result.caseName) {
    setUpDialog(this, QStringLiteral("ResultDialog"), captionText(), help::kResultView);
    if (result_.data == nullptr) {
        result_.data = &data_;
    }

    buildControls();
    setInitialDialogSize(this, dialog_size::kResult.width, dialog_size::kResult.height);
    fillTable();

    const bool chartOn = store_.readInt(settings::kApplication, settings::kRankingChart, 1) != 0;
    chartToggle_->setChecked(chartOn);
    chart_->setVisible(chartOn);
    connect(chartToggle_, &QCheckBox::toggled, this, &ResultDialog::setChartShown);

    chartFollower_ = std::make_unique<ChartFollower>(this);
    table_->logic().addObserver(chartFollower_.get());
    updateChart();

    // The chart keeps the height it is read at; the table takes all the
    // rest, to show every rubric row it can.
    const int chartHeight = chart_->sizeHint().height();
    const QSize tableSize = readableTableSize(*table_, table_->logic().rowCount());
    if (auto* column = qobject_cast<QVBoxLayout*>(layout())) {
        column->setStretchFactor(chart_, 0);
        column->setStretchFactor(table_, 1);
    }
    if (!restorePlacement(this, store_, settings::kPlacementResult)) {
        // Without a stored placement the view opens large enough to read:
        // the chart, the first remedy columns and every rubric row, as far
        // as the screen allows.
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
    table_->setAccessibleName(QStringLiteral("Rubriken und Mittel"));

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
    buttons.assignTo(backButton_, printButton_, pdfButton_, fileButton_, helpButton_, newButton_);
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
    buildWeightKeys();
}

// Ctrl+0 .. Ctrl+4, Ctrl+E, Shift+F10 and the menu key act on the table's
// focus row; a right click on a rubric row opens its menu.
void ResultDialog::buildWeightKeys() {
    const auto onTable = [this](const QKeySequence& keys, auto action) {
        auto* shortcut = new QShortcut(keys, table_);
        shortcut->setContext(Qt::WidgetShortcut);
        connect(shortcut, &QShortcut::activated, this, action);
    };
    static constexpr Qt::Key kDigits[] = {Qt::Key_0, Qt::Key_1, Qt::Key_2, Qt::Key_3, Qt::Key_4};
    for (int w = kMinWeight; w <= kMaxWeight; ++w) {
        onTable(QKeySequence(Qt::CTRL | kDigits[w]), [this, w] {
            if (!setRowWeight(table_->focusRow(), w)) {
                sayWhyNotWeighted(table_->focusRow());
            }
        });
    }
    onTable(QKeySequence(Qt::CTRL | Qt::Key_E), [this] {
        if (!toggleRowEliminating(table_->focusRow())) {
            sayWhyNotWeighted(table_->focusRow());
        }
    });
    const auto menuAtFocus = [this] {
        const int row = table_->focusRow();
        const int col = std::max(0, table_->logic().focusColumn());
        table_->ensureVisible(row, col);
        showRowMenu(row, table_->mapToGlobal(table_->cellRect(row, col).center()));
    };
    onTable(QKeySequence(Qt::SHIFT | Qt::Key_F10), menuAtFocus);
    onTable(QKeySequence(Qt::Key_Menu), menuAtFocus);
    connect(table_, &TableView::cellRightClicked, this, [this](int row, int col) {
        if (row < kHeaderRows) {
            return;
        }
        if (col < kHeaderColumns) {
            // The row's header picks the row, as a left click on it would.
            TableLogic& logic = table_->logic();
            const int focusCol = logic.focusColumn();
            logic.setFocusCell(row, focusCol >= kHeaderColumns ? focusCol : col);
        }
        showRowMenu(row, QCursor::pos());
    });
}

const CaseEntry* ResultDialog::rowEntry(int row) const {
    const int index = row >= kHeaderRows ? table_->logic().rowKey(row) : -1;
    if (index < 0 || index >= result_.entryCount()) {
        return nullptr;
    }
    return &result_.entries[static_cast<std::size_t>(index)];
}

bool ResultDialog::setRowWeight(int row, int weight) {
    const CaseEntry* entry = rowEntry(row);
    return entry != nullptr && changeRowMarks(row, weight, entry->eliminating);
}

bool ResultDialog::toggleRowEliminating(int row) {
    const CaseEntry* entry = rowEntry(row);
    return entry != nullptr && changeRowMarks(row, entry->weight, !entry->eliminating);
}

// Sets the marks of the row's entry, ranks again and refills the table with
// the rows in the order they stood; the focus stays on the row and, while its
// remedy keeps a column, on that remedy.
bool ResultDialog::changeRowMarks(int row, int weight, bool eliminating) {
    const CaseEntry* shown = rowEntry(row);
    if (shown == nullptr || shown->number <= 0 || weight < kMinWeight || weight > kMaxWeight) {
        return false;
    }
    CaseEntry& entry = result_.entries[static_cast<std::size_t>(shown - result_.entries.data())];
    if (entry.weight == weight && entry.eliminating == eliminating) {
        return true;
    }
    TableLogic& logic = table_->logic();
    std::vector<int> order;
    for (int r = kHeaderRows; r < logic.rowCount(); ++r) {
        order.push_back(logic.rowKey(r));
    }
    const int focusKey = logic.rowKey(logic.focusRow() >= kHeaderRows ? logic.focusRow() : row);
    const int focusCol = logic.focusColumn();
    const std::string focusRemedy =
        focusCol >= kHeaderColumns ? logic.rawCellText(0, focusCol) : std::string();
    std::array<int, kHeaderColumns> widths{};
    for (int c = 0; c < kHeaderColumns; ++c) {
        widths[static_cast<std::size_t>(c)] = logic.columnWidth(c);
    }

    entry.weight = static_cast<std::int8_t>(weight);
    entry.eliminating = eliminating;
    rankEntries(result_, data_);
    fillTable(order);
    // The header columns keep the widths the user gave them.
    for (int c = 0; c < kHeaderColumns; ++c) {
        logic.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
    }

    int col = std::min(kHeaderColumns, logic.columnCount() - 1);
    for (int c = kHeaderColumns; c < logic.columnCount() && !focusRemedy.empty(); ++c) {
        if (logic.rawCellText(0, c) == focusRemedy) {
            col = c;
            break;
        }
    }
    const int focusRow = logic.rowWithKey(focusKey);
    logic.setFocusCell(focusRow, col);
    table_->ensureVisible(focusRow, col);
    updateChart();
    return true;
}

void ResultDialog::sayWhyNotWeighted(int row) {
    const CaseEntry* entry = rowEntry(row);
    const QString why =
        entry == nullptr
            ? QStringLiteral("Keine Rubrik gewählt: Bitte klicken Sie zuerst die Rubrik an, die "
                             "Sie gewichten wollen.")
            : QStringLiteral("Eine Gegenpolarität wird nicht gewertet und lässt sich daher nicht "
                             "gewichten.");
    const QRect cell = entry != nullptr ? table_->cellRect(row, 0) : QRect();
    const QPoint at = cell.isValid() ? cell.center() : table_->rect().center();
    QToolTip::showText(table_->mapToGlobal(at), why, table_);
}

void ResultDialog::showRowMenu(int row, const QPoint& globalPos) {
    const CaseEntry* entry = rowEntry(row);
    if (entry == nullptr) {
        sayWhyNotWeighted(row);
        return;
    }
    // A counter-polar row is never scored, so it has nothing to weight.
    const bool weighable = entry->number > 0;
    QMenu menu(this);
    menu.setObjectName(QStringLiteral("rowMenu"));
    for (int w = kMinWeight; w <= kMaxWeight; ++w) {
        QAction* action = menu.addAction(QStringLiteral("Gewichtung &%1\tStrg+%1").arg(w));
        action->setCheckable(true);
        action->setChecked(entry->weight == w);
        action->setEnabled(weighable);
        action->setData(w);
    }
    menu.addSeparator();
    QAction* eliminate = menu.addAction(QStringLiteral("&Eliminierend\tStrg+E"));
    eliminate->setCheckable(true);
    eliminate->setChecked(entry->eliminating);
    eliminate->setEnabled(weighable);
    eliminate->setData(-1);

    QAction* chosen = menuTestHook() ? menuTestHook()(menu) : menu.exec(globalPos);
    if (chosen == nullptr || !chosen->isEnabled()) {
        return;
    }
    const int weight = chosen->data().toInt();
    if (weight < 0) {
        toggleRowEliminating(row);
    } else {
        setRowWeight(row, weight);
    }
}

ResultDialog::MenuHook& ResultDialog::menuTestHook() {
    static MenuHook hook;
    return hook;
}

void ResultDialog::fillTable(std::span<const int> rowOrder) {
    WaitCursor wait;
    if (tableFont_) {
        table_->setFont(*tableFont_);
    }
    fillResultTable(table_->logic(), result_, rowOrder);
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
    std::vector<RankingBar> bars;
    for (const ColumnScore& c : columnScores(table_->logic(), result_, data_)) {
        bars.push_back(RankingBar{toQString(c.abbreviation), c.hits, c.gradeSum, c.column});
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

bool ResultDialog::withPrintedLook(bool titleInCell, const std::function<bool()>& output) {
    takeName();
    const bool noGrey = settings_.noGreyInPrint;
    if (noGrey) {
        table_->setDefaultHeaderBackground(QColor(Qt::white));
    }
    if (titleInCell) {
        table_->setCellText(0, 0, fromQString(printTitle()));
    }
    const bool done = output();
    // Undone also when the dialog was cancelled or the job failed.
    if (titleInCell) {
        table_->setCellText(0, 0, std::string());
    }
    if (noGrey) {
        table_->setDefaultHeaderBackground(std::nullopt);
    }
    return done;
}

bool ResultDialog::printResult() {
    // Said before the title goes into the table, so the view never shows it.
    if (!printerAvailable()) {
        MessageBoxes::information(this, noPrinterMessage());
        return false;
    }
    // The text columns print fitted to their texts, as they were sized when
    // the view opened, however far the window narrows them.
    PrintWidths widths;
    for (int c = 0; c < std::min(kHeaderColumns, table_->logic().columnCount()); ++c) {
        widths.push_back(table_->fittedColumnWidth(c));
    }
    return withPrintedLook(true, [&] { return printTable(*table_, this, widths); });
}

ResultReport ResultDialog::report() const {
    ResultReport report;
    report.name = nameEdit_->text();
    report.date = printDate().toString(QStringLiteral("dd.MM.yyyy"));
    // The rows as the table shows them, with the marks of their entries.
    const TableLogic& logic = table_->logic();
    for (int row = logic.headerRowCount(); row < logic.rowCount(); ++row) {
        report.rubrics.push_back(
            ReportRubric{toQString(logic.rawCellText(row, 0)), toQString(logic.cellMarks(row, 0))});
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
    // The pages' heading carries the name and date, so the table's top-left
    // cell stays empty.
    return withPrintedLook(false, [&] {
        const PaperTable paper(*table_);
        const int frontPages = resultReportFrontPages(front);
        const PageFrame frame{resultReportTitle(front), front.date, frontPages + paper.pageCount()};
        return writePdfFile(
            path, printTitle(),
            [&](QPdfWriter& writer, QPainter& painter, QString& failure) {
                if (paintResultReportFront(painter, writer, front, frame) &&
                    paper.paint(writer, painter, frame, frontPages + 1, false)) {
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
    if (anyEntryMarks(result_.entries)) {
        dialog.setNote(QStringLiteral("Gewichtungen werden nicht mit abgelegt."));
    }
    if (dialog.exec() != QDialog::Accepted) {
        return false;
    }
    const bool filed =
        fileCaseInHistory(historyPath_, dialog.caseName(), dialog.comment(), result_.entries, this);
    filed_ = filed_ || filed;
    return filed;
}

void ResultDialog::copyToClipboard() {
    table_->setCellSelection(true);
    table_->selectAll();
    TableLogic& logic = table_->logic();
    if (logic.selectedCount() > 0) {
        // The grade block, with each row's weight and mark at the end of its
        // line when the case has any.
        QGuiApplication::clipboard()->setText(
            toQString(gradeBlockWithMarks(logic, result_, selectionText(logic))));
    }
    table_->setCellSelection(false);
}

} // namespace tessalyn
