// What assistive technology finds in the program's windows: every control
// the keyboard reaches named, every table readable cell by cell with its
// headers as the window shows it, the focus and the changes of a table
// announced; and the colours the program paints itself readable under a
// light and a dark palette, with printed pages as on paper.
#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/ResultTable.h"
#include "settings/MemorySettingsStore.h"
#include "support/DarkPalette.h"
#include "support/FileBytes.h"
#include "support/HistoryFixtures.h"
#include "ui/MainDialog.h"
#include "ui/RankingChart.h"
#include "ui/ResultDialog.h"
#include "ui/SettingsDialog.h"
#include "ui/SplashWindow.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/table/TableViewAccessible.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/ReadableColours.h"
#include "ui/widgets/TextCodec.h"

#include <QAccessible>
#include <QApplication>
#include <QComboBox>
#include <QImage>
#include <QLineEdit>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTextBrowser>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

// One accessibility event as a screen reader gets it.
struct Heard {
    QAccessible::Event type;
    QObject* object;
    int row = -1; // for a cell of a table
    int col = -1;
    QString name;
};

// While it lives, the tables announce what a screen reader hears, and every
// event is recorded here instead of reaching the platform.
class Listener {
public:
    Listener() { heard().clear(); }
    ~Listener() { heard().clear(); }
    Listener(const Listener&) = delete;
    Listener& operator=(const Listener&) = delete;

    void clear() { heard().clear(); }
    // Waits for an event of `type` about cell (row, col) of `table` (in the
    // view's numbering, headers included), whose name is `name` unless that
    // is null.
    bool waitFor(QAccessible::Event type, const QObject* table, int row, int col,
                 const QString& name = QString()) const {
        return QTest::qWaitFor([&] {
            for (const Heard& h : heard()) {
                if (h.type == type && h.object == table && h.row == row && h.col == col &&
                    (name.isNull() || h.name == name)) {
                    return true;
                }
            }
            return false;
        });
    }

    // How many events of `type` were heard.
    int count(QAccessible::Event type) const {
        return static_cast<int>(std::count_if(heard().begin(), heard().end(),
                                              [type](const Heard& h) { return h.type == type; }));
    }

private:
    static std::vector<Heard>& heard() {
        static std::vector<Heard> events;
        return events;
    }
    static void record(QAccessibleEvent& event) {
        Heard h{event.type(), event.object(), -1, -1, QString()};
        if (QAccessibleInterface* iface = event.accessibleInterface()) {
            h.name = iface->text(QAccessible::Name);
            if (QAccessibleTableCellInterface* cell = iface->tableCellInterface()) {
                // Where the view has it (the table counts below its headers).
                if (QAccessibleInterface* table = cell->table()) {
                    h.object = table->object();
                }
                if (const auto* view = qobject_cast<const TableView*>(h.object)) {
                    h.row = cell->rowIndex() + view->headerRowCount();
                    h.col = cell->columnIndex() + view->headerColumnCount();
                }
            }
        }
        heard().push_back(h);
    }

    TableViewAccessible::EventHook::Guard guard_ =
        TableViewAccessible::eventHook().install(&record);
};

QAccessibleInterface* accessible(QObject* object) {
    return QAccessible::queryAccessibleInterface(object);
}

// Whether the accessible tree below `from` reaches `target` (tables are not
// entered: their children are cells).
bool reaches(QAccessibleInterface* from, QObject* target) {
    if (from == nullptr) {
        return false;
    }
    if (from->object() == target) {
        return true;
    }
    if (from->tableInterface() != nullptr) {
        return false;
    }
    for (int i = 0; i < from->childCount(); ++i) {
        if (reaches(from->child(i), target)) {
            return true;
        }
    }
    return false;
}

