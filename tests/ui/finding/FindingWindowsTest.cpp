// The three finding windows driven through the main window: the chapter tree
// ("S&uchen"), the text search ("&Textsuche") and the remedy overview
// ("&Mittel-Ausw."). Every test checks what reached the case grid.
#include "ui/MainDialog.h"

#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/NumberText.h"
#include "search/RemedySearch.h"
#include "search/TreeLabels.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/AskedOnce.h"
#include "support/MessageRecorder.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/widgets/HelpViewer.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QBuffer>
#include <QCheckBox>
#include <QComboBox>
#include <QDate>
#include <QGroupBox>
#include <QLineEdit>
#include <QPdfWriter>
#include <QPointer>
#include <QPrinter>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tessalyn;

namespace {

// Waits until `window` is the application's active window. (A modeless
// dialog already counts as active while its parent is.)
bool waitActive(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

// A main window over an in-memory store, shown and active, with an empty case.
struct MainWindow {
    MainWindow() {
        dialog = std::make_unique<MainDialog>(store, QStringLiteral("/praxis/historie.xml"));
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        EXPECT_TRUE(waitActive(dialog.get()));
    }
    ~MainWindow() { dialog->done(QDialog::Rejected); }

    // The user clicks a button of the main window, which becomes active.
    void click(const char* button) const {
        EXPECT_TRUE(waitActive(dialog.get()));
        QTest::mouseClick(test::buttonNamed(*dialog, button), Qt::LeftButton);
    }
    const RepertoryData& data() const { return dialog->data(); }

    // The numbers of the case rows in use, without the trailing input row.
    std::vector<int> caseNumbers() const {
        std::vector<int> numbers;
        const Case& c = dialog->theCase();
        for (int i = 0; i < c.count(); ++i) {
            if (c.entry(i).number != 0) {
                numbers.push_back(c.entry(i).number);
            }
        }
        return numbers;
    }

    SymptomSearchDialog* openTree() const {
        click("searchButton");
        auto* tree = dialog->findChild<SymptomSearchDialog*>();
        EXPECT_NE(tree, nullptr);
        if (tree != nullptr) {
            EXPECT_TRUE(waitActive(tree));
        }
        return tree;
    }

    TextSearchDialog* openTextSearch() const {
        click("textSearchButton");
        auto* search = dialog->findChild<TextSearchDialog*>();
        EXPECT_NE(search, nullptr);
        if (search != nullptr) {
            EXPECT_TRUE(waitActive(search));
        }
        return search;
    }

    MemorySettingsStore store;
    std::unique_ptr<MainDialog> dialog;
};

// --- chapter tree ---------------------------------------------------------------------

// Selects an item and brings it into view, as a click would.
void select(SymptomSearchDialog& d, const QModelIndex& item) {
    d.tree()->scrollTo(item);
    d.tree()->setCurrentIndex(item);
}

void doubleClick(SymptomSearchDialog& d, const QModelIndex& item) {
    select(d, item);
    // On the start of the text: a long label reaches beyond the viewport.
    const QRect rect = d.tree()->visualRect(item);
    const QPoint at(rect.left() + 8, rect.center().y());
    // A double-click begins with a click (QTest sends only the second press).
    QTest::mouseClick(d.tree()->viewport(), Qt::LeftButton, {}, at);
    QTest::mouseDClick(d.tree()->viewport(), Qt::LeftButton, {}, at);
}

bool anyBranchOpen(const SymptomSearchDialog& d) {
    const RepertoryTreeModel& m = *d.model();
    for (int c = 0; c < m.rowCount(); ++c) {
        const QModelIndex chapter = m.index(c, 0);
        if (d.tree()->isExpanded(chapter)) {
            return true;
        }
        for (int h = 0; h < m.rowCount(chapter); ++h) {
            if (d.tree()->isExpanded(m.index(h, 0, chapter))) {
                return true;
            }
        }
    }
    return false;
}

// --- text search and remedy overview ---------------------------------------------------

void clickRow(TableView& table, int row) {
    table.ensureVisible(row, 0);
    QApplication::processEvents();
    QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, table.cellRect(row, 1).center());
}

// Clicks a check box on its box, as the user does.
void clickBox(QCheckBox* box) {
    QTest::mouseClick(box, Qt::LeftButton, {}, QPoint(8, box->height() / 2));
}

void retype(QLineEdit* field, const QString& text) {
    field->selectAll();
    QTest::keyClick(field, Qt::Key_Delete);
    QTest::keyClicks(field, text);
}

// Numbers of the rubrics that hold remedy 0 ("Acon.") with an entry count
// the predicate accepts.
template <typename Pred> std::vector<int> aconRubrics(const RepertoryData& data, Pred accept) {
    std::vector<int> numbers;
    for (int i = 0; i < data.rubricCount(); ++i) {
        if (!accept(data.rubric(i).entryCount)) {
            continue;
        }
        for (RemedyEntry e : data.entriesOf(i)) {
            if (entryRemedy(e) == 0) {
                numbers.push_back(i + 1);
            }
        }
    }
    return numbers;
}

std::vector<int> tableNumbers(const TableView& table) {
    std::vector<int> numbers;
    for (int r = table.headerRowCount(); r < table.rowCount(); ++r) {
        numbers.push_back(leadingInteger(table.cellText(r, 0)));
    }
    return numbers;
}

// Runs the remedy overview through the main window's button with `drive`
// acting on the shown dialog in place of the user.
void runRemedyOverview(MainWindow& w, const std::function<void(RemedyOverviewDialog&)>& drive) {
    const test_support::AskedOnce shown(RemedyOverviewDialog::testHook(), drive);
    w.click("remedyButton");
}

void searchRemedy(RemedyOverviewDialog& d, const QString& typed) {
    d.remedyBox()->lineEdit()->clear();
    QTest::keyClicks(d.remedyBox()->lineEdit(), typed);
    QTest::mouseClick(d.searchButton(), Qt::LeftButton);
}

} // namespace