// Every control of `window` the keyboard reaches has a name, without a
// mnemonic's "&", and is found in the window's accessible tree; icon buttons
// say their purpose. Returns the window's tables.
std::vector<TableView*> expectControlsNamed(QWidget& window) {
    std::vector<TableView*> tables;
    for (QWidget* w : window.findChildren<QWidget*>()) {
        // The line edit of an editable drop-down list is read as the list.
        if (!w->isVisibleTo(&window) || !(w->focusPolicy() & Qt::TabFocus) ||
            w->focusProxy() != nullptr || qobject_cast<QComboBox*>(w->parentWidget()) != nullptr) {
            continue;
        }
        SCOPED_TRACE(std::string(w->metaObject()->className()) + " " +
                     w->objectName().toStdString());
        QAccessibleInterface* iface = accessible(w);
        if (iface == nullptr) {
            ADD_FAILURE() << "no accessible interface";
            continue;
        }
        const QString name = iface->text(QAccessible::Name);
        EXPECT_FALSE(name.trimmed().isEmpty());
        EXPECT_FALSE(name.contains(QLatin1Char('&'))) << name.toStdString();
        EXPECT_TRUE(reaches(accessible(&window), w));
        if (qobject_cast<IconPushButton*>(w) != nullptr) {
            EXPECT_FALSE(iface->text(QAccessible::Description).isEmpty());
        }
        if (auto* table = qobject_cast<TableView*>(w)) {
            tables.push_back(table);
        }
    }
    return tables;
}

QStringList names(const QList<QAccessibleInterface*>& cells) {
    QStringList list;
    for (QAccessibleInterface* cell : cells) {
        list << cell->text(QAccessible::Name);
    }
    return list;
}

// The table counts the rows and columns below and right of the view's
// headers; every cell of the view, headers included, is a child, in the
// order shown. The header cells and the cells of the first, middle and last
// rows read as shown, each with the header cells above and beside it as its
// headers, and the table's column and row descriptions are those headers.
void expectTableReadsAsShown(TableView& view) {
    SCOPED_TRACE(view.objectName().toStdString());
    QAccessibleInterface* iface = accessible(&view);
    ASSERT_NE(iface, nullptr);
    QAccessibleTableInterface* table = iface->tableInterface();
    ASSERT_NE(table, nullptr);
    EXPECT_EQ(iface->role(), QAccessible::Table);
    const TableLogic& logic = view.logic();
    const int rows = logic.rowCount();
    const int cols = logic.columnCount();
    const int headerRows = logic.headerRowCount();
    const int headerCols = logic.headerColumnCount();
    ASSERT_GT(rows, headerRows);
    ASSERT_EQ(table->rowCount(), rows - headerRows);
    ASSERT_EQ(table->columnCount(), cols - headerCols);
    EXPECT_EQ(iface->childCount(), rows * cols);

    std::set<int> sample{headerRows, (headerRows + rows - 1) / 2, rows - 1};
    for (int h = 0; h < headerRows; ++h) {
        sample.insert(h);
    }
    for (const int r : sample) {
        QStringList rowHeaders;
        for (int h = 0; h < headerCols; ++h) {
            rowHeaders << view.cellQText(r, h);
        }
        for (int c = 0; c < cols; ++c) {
            SCOPED_TRACE(testing::Message() << "cell " << r << "," << c);
            const bool header = r < headerRows || c < headerCols;
            QAccessibleInterface* cell = iface->child(r * cols + c);
            ASSERT_NE(cell, nullptr);
            if (!header) {
                EXPECT_EQ(table->cellAt(r - headerRows, c - headerCols), cell);
            }
            EXPECT_EQ(cell->text(QAccessible::Name), view.cellQText(r, c));
            EXPECT_EQ(cell->role(), r < headerRows   ? QAccessible::ColumnHeader
                                    : c < headerCols ? QAccessible::RowHeader
                                                     : QAccessible::Cell);
            EXPECT_EQ(cell->parent(), iface);
            EXPECT_EQ(iface->indexOfChild(cell), r * cols + c);
            QAccessibleTableCellInterface* position = cell->tableCellInterface();
            ASSERT_NE(position, nullptr);
            EXPECT_EQ(position->rowIndex(), r < headerRows ? r : r - headerRows);
            EXPECT_EQ(position->columnIndex(), c < headerCols ? c : c - headerCols);
            QStringList columnHeaders;
            for (int h = 0; h < headerRows; ++h) {
                columnHeaders << view.cellQText(h, c);
            }
            EXPECT_EQ(names(position->columnHeaderCells()), columnHeaders);
            EXPECT_EQ(names(position->rowHeaderCells()), rowHeaders);
            if (!header) {
                columnHeaders.removeAll(QString());
                QStringList shownRowHeaders = rowHeaders;
                shownRowHeaders.removeAll(QString());
                EXPECT_EQ(table->columnDescription(c - headerCols), columnHeaders.join(' '));
                EXPECT_EQ(table->rowDescription(r - headerRows), shownRowHeaders.join(' '));
            }
        }
    }
}

// A key that moves the focus cell tells a screen reader the new cell, and
// only that; Tab goes on to the next control.
void expectFocusMoveHeard(TableView& view, Listener& listener) {
    SCOPED_TRACE(view.objectName().toStdString());
    view.setFocus(Qt::TabFocusReason);
    ASSERT_TRUE(QTest::qWaitFor([&] { return view.hasFocus(); }));
    const TableLogic& logic = view.logic();
    if (!logic.hasFocusCell()) {
        view.setFocusCell(logic.headerRowCount(), logic.headerColumnCount());
    }
    const int before = view.focusRow();
    listener.clear();
    QTest::keyClick(&view, before + 1 < logic.rowCount() ? Qt::Key_Down : Qt::Key_Up);
    ASSERT_NE(view.focusRow(), before);
    EXPECT_TRUE(listener.waitFor(QAccessible::Focus, &view, view.focusRow(), view.focusColumn(),
                                 view.cellQText(view.focusRow(), view.focusColumn())));
    // No text changed: nothing is said twice.
    EXPECT_EQ(listener.count(QAccessible::NameChanged), 0);
    // Tab leaves the table: the keyboard is never caught in it.
    QTest::keyClick(&view, Qt::Key_Tab);
    EXPECT_FALSE(view.hasFocus());
}

// The windows of a test, with what they share.
struct Windows {
    Windows() {
        EXPECT_TRUE(dir.isValid());
        historyPath = dir.filePath(QStringLiteral("historie.xml"));
        main = std::make_unique<MainDialog>(store, historyPath);
        context.data = &main->data();
        context.store = &store;
        context.options = &options;
        context.takeReference = [](const SymptomRef&) {};
    }
    ~Windows() { main->done(QDialog::Rejected); }

    QTemporaryDir dir;
    QString historyPath;
    MemorySettingsStore store;
    ProgramSettings options;
    std::unique_ptr<MainDialog> main;
    FindingContext context;
};

bool showActive(QWidget& window) {
    window.show();
    return QTest::qWaitForWindowExposed(&window) && waitActive(&window);
}

} // namespace

TEST(Accessibility, EveryWindowNamesItsControlsAndItsTablesReadAsShown) {
    Listener listener;
    Windows w;
    test_support::writeBytes(historyFileName(w.historyPath), test_support::kKopfschmerz);
    EvaluatedCase evaluated(builtInContent(), {5, -40}, PolarityMode::None, "Fall A");

    // Each window as the user meets it, with content in its tables.
    const std::vector<std::pair<const char*, std::function<QWidget*()>>> windows = {
        {"main window with a case",
         [&]() -> QWidget* {
             w.main->loadCase("M\xFCller", std::vector<SymptomRef>{{1, 0}, {2, 0}, {3, 0}});
             return w.main.get();
         }},
        {"result view",
         [&]() -> QWidget* {
             return new ResultDialog(builtInContent(), evaluated.result, w.options, std::nullopt,
                                     w.store, w.historyPath);
         }},
        {"chapter tree",
         [&]() -> QWidget* {
             auto* d = new SymptomSearchDialog(w.context);
             d->tree()->expand(d->model()->index(0, 0));
             d->tree()->setCurrentIndex(d->model()->index(0, 0, d->model()->index(0, 0)));
             return d;
         }},
        {"text search with hits",
         [&]() -> QWidget* {
             auto* d = new TextSearchDialog(w.context);
             d->searchField()->setText(QStringLiteral("open air"));
             EXPECT_FALSE(d->table()->cellQText(1, 0).isEmpty());
             return d;
         }},
        {"remedy overview with hits",
         [&]() -> QWidget* {
             auto* d = new RemedyOverviewDialog(w.context);
             d->remedyBox()->setCurrentIndex(0);
             d->runSearch();
             EXPECT_FALSE(d->table()->cellQText(1, 0).isEmpty());
             return d;
         }},
        {"case history",
         [&]() -> QWidget* {
             HistoryDialogContext context;
             context.historyPath = w.historyPath;
             context.store = &w.store;
             auto* d = new HistoryDialog(context);
             d->tree()->expandAll();
             return d;
         }},
        {"filing",
         [&]() -> QWidget* { return new FileCaseDialog(w.historyPath, "Kopfschmerz", w.store); }},
        {"settings",
         [&]() -> QWidget* {
             return new SettingsDialog(w.store, readSettingsDialogValues(w.store), w.historyPath);
         }},
    };
    for (const auto& [what, make] : windows) {
        SCOPED_TRACE(what);
        QWidget* window = make();
        std::unique_ptr<QWidget> owned(window == w.main.get() ? nullptr : window);
        ASSERT_TRUE(showActive(*window));
        for (TableView* table : expectControlsNamed(*window)) {
            expectTableReadsAsShown(*table);
            expectFocusMoveHeard(*table, listener);
        }
        window->hide();
    }
}