// --- "Symptomsuche" ---------------------------------------------------------------------

TEST(SymptomSearchDialog, TreeHoldsTheRepertoryAndCaptionNamesTheAncestors) {
    MainWindow w;
    SymptomSearchDialog* d = w.openTree();
    ASSERT_NE(d, nullptr);
    const RepertoryTreeModel& m = *d->model();
    const RepertoryData& data = w.data();

    int headings = 0;
    int rubrics = 0;
    ASSERT_EQ(m.rowCount(), 32);
    for (int c = 0; c < 32; ++c) {
        const QModelIndex chapter = m.index(c, 0);
        headings += m.rowCount(chapter);
        for (int h = 0; h < m.rowCount(chapter); ++h) {
            rubrics += m.rowCount(m.index(h, 0, chapter));
        }
    }
    EXPECT_EQ(headings, 2315);
    EXPECT_EQ(rubrics, 8385);

    // The first rubric: its label, a no-break space and 1; the last one 8385.
    const QModelIndex first = m.index(0, 0, m.index(0, 0, m.index(0, 0)));
    EXPECT_EQ(first.data().toString(),
              QStringLiteral("Afternoon, - In {0004} [101]") + QChar(0xA0) + QStringLiteral("1"));
    const QModelIndex lastChapter = m.index(31, 0);
    const QModelIndex lastHeading = m.index(m.rowCount(lastChapter) - 1, 0, lastChapter);
    const QModelIndex last = m.index(m.rowCount(lastHeading) - 1, 0, lastHeading);
    EXPECT_TRUE(fromQString(last.data().toString())
                    .ends_with("\xA0"
                               "8385"));
    EXPECT_EQ(m.parent(last), lastHeading);
    EXPECT_EQ(m.parent(lastHeading), lastChapter);

    const std::string chapterTitle = data.chapter(0).text;
    const std::string headingText = data.heading(0).text;
    select(*d, m.index(0, 0));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Symptomsuche"));
    select(*d, m.index(0, 0, m.index(0, 0)));
    EXPECT_EQ(d->windowTitle(), toQString("Symptomsuche - " + chapterTitle + " "));
    select(*d, first);
    EXPECT_EQ(d->windowTitle(),
              toQString("Symptomsuche - " + chapterTitle + " " + headingText + " "));
    EXPECT_EQ(d->parsedReference(), SymptomRef{}) << "selecting reads nothing yet";

    if (w.dialog->tableFont()) {
        EXPECT_EQ(d->tree()->font(), *w.dialog->tableFont());
    }
}

TEST(SymptomSearchDialog, AcceptTakesRubricsOnlyAndSaysWhyNotForAHeading) {
    MainWindow w;
    SymptomSearchDialog* d = w.openTree();
    ASSERT_NE(d, nullptr);
    const RepertoryTreeModel& m = *d->model();

    // A heading of several rubrics: nothing is added, a message says why and
    // the window stays for the choice.
    ASSERT_GT(m.rowCount(m.headingItem(0)), 1);
    select(*d, m.headingItem(0));
    {
        test_support::MessageRecorder messages;
        QTest::mouseClick(d->acceptButton(), Qt::LeftButton);
        EXPECT_EQ(messages.texts(),
                  QStringList(QStringLiteral("„%1“ ist eine Überschrift mit %2 Rubriken. Bitte "
                                             "öffnen Sie sie und wählen Sie eine davon.")
                                  .arg(toQString(w.data().heading(0).text))
                                  .arg(m.rowCount(m.headingItem(0)))));
    }
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(w.caseNumbers().empty());
    // Nothing selected: the window closes.
    d->tree()->clearSelection();
    QTest::mouseClick(d->acceptButton(), Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_TRUE(w.caseNumbers().empty());
    EXPECT_EQ(w.store.readInt(settings::kPlacementSymptomSearch, "(check)", 0), 32639);

    // The next "S&uchen" shows the same window; Enter on the dialog takes the
    // rubric.
    ASSERT_EQ(w.openTree(), d);
    select(*d, m.rubricItem(1));
    QTest::keyClick(d, Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{2}));
    EXPECT_EQ(w.dialog->caseGrid().cellText(1, 0), "2");
    EXPECT_TRUE(d->tree()->isExpanded(m.headingItem(0))) << "Übernehmen keeps the branches";
}