TEST(Accessibility, TheChartTheQuestionAndTheSplashSayWhatTheyShow) {
    EvaluatedCase evaluated(builtInContent(), {12, 8, 10}, PolarityMode::None, "Fall B");
    MemorySettingsStore store;
    ResultDialog result(builtInContent(), evaluated.result, ProgramSettings(), std::nullopt, store,
                        QString());
    const std::vector<RankingBar> bars = result.currentBars();
    ASSERT_GT(bars.size(), 10u);
    // The ranking in words: the first ten remedies with hits and grade sums.
    EXPECT_EQ(accessible(result.chart())->role(), QAccessible::Chart);
    EXPECT_EQ(accessible(result.chart())->text(QAccessible::Name),
              QStringLiteral("Balkendiagramm"));
    const QString chart = accessible(result.chart())->text(QAccessible::Description);
    EXPECT_TRUE(chart.startsWith(
        QStringLiteral("Die ersten 10 von %1 Mitteln: 1. %2: %3 Treffer, Gradsumme %4; 2. ")
            .arg(bars.size())
            .arg(bars[0].abbreviation)
            .arg(bars[0].hits)
            .arg(bars[0].gradeSum)))
        << chart.toStdString();
    EXPECT_TRUE(chart.contains(QStringLiteral("; 10. %1:").arg(bars[9].abbreviation)));
    EXPECT_FALSE(chart.contains(QStringLiteral("11. ")));
    EXPECT_EQ(rankingText({}, 10), QStringLiteral("Kein Mittel mit Treffern"));

    // The program's own question is an alert whose text is read with it.
    ConfirmDialog question(QStringLiteral("Wollen Sie wirklich beenden?"));
    EXPECT_EQ(accessible(&question)->role(), QAccessible::AlertMessage);
    EXPECT_EQ(accessible(&question)->text(QAccessible::Description),
              QStringLiteral("Wollen Sie wirklich beenden?"));

    SplashWindow splash(store);
    EXPECT_EQ(accessible(&splash)->text(QAccessible::Name), programTitle());
    EXPECT_TRUE(
        accessible(&splash)->text(QAccessible::Description).endsWith(SplashWindow::versionLine()));
}

TEST(Accessibility, TablesTellWhatChangedAndTheEditorIsTheCellItEdits) {
    Listener listener;
    Windows w;
    ASSERT_TRUE(showActive(*w.main));
    TableView& grid = *w.main->caseGridView();
    QAccessibleTableInterface* table = accessible(&grid)->tableInterface();
    ASSERT_NE(table, nullptr);
    grid.setFocus();
    ASSERT_EQ(grid.focusRow(), 1);

    // A screen reader has read the input row; typing a number into it
    // names the editor as the cell, then the row's cells say their new texts
    // and the focus goes on to the new input row.
    for (int c = 0; c < grid.columnCount(); ++c) {
        ASSERT_NE(table->cellAt(0, c), nullptr);
    }
    QTest::keyClick(&grid, '1');
    ASSERT_TRUE(grid.isEditing());
    EXPECT_EQ(accessible(grid.editor())->text(QAccessible::Name),
              QStringLiteral("Zeile 1, Nummer"));
    typeText(grid.editor(), QStringLiteral("2"));
    QTest::keyClick(grid.editor(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !grid.isEditing(); }));
    for (int c = 0; c < grid.columnCount(); ++c) {
        EXPECT_TRUE(listener.waitFor(QAccessible::NameChanged, &grid, 1, c, grid.cellQText(1, c)))
            << c;
    }
    EXPECT_TRUE(listener.waitFor(QAccessible::Focus, &grid, 2, 0));

    // A rubric taken over from a finding window changes the focus row.
    listener.clear();
    w.main->addReference({40, 0});
    EXPECT_TRUE(listener.waitFor(QAccessible::NameChanged, &grid, 2, 0, QStringLiteral("40")));

    // In the result view a weight given to the focus row ranks again: the
    // focus cell is announced once more, and its row now reads with the mark.
    EvaluatedCase evaluated(builtInContent(), {12, 8, 10}, PolarityMode::None, "Fall W");
    ResultDialog result(builtInContent(), evaluated.result, w.options, std::nullopt, w.store,
                        QString());
    ASSERT_TRUE(showActive(result));
    TableView& ranking = *result.table();
    ranking.setFocus();
    ranking.setFocusCell(3, 2);
    QAccessibleTableInterface* resultTable = accessible(&ranking)->tableInterface();
    const QAccessible::Id before = QAccessible::uniqueId(resultTable->cellAt(1, 0));
    listener.clear();
    QTest::keyClick(&ranking, Qt::Key_2, Qt::ControlModifier);
    EXPECT_TRUE(
        listener.waitFor(QAccessible::Focus, &ranking, ranking.focusRow(), ranking.focusColumn()));
    const int marked = ranking.focusRow();
    const QList<QAccessibleInterface*> rubric =
        resultTable->cellAt(marked - 2, 0)->tableCellInterface()->rowHeaderCells();
    ASSERT_FALSE(rubric.isEmpty());
    EXPECT_TRUE(rubric.first()->text(QAccessible::Name).endsWith(QStringLiteral(" \u00D72")));
    // The cells read before are dropped: no screen reader keeps one that
    // now shows another rubric.
    EXPECT_EQ(QAccessible::accessibleInterface(before), nullptr);
}

// --- colours ----------------------------------------------------------------------------

namespace {

// The colours of an area of a picture, most frequent first.
std::vector<QColor> coloursIn(const QImage& image, const QRect& area) {
    std::map<QRgb, int> count;
    for (int y = area.top(); y <= area.bottom(); ++y) {
        for (int x = area.left(); x <= area.right(); ++x) {
            ++count[image.pixel(x, y)];
        }
    }
    std::vector<std::pair<int, QRgb>> ranked;
    for (const auto& [rgb, n] : count) {
        ranked.emplace_back(n, rgb);
    }
    std::sort(ranked.rbegin(), ranked.rend());
    std::vector<QColor> colours;
    for (const auto& entry : ranked) {
        colours.emplace_back(entry.second);
    }
    return colours;
}

// A font whose glyphs are drawn in the pen's colour alone, so that a
// picture shows every text in its exact colour.
QFont solidFont(int pixels) {
    QFont font;
    font.setPixelSize(pixels);
    font.setStyleStrategy(QFont::NoAntialias);
    return font;
}

} // namespace