// Hinzufügen on a chapter or heading says why it takes nothing; a heading
// with a single rubric stands for that rubric.
TEST(SymptomSearchDialog, AddStaysOpenAndSaysWhyForChaptersAndHeadings) {
    MainWindow w;
    SymptomSearchDialog* d = w.openTree();
    ASSERT_NE(d, nullptr);
    const RepertoryTreeModel& m = *d->model();
    const RepertoryData& data = w.data();
    // Headings of no rubric and of exactly one.
    int empty = -1;
    int single = -1;
    for (int h = data.headingCount() - 1; h >= 0; --h) {
        const int rubrics = m.rowCount(m.headingItem(h));
        if (rubrics == 0) {
            empty = h;
        } else if (rubrics == 1) {
            single = h;
        }
    }
    ASSERT_GE(empty, 0);
    ASSERT_GE(single, 0);

    {
        test_support::MessageRecorder messages;
        select(*d, m.chapterItem(3));
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
        select(*d, m.headingItem(empty));
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
        d->tree()->clearSelection();
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
        EXPECT_EQ(messages.texts(),
                  QStringList({QStringLiteral("„%1“ ist ein Kapitel. Bitte öffnen Sie es und "
                                              "wählen Sie eine Rubrik.")
                                   .arg(toQString(data.chapter(3).text)),
                               QStringLiteral("Unter der Überschrift „%1“ steht keine Rubrik.")
                                   .arg(toQString(data.heading(empty).text)),
                               QStringLiteral("Bitte wählen Sie eine Rubrik.")}));
    }
    EXPECT_TRUE(w.caseNumbers().empty());

    const int only = m.tableIndex(m.index(0, 0, m.headingItem(single)));
    select(*d, m.headingItem(single));
    QTest::mouseClick(d->addButton(), Qt::LeftButton);
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{only + 1}));
    EXPECT_EQ(d->tree()->currentIndex(), m.rubricItem(only)) << "the rubric taken is shown";

    for (int index : {11, 8384}) {
        select(*d, m.rubricItem(index));
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
    }
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{only + 1, 12, 8385}));
    EXPECT_EQ(d->parsedReference(), (SymptomRef{8385, 0}));

    // Leaving the window forgets the number read last.
    ASSERT_TRUE(waitActive(w.dialog.get()));
    EXPECT_EQ(d->parsedReference(), SymptomRef{});

    // Zurück hides and stores the placement.
    d->showWindow();
    QTest::mouseClick(d->backButton(), Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(w.store.readInt(settings::kPlacementSymptomSearch, "(check)", 0), 32639);
}

// Two rubrics added one after the other from a row in the middle of the case
// both stay: the focus moves on after each, as after typing a row.
TEST(SymptomSearchDialog, AddingTwiceFromARowInTheMiddleKeepsBoth) {
    MainWindow w;
    TableView& grid = *w.dialog->caseGridView();
    for (const char* number : {"1", "2", "3"}) {
        test::typeIntoGrid(grid, QString::fromLatin1(number));
    }
    test::clickCell(grid, 2, 0);
    SymptomSearchDialog* d = w.openTree();
    ASSERT_NE(d, nullptr);
    for (int index : {11, 20}) {
        select(*d, d->model()->rubricItem(index));
        QTest::mouseClick(d->addButton(), Qt::LeftButton);
    }
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{1, 12, 3, 21}));
}

TEST(SymptomSearchDialog, DoubleClickTakesTheRubricCollapsesAllAndCloses) {
    MainWindow w;
    SymptomSearchDialog* d = w.openTree();
    ASSERT_NE(d, nullptr);
    const RepertoryTreeModel& m = *d->model();

    // A double-click on a heading only opens it.
    d->tree()->expand(m.chapterItem(0));
    doubleClick(*d, m.headingItem(1));
    EXPECT_TRUE(d->tree()->isExpanded(m.headingItem(1)));
    EXPECT_TRUE(d->isVisible());
    d->tree()->expand(m.chapterItem(7));

    doubleClick(*d, m.rubricItem(4));
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{5}));
    EXPECT_FALSE(anyBranchOpen(*d));

    // The next "S&uchen" shows the tree with every branch closed.
    ASSERT_EQ(w.openTree(), d);
    EXPECT_FALSE(anyBranchOpen(*d));

    // Enter in the tree takes a rubric exactly once and closes.
    select(*d, m.rubricItem(99));
    QTest::keyClick(d->tree(), Qt::Key_Return);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{5, 100}));
    // On a chapter it opens the branch and the window stays.
    w.openTree();
    select(*d, m.chapterItem(2));
    QTest::keyClick(d->tree(), Qt::Key_Return);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(d->tree()->isExpanded(m.chapterItem(2)));
    EXPECT_EQ(w.caseNumbers().size(), 2u);
}

// --- "Textuelle Symptomsuche" -----------------------------------------------------------

TEST(TextSearchDialog, SearchesFromTheThirdCharacterAndKeepsTheTableWhenShorter) {
    MainWindow w;
    TextSearchDialog* d = w.openTextSearch();
    ASSERT_NE(d, nullptr);
    TableView& t = *d->table();
    EXPECT_EQ(t.rowCount(), 20);
    EXPECT_EQ(t.columnCount(), 3);
    EXPECT_EQ(t.cellText(0, 0), "Nummer");
    EXPECT_EQ(t.cellText(0, 1), "Symptom");
    EXPECT_EQ(t.cellText(0, 2), "Kapitel");

    QTest::keyClicks(d->searchField(), QStringLiteral("ai"));
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Textuelle Symptomsuche"));
    EXPECT_EQ(t.rowCount(), 20);
    EXPECT_EQ(t.cellText(1, 0), "");

    QTest::keyClicks(d->searchField(), QStringLiteral("r"));
    const int hits = static_cast<int>(d->search().rows().size());
    ASSERT_GT(hits, 1);
    EXPECT_EQ(d->windowTitle(),
              QStringLiteral("Textuelle Symptomsuche: %1 gefundene Symptome").arg(hits));
    EXPECT_EQ(t.rowCount(), hits + 1);
    EXPECT_NE(test::rowWithNumber(t, 2), -1) << "Air, - While in the Open";

    // Back to two characters: the caption returns, the hits stay.
    QTest::keyClick(d->searchField(), Qt::Key_Backspace);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Textuelle Symptomsuche"));
    EXPECT_EQ(t.rowCount(), hits + 1);
    EXPECT_NE(test::rowWithNumber(t, 2), -1);

    // Leaving the field with a changed short text searches it.
    d->searchField()->setFocus();
    retype(d->searchField(), QStringLiteral("q"));
    t.setFocus();
    EXPECT_EQ(d->search().lastSearchedText(), "q");

    // Leaving it empty lists every rubric.
    d->searchField()->setFocus();
    retype(d->searchField(), QString());
    d->chapterList()->setFocus();
    EXPECT_EQ(t.rowCount(), 8386);
    EXPECT_EQ(t.cellText(8385, 0), "8385");
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Textuelle Symptomsuche: 8385 gefundene Symptome"));

    // The same empty text with another chapter: no search, the caption returns.
    d->chapterList()->setCurrentIndex(5);
    EXPECT_EQ(d->windowTitle(), QStringLiteral("Textuelle Symptomsuche"));
    EXPECT_EQ(t.rowCount(), 8386);
    EXPECT_TRUE(w.caseNumbers().empty());
}

TEST(TextSearchDialog, DoubleClickAddsHitsAndStays) {
    MainWindow w;
    TextSearchDialog* d = w.openTextSearch();
    ASSERT_NE(d, nullptr);
    TableView& t = *d->table();

    QTest::keyClicks(d->searchField(), QStringLiteral("open air"));
    const int row = test::rowWithNumber(t, 2);
    ASSERT_GT(row, 0);
    EXPECT_EQ(t.cellText(row, 1), "Air, - While in the Open {0016} [82]");
    EXPECT_EQ(t.cellText(row, 2),
              std::string(w.data().chapter(0).text) + " " + w.data().heading(0).text);

    // The header row adds nothing.
    test::clickCell(t, 0, 0, true);
    EXPECT_TRUE(w.caseNumbers().empty());
    test::clickCell(t, row, 0, true);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{2}));

    // Few hits leave no blank rows; with none the empty look returns, and its
    // blank rows add nothing.
    retype(d->searchField(), QStringLiteral("zzzqqq"));
    EXPECT_TRUE(d->windowTitle().startsWith(
        QStringLiteral("Textuelle Symptomsuche: Kein Symptom gefunden (zzzqqq")));
    EXPECT_EQ(d->searchField()->toolTip(), QStringLiteral("zzzqqq: nicht im Wörterbuch"));
    EXPECT_EQ(t.rowCount(), 20);
    test::clickCell(t, 3, 0, true);
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{2}));

    // A filter on the last chapter reaches its last rubric.
    retype(d->searchField(), QStringLiteral("vomiting"));
    const int all = t.rowCount();
    d->chapterList()->setCurrentIndex(32);
    EXPECT_LT(t.rowCount(), all);
    EXPECT_EQ(leadingInteger(t.cellText(t.rowCount() - 1, 0)), 8385);
    for (int n : tableNumbers(t)) {
        EXPECT_GE(n, 7985);
    }
}