TEST(Accessibility, PaintedTextsReadInALightAndADarkPaletteAndPagesStayPaper) {
    // The result table of a counter-polar case with a weight-0 row: the
    // yellow hit counts, grey counter-polar cells, grey texts, headers, and
    // one rubric row selected with the focus on it.
    EvaluatedCase evaluated(builtInContent(), {12, 8, -40}, PolarityMode::None, "Fall F");
    evaluated.result.entries[1].weight = 0;
    const std::map<std::string, QPalette> palettes = {{"light", QApplication::palette()},
                                                      {"dark", test_support::darkDesktopPalette()}};
    for (const auto& [which, palette] : palettes) {
        SCOPED_TRACE(which);
        TableView view;
        view.setPalette(palette);
        view.setFont(solidFont(16));
        fillResultTable(view.logic(), evaluated.result);
        view.autoSizeColumns(view.columnCount());
        view.setCellSelection(true);
        view.logic().selectCellOrRow(2, 2);
        view.setFocusCell(2, 2);
        view.resize(1200, 400);
        ASSERT_TRUE(showActive(view));
        view.setFocus();
        QApplication::processEvents();
        const QImage image =
            view.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const TableLogic& logic = view.logic();
        std::set<int> rowsRead;
        for (int r = 0; r < logic.rowCount(); ++r) {
            for (int c = 0; c < logic.columnCount(); ++c) {
                const QRect cell =
                    view.cellRect(r, c).adjusted(3, 3, -3, -4) & QRect(QPoint(0, 0), image.size());
                if (logic.rawCellText(r, c).empty() || cell.isEmpty()) {
                    continue;
                }
                // The cell's background and its text, the only two colours inside.
                const std::vector<QColor> colours = coloursIn(image, cell);
                ASSERT_EQ(colours.size(), 2u) << r << "," << c;
                EXPECT_GE(contrastRatio(colours[0], colours[1]), kTextContrast)
                    << r << "," << c << " " << colours[1].name().toStdString() << " on "
                    << colours[0].name().toStdString();
                rowsRead.insert(r);
            }
        }
        EXPECT_EQ(static_cast<int>(rowsRead.size()), logic.rowCount());

        // The chart's texts, and in the dark palette its bars, stand out from its ground.
        RankingChart chart;
        chart.setPalette(palette);
        chart.setFont(solidFont(16));
        chart.resize(900, 300);
        std::vector<RankingBar> bars;
        for (const ColumnScore& s : columnScores(logic, evaluated.result, builtInContent())) {
            bars.push_back({toQString(s.abbreviation), s.hits, s.gradeSum, s.column});
        }
        chart.setBars(bars);
        ASSERT_TRUE(showActive(chart));
        const QImage plot =
            chart.viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        const std::vector<QColor> chartColours = coloursIn(plot, plot.rect());
        const QColor ground = chart.palette().color(QPalette::Base);
        EXPECT_EQ(chartColours[0].rgb(), ground.rgb());
        for (const QColor& colour : chartColours) {
            const QRgb rgb = colour.rgb();
            if (rgb == ground.rgb() || rgb == chart.palette().color(QPalette::Mid).rgb()) {
                continue; // the ground, the axis
            }
            const bool bar = rgb == markColour(RankingChart::hitsColour(), palette).rgb() ||
                             rgb == markColour(RankingChart::gradeSumColour(), palette).rgb();
            EXPECT_GE(contrastRatio(colour, ground),
                      bar ? (which == "dark" ? kGraphicContrast : 1.0) : kTextContrast)
                << colour.name().toStdString();
        }

        // The help pages, written in colours for a light page, read too.
        ASSERT_TRUE(showHelp(help::kMainWindow, nullptr));
        HelpViewer* help = HelpViewer::instance();
        help->setPalette(palette);
        QApplication::processEvents();
        const QImage page =
            help->browser()->viewport()->grab().toImage().convertToFormat(QImage::Format_RGB32);
        help->setPalette(QPalette());
        help->close();
        const std::vector<QColor> pageColours = coloursIn(page, page.rect());
        double strongest = 1.0;
        for (const QColor& colour : pageColours) {
            strongest = std::max(strongest, contrastRatio(colour, pageColours[0]));
        }
        EXPECT_GE(strongest, kTextContrast);
        EXPECT_GT(relativeLuminance(pageColours[0]), 0.5); // a light page

        // Printed, the table keeps the colours of paper: white cells, the
        // own colours as they are.
        if (!havePoppler("pdftoppm")) {
            continue;
        }
        QTemporaryDir dir;
        const QString pdf = dir.filePath(QStringLiteral("page.pdf"));
        QPrinter printer(QPrinter::HighResolution);
        makePdfPrinter(printer, pdf);
        const PageMapping mapping = PageMapping::of(view, printer);
        ASSERT_TRUE(printTableTo(view, printer));
        const QImage printed = renderPdfPage(pdf, 1, 50, dir.filePath(QStringLiteral("page")));
        ASSERT_FALSE(printed.isNull());
        const auto paperAt = [&](int row, int col) {
            double x = 0;
            for (int c : mapping.layout.columns) {
                if (c == col) {
                    break;
                }
                x += view.columnWidth(c);
            }
            double y = 0;
            for (int r = 0; r < row; ++r) {
                y += view.rowHeight(r);
            }
            return printed.pixelColor(mapping.toImage(x + view.columnWidth(col) * 0.8,
                                                      y + view.rowHeight(row) / 2.0, 50));
        };
        const int remedy = mapping.layout.columns.back();
        EXPECT_EQ(paperAt(1, remedy), QColor(255, 255, 0));
        EXPECT_EQ(paperAt(4, remedy), QColor(230, 230, 230));
        EXPECT_EQ(paperAt(2, remedy), QColor(Qt::white));
    }
}