TEST(TextSearchDialog, AcceptNeedsAFocusedHitThenEmptiesAndHides) {
    MainWindow w;
    TextSearchDialog* d = w.openTextSearch();
    ASSERT_NE(d, nullptr);
    TableView& t = *d->table();

    QTest::keyClicks(d->searchField(), QStringLiteral("open air"));
    ASSERT_GT(t.rowCount(), 1);
    // The search left no row focused: Übernehmen and Enter do nothing.
    EXPECT_EQ(t.focusRow(), -1);
    QTest::mouseClick(d->acceptButton(), Qt::LeftButton);
    QTest::keyClick(d->searchField(), Qt::Key_Return);
    QTest::mouseClick(d->addButton(), Qt::LeftButton);
    EXPECT_TRUE(d->isVisible());
    EXPECT_TRUE(w.caseNumbers().empty());

    // Hinzufügen takes the focused hit and stays.
    const int row = test::rowWithNumber(t, 2);
    clickRow(t, row);
    QTest::mouseClick(d->addButton(), Qt::LeftButton);
    EXPECT_TRUE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{2}));

    // Übernehmen takes it, deletes the selected characters of the search
    // text, empties the table to its look with headers and hides.
    // (The field loses its selection on screen when the row is clicked.)
    d->searchField()->setFocus();
    d->searchField()->setSelection(4, 4); // " air"
    clickRow(t, row);
    EXPECT_FALSE(d->searchField()->hasSelectedText());
    QTest::mouseClick(d->acceptButton(), Qt::LeftButton);
    EXPECT_FALSE(d->isVisible());
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{2, 2}));
    EXPECT_EQ(d->searchField()->text(), QStringLiteral("open"));
    EXPECT_EQ(t.rowCount(), 20);
    EXPECT_EQ(t.cellText(1, 0), "");
    EXPECT_EQ(t.cellText(0, 0), "Nummer") << "the headers stay";
    EXPECT_EQ(w.store.readInt(settings::kPlacementTextSearch, "(check)", 0), 32639);
    EXPECT_EQ(w.store.readInt(settings::kColumnsTextSearch, "Col0", -1), t.columnWidth(0));

    // Shown again with its text; Zurück hides it.
    ASSERT_EQ(w.openTextSearch(), d);
    EXPECT_EQ(d->searchField()->text(), QStringLiteral("open"));
    QTest::keyClick(d, Qt::Key_Escape);
    EXPECT_FALSE(d->isVisible());
}

// The first opening shows the header and twelve hit rows, and every column
// whole at about its first width of 60, 372 and 200 pixels.
TEST(TextSearchDialog, FirstOpeningShowsTwelveRowsAndEveryColumnWhole) {
    MainWindow w;
    TextSearchDialog* d = w.openTextSearch();
    ASSERT_NE(d, nullptr);
    const TableView& t = *d->table();
    EXPECT_EQ(t.columnWidth(0), 60);
    EXPECT_GE(t.columnWidth(1), 371);
    EXPECT_GE(t.columnWidth(2), 199);
    for (int c = 0; c < 3; ++c) {
        EXPECT_GE(t.columnWidth(c), t.fittingWidth(t.cellText(0, c))) << "column " << c;
    }
    EXPECT_LE(t.cellRect(0, 2).right(), t.viewport()->width());
    EXPECT_GE(t.viewport()->height(), t.logic().totalRowHeight(0, 13));
}

TEST(TextSearchDialog, TextColumnsShareTheWidthInProportion) {
    MainWindow w;
    TextSearchDialog* d = w.openTextSearch();
    ASSERT_NE(d, nullptr);
    TableView& t = *d->table();
    t.setColumnWidth(0, 50);
    t.setColumnWidth(1, 300);
    t.setColumnWidth(2, 100);
    d->splitTextColumns(870);
    EXPECT_EQ(t.columnWidth(1), 600);
    EXPECT_EQ(t.columnWidth(2), 200);

    // A resize of the window keeps the columns within the table.
    d->resize(d->width() + 200, d->height());
    QApplication::processEvents();
    EXPECT_EQ(t.columnWidth(0), 50);
    EXPECT_NEAR(t.columnWidth(0) + t.columnWidth(1) + t.columnWidth(2), t.width() - 20, 1)
        << "up to the truncation of both shares";
}

TEST(FindingWindows, HelpOpensEachWindowsTopic) {
    MainWindow w;
    auto helpPage = [] {
        return HelpViewer::instance() ? HelpViewer::instance()->currentPage() : QUrl();
    };
    QTest::mouseClick(w.openTree()->helpButton(), Qt::LeftButton);
    EXPECT_EQ(helpPage(), helpPageUrl(help::kSymptomSearch));
    QTest::mouseClick(w.openTextSearch()->helpButton(), Qt::LeftButton);
    EXPECT_EQ(helpPage(), helpPageUrl(help::kTextSearch));
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        QTest::mouseClick(d.helpButton(), Qt::LeftButton);
        EXPECT_EQ(helpPage(), helpPageUrl(help::kRemedyOverview));
        d.reject();
    });
    if (HelpViewer::instance()) {
        HelpViewer::instance()->close();
    }
}

TEST(FindingWindows, TheModelessWindowsGoWithTheMainWindow) {
    QPointer<QDialog> tree;
    QPointer<QDialog> text;
    {
        MainWindow w;
        tree = w.openTree();
        text = w.openTextSearch();
        ASSERT_TRUE(tree && text);
    }
    EXPECT_TRUE(tree.isNull());
    EXPECT_TRUE(text.isNull());
}

// --- "Mittelübersicht" ----------------------------------------------------------------

TEST(RemedyOverviewDialog, TypedAbbreviationFindsEveryRubricOfTheRemedy) {
    MainWindow w;
    const std::vector<int> expected = aconRubrics(w.data(), [](int) { return true; });
    bool ran = false;
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        ran = true;
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Mittelübersicht"));
        EXPECT_EQ(d.table()->rowCount(), 0);
        EXPECT_FALSE(d.gradeGroup()->isVisible());
        EXPECT_FALSE(d.minimumField()->isEnabled());
        EXPECT_FALSE(d.otherRemediesBox()->isEnabled());
        ASSERT_EQ(d.remedyBox()->count(), 358);
        for (int i = 1; i < d.remedyBox()->count(); ++i) {
            EXPECT_LE(d.remedyBox()->itemText(i - 1).compare(d.remedyBox()->itemText(i),
                                                             Qt::CaseInsensitive),
                      0);
        }
        EXPECT_EQ(d.chapterList()->count(), 33);

        searchRemedy(d, QStringLiteral("acon"));
        EXPECT_EQ(
            d.windowTitle(),
            QStringLiteral("Mittelübersicht: acon., gefundene Symptome: %1").arg(expected.size()));
        TableView& t = *d.table();
        EXPECT_EQ(t.columnCount(), 3) << "no fourth column without the size filter";
        EXPECT_EQ(t.cellText(0, 0), "Nummer");
        EXPECT_EQ(t.cellText(0, 3), "");
        EXPECT_EQ(tableNumbers(t), expected);
        EXPECT_EQ(t.cellText(t.rowCount() - 1, 0), "8385 ");

        // The last chapter alone, chosen from the list.
        d.chapterList()->setCurrentIndex(32);
        EXPECT_EQ(tableNumbers(t).back(), 8385);
        EXPECT_GE(tableNumbers(t).front(), 7985);

        // A text that names no remedy: the header row only.
        d.chapterList()->setCurrentIndex(0);
        // (Enter in the remedy box searches too.)
        d.remedyBox()->lineEdit()->clear();
        QTest::keyClicks(d.remedyBox()->lineEdit(), QStringLiteral("Xyz"));
        QTest::keyClick(d.remedyBox()->lineEdit(), Qt::Key_Return);
        EXPECT_EQ(t.rowCount(), 1);
        EXPECT_EQ(d.windowTitle(), QStringLiteral("Mittelübersicht: Xyz., gefundene Symptome: 0"));

        // Choosing an entry of the list searches at once.
        d.remedyBox()->setFocus();
        const int bell = d.remedyBox()->findText(QStringLiteral("Bell."));
        ASSERT_GE(bell, 0);
        d.remedyBox()->setCurrentIndex(bell - 1);
        QTest::keyClick(d.remedyBox(), Qt::Key_Down);
        EXPECT_TRUE(d.windowTitle().startsWith(QStringLiteral("Mittelübersicht: Bell.,")));

        QTest::keyClick(&d, Qt::Key_Escape);
    });
    EXPECT_TRUE(ran);
    EXPECT_TRUE(w.caseNumbers().empty());
    EXPECT_EQ(w.store.readInt(settings::kPlacementRemedyOverview, "(check)", 0), 32639);
}

TEST(RemedyOverviewDialog, SizeFilterBoundsAreInclusiveAndFourthColumnNeedsBothBoxes) {
    MainWindow w;
    const std::vector<int> upTo30 = aconRubrics(w.data(), [](int n) { return n <= 30; });
    const std::vector<int> exactly30 = aconRubrics(w.data(), [](int n) { return n == 30; });
    const std::vector<int> exactly31 = aconRubrics(w.data(), [](int n) { return n == 31; });
    ASSERT_FALSE(exactly30.empty());
    ASSERT_FALSE(exactly31.empty());
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        TableView& t = *d.table();
        clickBox(d.sizeFilterBox());
        EXPECT_TRUE(d.minimumField()->isEnabled());
        EXPECT_TRUE(d.otherRemediesBox()->isEnabled());
        EXPECT_EQ(d.minimumField()->text(), QStringLiteral("1"));
        EXPECT_EQ(d.maximumField()->text(), QStringLiteral("30"));

        searchRemedy(d, QStringLiteral("Acon."));
        const std::vector<int> listed = tableNumbers(t);
        EXPECT_EQ(listed, upTo30);
        EXPECT_TRUE(std::find(listed.begin(), listed.end(), exactly30[0]) != listed.end());
        EXPECT_TRUE(std::find(listed.begin(), listed.end(), exactly31[0]) == listed.end());

        // Both boxes on: the fourth column lists the rubric's remedies.
        ASSERT_EQ(t.columnCount(), 4);
        EXPECT_EQ(t.cellText(0, 3), "Andere Mittel");
        const int row = test::rowWithNumber(t, exactly30[0]);
        ASSERT_GT(row, 0);
        const std::string others = t.cellText(row, 3);
        EXPECT_NE(others.find("Acon.(1) "), std::string::npos) << others;
        GradeFilter gradeOneToo;
        gradeOneToo.grade[0] = true;
        EXPECT_EQ(otherRemediesText(w.data(), exactly30[0] - 1, gradeOneToo), others);

        clickBox(d.otherRemediesBox());
        QTest::mouseClick(d.searchButton(), Qt::LeftButton);
        EXPECT_EQ(t.columnCount(), 3);
        clickBox(d.otherRemediesBox());
        clickBox(d.sizeFilterBox());
        EXPECT_FALSE(d.otherRemediesBox()->isEnabled());
        QTest::mouseClick(d.searchButton(), Qt::LeftButton);
        EXPECT_EQ(t.columnCount(), 3) << "the size filter is off";
        d.reject();
    });
}

TEST(RemedyOverviewDialog, SizeFieldsOutsideZeroToNinetyNineAreReported) {
    MainWindow w;
    test_support::MessageRecorder recorder;
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        TableView& t = *d.table();
        clickBox(d.sizeFilterBox());
        d.remedyBox()->setEditText(QStringLiteral("acon"));

        // No integer: the minimum keeps 1, the maximum is not read, the search
        // still runs.
        retype(d.minimumField(), QStringLiteral("abc"));
        retype(d.maximumField(), QStringLiteral("5"));
        QTest::mouseClick(d.searchButton(), Qt::LeftButton);
        ASSERT_EQ(recorder.texts(),
                  QStringList{QStringLiteral("Bitte geben Sie eine ganze Zahl ein.")});
        EXPECT_EQ(d.search().sizeFilter.minimum, 1);
        EXPECT_EQ(d.search().sizeFilter.maximum, 30);
        EXPECT_GT(t.rowCount(), 1);

        recorder.clear();
        retype(d.minimumField(), QStringLiteral("2"));
        retype(d.maximumField(), QStringLiteral("100"));
        QTest::mouseClick(d.searchButton(), Qt::LeftButton);
        EXPECT_EQ(recorder.texts(), QStringList{QStringLiteral(
                                        "Bitte geben Sie eine ganze Zahl zwischen 0 und 99 ein.")});
        EXPECT_EQ(d.search().sizeFilter.maximum, 100) << "the entered value stays";

        // The arrows keep the field within 0..99.
        QTest::keyClick(d.maximumField(), Qt::Key_Up);
        EXPECT_EQ(d.maximumField()->text(), QStringLiteral("99"));
        QTest::keyClick(d.maximumField(), Qt::Key_Up);
        EXPECT_EQ(d.maximumField()->text(), QStringLiteral("99"));

        // Taking a row reads the fields again: a bad field keeps the dialog open.
        retype(d.maximumField(), QStringLiteral("x"));
        recorder.clear();
        test::clickCell(t, 1, 0, true);
        EXPECT_EQ(recorder.texts().size(), 1);
        EXPECT_TRUE(d.isVisible());
        EXPECT_EQ(d.result(), QDialog::Rejected);
        d.reject();
    });
    EXPECT_TRUE(w.caseNumbers().empty());
}

TEST(RemedyOverviewDialog, DoubleClickEndsTheDialogAndAddsExactlyThatRubric) {
    MainWindow w;
    int taken = 0;
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        searchRemedy(d, QStringLiteral("acon"));
        TableView& t = *d.table();
        // The header row is no rubric.
        test::clickCell(t, 0, 0, true);
        EXPECT_EQ(d.result(), QDialog::Rejected);
        const int row = 3;
        taken = leadingInteger(t.cellText(row, 0));
        EXPECT_EQ(t.cellText(row, 0).back(), ' ');
        test::clickCell(t, row, 0, true);
        EXPECT_EQ(d.result(), QDialog::Accepted);
        EXPECT_EQ(d.reference(), (SymptomRef{taken, 0}));
    });
    ASSERT_GT(taken, 0);
    EXPECT_EQ(w.caseNumbers(), (std::vector<int>{taken}));
    EXPECT_EQ(w.dialog->caseGrid().cellText(1, 0), std::to_string(taken));
    EXPECT_EQ(w.dialog->caseGrid().focusRow(), 2) << "the new input row";
}

TEST(RemedyOverviewDialog, PrintingPutsTheRemedyIntoTheTopLeftCell) {
    MainWindow w;
    std::vector<std::string> seen;
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        TableView* t = d.table();
        {
            const auto printDialog = printDialogHook().install([&](QPrinter&) {
                seen.push_back(t->cellText(0, 0));
                return false;
            });
            QTest::mouseClick(d.printButton(), Qt::LeftButton);
            searchRemedy(d, QStringLiteral("acon"));
            QTest::mouseClick(d.printButton(), Qt::LeftButton);
        }
        EXPECT_EQ(t->cellText(0, 0), "Nummer");
        d.reject();
    });
    EXPECT_EQ(seen, (std::vector<std::string>{"", "acon."}));
}

TEST(RemedyOverviewDialog, AlsPdfWritesTheWholeTableForPaperWithTheRemedy) {
    ASSERT_TRUE(test::havePoppler("pdftotext") && test::havePoppler("pdfinfo"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    MainWindow w;
    const QString pdf = dir.filePath(QStringLiteral("uebersicht.pdf"));
    QString offered;
    const test_support::AskedOnce pathAsked(pdfPathHook(),
                                            [&](const QString&, const QString& path) {
                                                offered = path;
                                                return pdf;
                                            });
    QString caption;
    std::vector<QStringList> rows;
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        // With the fourth column: every rubric's long list of remedies, of
        // rubrics of up to 60 remedies.
        clickBox(d.sizeFilterBox());
        if (!d.otherRemediesBox()->isChecked()) {
            clickBox(d.otherRemediesBox());
        }
        retype(d.maximumField(), QStringLiteral("60"));
        searchRemedy(d, QStringLiteral("acon"));
        ASSERT_EQ(d.table()->columnCount(), 4);
        caption = d.windowTitle();
        for (int r = 1; r < d.table()->rowCount(); ++r) {
            QStringList cells;
            for (int c = 0; c < 4; ++c) {
                cells.append(d.table()->cellQText(r, c));
            }
            rows.push_back(cells);
        }
        QTest::mouseClick(d.pdfButton(), Qt::LeftButton);
        EXPECT_EQ(d.table()->cellText(0, 0), "Nummer");
        d.reject();
    });
    ASSERT_TRUE(QFile::exists(pdf));
    EXPECT_TRUE(QFileInfo(offered).fileName().startsWith(QStringLiteral("Mittelübersicht acon. ")))
        << offered.toStdString();
    const int pages = test::pdfPageCount(pdf);
    ASSERT_GE(pages, 2);
    ASSERT_FALSE(rows.empty());
    // The remedy stands where "Nummer" stood, the first rubric below it.
    const QString first = test::pdfPageText(pdf, 1);
    EXPECT_TRUE(first.contains(QStringLiteral("acon.")));
    EXPECT_FALSE(first.contains(QStringLiteral("Nummer")));
    EXPECT_TRUE(first.contains(rows[0][0].trimmed()));

    const std::vector<test::PdfWord> words = test::pdfWords(pdf);
    const QStringList captionWords = caption.split(u' ', Qt::SkipEmptyParts);
    const QString today = QDate::currentDate().toString(QStringLiteral("dd.MM.yyyy"));
    std::size_t row = 0;
    for (int p = 1; p <= pages; ++p) {
        const std::vector<test::PdfWord> page = test::wordsOfPage(words, p);
        EXPECT_TRUE(test::holdsTogether(page, captionWords)) << "page " << p;
        EXPECT_TRUE(test::holdsInOrder(page, {today})) << "page " << p;
        EXPECT_TRUE(test::holdsTogether(page, {QStringLiteral("Seite"), QString::number(p),
                                               QStringLiteral("von"), QString::number(pages)}))
            << "page " << p;
        EXPECT_TRUE(
            test::holdsInOrder(page, {QStringLiteral("Symptom"), QStringLiteral("Kapitel")}))
            << "the headings repeat on every page";
        // The rows in their order, every text in full, wrapped in its column.
        const auto whole = [&](const QStringList& cells) {
            return std::all_of(cells.begin(), cells.end(), [&](const QString& cell) {
                return test::holdsInOrder(page, cell.split(u' ', Qt::SkipEmptyParts));
            });
        };
        while (row < rows.size() && whole(rows[row])) {
            ++row;
        }
    }
    EXPECT_EQ(row, rows.size()) << "rows found whole, in order";
    double smallest = 1000;
    for (const test::PdfWord& word : words) {
        smallest = std::min(smallest, word.letterHeight(false));
    }
    EXPECT_GE(smallest, 8.0);
    EXPECT_EQ(test::overlappingWords(words), QString());
}

// --- columns that fit their window --------------------------------------------------------

TEST(FindingWindows, NummerIsNeverCutWithALargerTableFont) {
    MainWindow w;
    QFont large(QStringLiteral("DejaVu Sans"));
    large.setPixelSize(26);
    w.dialog->setTableFont(large, 0);
    TextSearchDialog* d = w.openTextSearch();
    ASSERT_NE(d, nullptr);
    TableView& t = *d->table();
    EXPECT_GT(t.fittingWidth("Nummer"), 60) << "the font is large enough to need more";
    EXPECT_GE(t.columnWidth(0), t.fittingWidth("Nummer"));
    QTest::keyClicks(d->searchField(), QStringLiteral("open"));
    ASSERT_TRUE(QTest::qWaitFor([&t] { return t.rowCount() > 2; }));
    for (int r = 1; r < t.rowCount(); ++r) {
        ASSERT_LE(t.fittingWidth(t.cellText(r, 0)), t.columnWidth(0)) << r;
    }
}

TEST(FindingWindows, TheOtherRemediesColumnFillsTheRemainingWidth) {
    MainWindow w;
    runRemedyOverview(w, [&](RemedyOverviewDialog& d) {
        TableView& t = *d.table();
        clickBox(d.sizeFilterBox()); // "Andere hochwertige Mittel" is on already
        d.resize(1000, d.height());
        QApplication::processEvents();
        searchRemedy(d, QStringLiteral("Acon."));
        ASSERT_EQ(t.columnCount(), 4);
        // The columns end at the right edge (once the scroll bar the rows
        // need stands), the fourth one took the rest.
        EXPECT_TRUE(QTest::qWaitFor([&t] {
            return t.logic().totalColumnWidth() == t.viewport()->width();
        })) << t.logic().totalColumnWidth()
            << " " << t.viewport()->width();
        EXPECT_GT(t.columnWidth(3), 300);
        d.reject();
    });
}
