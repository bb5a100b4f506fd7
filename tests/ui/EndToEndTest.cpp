// The road of one case through the real program, as a user walks it with
// keyboard and mouse: typed into the case grid, found in the chapter tree, in
// the text search and in the remedy overview, evaluated, printed, copied,
// filed, taken back from the case history, and the program quit. Afterwards
// the files the program left behind are checked: the history byte by byte,
// the settings with every window's placement and column widths, the printout.
//
// Test seams are used only where the platform would block or the clock would
// make the result vary: the print dialog (a PDF file instead), the print date
// and the filing date.
#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/NumberText.h"
#include "settings/SettingsKeys.h"
#include "support/FreshSettings.h"
#include "support/QtFileBytes.h"
#include "support/SeamGuard.h"
#include "ui/MainDialog.h"
#include "ui/QtSettingsStore.h"
#include "ui/ResultDialog.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/history/HistoryDialog.h"
#include "ui/history/HistoryFiles.h"
#include "ui/table/TableView.h"
#include "ui/widgets/ConfirmDialog.h"
#include "ui/widgets/IconPushButton.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFile>
#include <QLineEdit>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QSettings>
#include <QTemporaryDir>
#include <QTest>
#include <QTreeView>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

using namespace tessalyn;
using test_support::readBytes;
using namespace tessalyn::test;

namespace {

const char* const kFilingDate = "06.12.2026 10:30";

// The numbers of the case grid's rows, the input row left out.
std::vector<std::string> gridNumbers(const MainDialog& main) {
    std::vector<std::string> numbers;
    const CaseGrid& grid = main.caseGrid();
    for (int r = grid.headerRowCount(); r < grid.rowCount(); ++r) {
        if (grid.cellText(r, 0) != "0") {
            numbers.push_back(grid.cellText(r, 0));
        }
    }
    return numbers;
}

// What a window left in the settings when it closed.
struct Closed {
    QRect geometry;
    std::vector<int> columnWidths;
};

Closed closedState(const QWidget* window, const TableView* table = nullptr, int columns = 0) {
    Closed c{window->geometry(), {}};
    if (table != nullptr) {
        const int n = columns > 0 ? columns : table->columnCount();
        for (int col = 0; col < n; ++col) {
            c.columnWidths.push_back(table->columnWidth(col));
        }
    }
    return c;
}

} // namespace

TEST(EndToEnd, TheRoadOfOneCase) {
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    const QString historyPath = dir.filePath(QStringLiteral("historie.xml"));
    const QString pdf = dir.filePath(QStringLiteral("ergebnis.pdf"));
    const test_support::SeamGuard filingDate(setHistoryFilingDate, std::string(kFilingDate));
    // A first start: no settings yet.
    const test_support::FreshSettings firstStart;
    modalsMet = 0;

    QtSettingsStore store;
    auto main = std::make_unique<MainDialog>(store, historyPath);
    main->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main.get()));
    ASSERT_TRUE(waitActive(main.get()));
    TableView& grid = *main->caseGridView();
    const RepertoryData& data = main->data();

    // --- 12 and Enter into the input row --------------------------------------------
    typeIntoGrid(grid, QStringLiteral("12"));
    ASSERT_FALSE(HasFatalFailure());
    EXPECT_EQ(grid.cellText(1, 1), data.symptomText(12));
    EXPECT_EQ(grid.cellText(1, 2), data.locationText(11));
    EXPECT_EQ(grid.focusRow(), 2) << "a new input row takes the focus";

    // --- "S&uchen": open a chapter and a heading, double-click a rubric --------------
    click(buttonNamed(*main, "searchButton"));
    auto* tree = main->findChild<SymptomSearchDialog*>();
    ASSERT_NE(tree, nullptr);
    ASSERT_TRUE(waitActive(tree));
    const RepertoryTreeModel& model = *tree->model();
    clickItem(*tree->tree(), model.chapterItem(0));
    QTest::keyClick(tree->tree(), Qt::Key_Right);
    ASSERT_TRUE(tree->tree()->isExpanded(model.chapterItem(0)));
    // "Abscesses", opened by a double-click.
    const QModelIndex abscesses = model.headingItem(1);
    ASSERT_EQ(model.itemText(abscesses), "Abscesses");
    clickItem(*tree->tree(), abscesses, true);
    ASSERT_TRUE(tree->tree()->isExpanded(abscesses));
    const QModelIndex rubric5 = model.rubricItem(4);
    ASSERT_EQ(model.parent(rubric5), abscesses);
    EXPECT_TRUE(model.itemText(rubric5).starts_with("Abscesses, - Bones, - From Overheating"));
    clickItem(*tree->tree(), rubric5, true);
    EXPECT_FALSE(tree->isVisible());
    EXPECT_EQ(gridNumbers(*main), (std::vector<std::string>{"12", "5"}));

    // --- "&Textsuche": "open air", double-click the hit ------------------------------
    ASSERT_TRUE(waitActive(main.get()));
    click(buttonNamed(*main, "textSearchButton"));
    auto* textSearch = main->findChild<TextSearchDialog*>();
    ASSERT_NE(textSearch, nullptr);
    ASSERT_TRUE(waitActive(textSearch));
    click(textSearch->searchField());
    QTest::keyClicks(textSearch->searchField(), QStringLiteral("open air"));
    TableView& hits = *textSearch->table();
    const int hitRow = rowWithNumber(hits, 2);
    ASSERT_GT(hitRow, 0);
    EXPECT_EQ(hits.cellText(hitRow, 1), "Air, - While in the Open {0016} [82]");
    clickCell(hits, hitRow, 1, true);
    EXPECT_TRUE(textSearch->isVisible()) << "the text search stays open";
    EXPECT_EQ(gridNumbers(*main), (std::vector<std::string>{"12", "5", "2"}));
    const Closed textSearchClosed = closedState(textSearch, &hits);
    click(textSearch->backButton());
    EXPECT_FALSE(textSearch->isVisible());

    // --- "&Mittel-Ausw.": search "acon", double-click a row --------------------------
    ASSERT_TRUE(waitActive(main.get()));
    Closed remedyClosed;
    whenModal<RemedyOverviewDialog>([&](RemedyOverviewDialog& d) {
        QLineEdit* remedy = d.remedyBox()->lineEdit();
        click(remedy);
        QTest::keyClicks(remedy, QStringLiteral("acon"));
        click(d.searchButton());
        EXPECT_TRUE(d.windowTitle().startsWith(QStringLiteral("Mittelübersicht: acon.,")))
            << d.windowTitle().toStdString();
        TableView& t = *d.table();
        // Rubrics 1, 2, 5 and 11 are the first that hold Acon.
        ASSERT_GE(t.rowCount(), 5);
        EXPECT_EQ(t.cellText(4, 0), "11 ");
        remedyClosed = closedState(&d, &t);
        clickCell(t, 4, 1, true);
        EXPECT_EQ(d.result(), QDialog::Accepted);
    });
    click(buttonNamed(*main, "remedyButton"));
    EXPECT_EQ(gridNumbers(*main), (std::vector<std::string>{"12", "5", "2", "11"}));
    EXPECT_EQ(main->focusWidget(), &grid) << "the grid has the keyboard again";

    // --- "&Berechnen" and the result view ----------------------------------------------
    Closed resultClosed;
    Closed fileCaseClosed;
    QString copied;
    QString expectedCopy;
    whenModal<ResultDialog>([&](ResultDialog& view) {
        view.setPrintDate(QDate(2026, 12, 6));
        TableView& t = *view.table();
        ASSERT_EQ(t.rowCount(), 6) << "two header rows and the four rubrics";
        const char* const rows[] = {"(12)", "(5)", "(2)", "(11)"};
        for (int r = 0; r < 4; ++r) {
            EXPECT_TRUE(t.cellText(r + 2, 0).ends_with(rows[r])) << t.cellText(r + 2, 0);
        }

        // Ranked by the number of hits.
        ASSERT_EQ(t.cellText(1, 0), "Anzahl der Treffer");
        clickCell(t, 1, 0);
        for (int c = 3; c < t.columnCount(); ++c) {
            EXPECT_GE(std::stoi(t.cellText(1, c - 1)), std::stoi(t.cellText(1, c))) << c;
        }
        EXPECT_EQ(t.cellText(1, 2), "4") << "some remedy stands in all four rubrics";

        // The evaluation is named, then printed.
        click(view.nameEdit());
        QTest::keyClicks(view.nameEdit(), QStringLiteral("Fall A"));
        {
            PdfDialogHook hook(pdf);
            click(view.printButton());
            EXPECT_EQ(hook.calls(), 1);
        }

        // The grade block goes to the clipboard.
        QGuiApplication::clipboard()->clear();
        QTest::keyClick(&view, Qt::Key_X, Qt::AltModifier);
        copied = QGuiApplication::clipboard()->text();
        for (int r = 2; r < t.rowCount(); ++r) {
            QStringList cells;
            for (int c = 2; c < t.columnCount(); ++c) {
                cells << t.cellQText(r, c);
            }
            expectedCopy += cells.join(QLatin1Char('\t'));
            if (r + 1 < t.rowCount()) {
                expectedCopy += QLatin1Char('\n');
            }
        }

        // "&Ablegen" under "Fall A" with a two-line comment.
        whenModal<FileCaseDialog>([&](FileCaseDialog& f) {
            EXPECT_EQ(f.windowTitle(), QStringLiteral("Fall ablegen"));
            EXPECT_EQ(f.nameBox()->currentText(), QStringLiteral("Fall A"));
            click(f.commentBox());
            QTest::keyClicks(f.commentBox(), QStringLiteral("erste Sitzung"));
            QTest::keyClick(f.commentBox(), Qt::Key_Return);
            typeText(f.commentBox(), QStringLiteral("Kopfschmerz über dem Auge"));
            fileCaseClosed = closedState(&f);
            click(f.okButton());
        });
        click(view.fileButton());
        EXPECT_TRUE(view.isVisible()) << "the view stays after filing";

        resultClosed = closedState(&view, &t, 2);
        click(view.backButton());
    });
    click(buttonNamed(*main, "evaluateButton"));
    EXPECT_EQ(copied, expectedCopy);
    EXPECT_EQ(copied.count(QLatin1Char('\n')), 3);
    EXPECT_EQ(main->theCase().name(), "Fall A") << "Zurück keeps the case under its new name";
    EXPECT_EQ(gridNumbers(*main), (std::vector<std::string>{"12", "5", "2", "11"}));

    // One more row, which taking the filed case over will drop again.
    typeIntoGrid(grid, QStringLiteral("7"));
    EXPECT_EQ(gridNumbers(*main), (std::vector<std::string>{"12", "5", "2", "11", "7"}));

    // --- "&Fallhistorie": the case, its treatment, taken over ------------------------
    Closed historyClosed;
    whenModal<HistoryDialog>([&](HistoryDialog& h) {
        QTreeWidget& t = *h.tree();
        ASSERT_EQ(t.topLevelItemCount(), 1);
        QTreeWidgetItem* filed = t.topLevelItem(0);
        EXPECT_EQ(filed->text(0), QStringLiteral("Fall A"));
        ASSERT_EQ(filed->childCount(), 1);
        EXPECT_EQ(filed->child(0)->text(0),
                  QStringLiteral("06.12.2026 10:30 (erste Sitzung Kopfschmerz über dem Auge)"));
        clickItem(t, t.indexFromItem(filed));
        QTest::keyClick(&t, Qt::Key_Right);
        ASSERT_TRUE(filed->isExpanded());
        clickItem(t, t.indexFromItem(filed->child(0)));
        historyClosed = closedState(&h);
        // The case on screen has a row more than the filed one: it is
        // replaced only after a question, which Enter would answer no.
        whenModal<ConfirmDialog>([&](ConfirmDialog& box) {
            EXPECT_EQ(box.text(),
                      QStringLiteral("Der Fall Fall A mit 5 Rubriken ist noch nicht abgelegt.\n"
                                     "Wollen Sie ihn durch den Fall Fall A aus der Fallhistorie "
                                     "ersetzen?"));
            EXPECT_TRUE(box.noButton()->isDefault());
            click(box.yesButton());
        });
        click(h.takeOverButton());
    });
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Tessalyn – Fall A (nicht abgelegt)"));
    click(buttonNamed(*main, "historyButton"));
    EXPECT_EQ(main->windowTitle(), QStringLiteral("Tessalyn – Fall A (abgelegt)"));
    EXPECT_EQ(main->theCase().name(), "Fall A");
    EXPECT_EQ(gridNumbers(*main), (std::vector<std::string>{"12", "5", "2", "11"}));
    EXPECT_EQ(grid.cellText(5, 0), "0") << "the input row below the filed rubrics";
    EXPECT_EQ(grid.focusRow(), 5);

    // --- "Been&den", answered "&Ja" ----------------------------------------------------
    const Closed mainClosed = closedState(main.get(), &grid);
    QString question;
    whenModal<ConfirmDialog>([&](ConfirmDialog& box) {
        question = box.text();
        click(box.yesButton());
    });
    click(buttonNamed(*main, "quitButton"));
    EXPECT_EQ(question, QStringLiteral("Wollen Sie wirklich beenden?"));
    EXPECT_FALSE(main->isVisible());
    EXPECT_EQ(main->result(), QDialog::Rejected);
    EXPECT_FALSE(main->findChild<TextSearchDialog*>()) << "the search windows are gone";
    main.reset();
    EXPECT_EQ(modalsMet, 6) << "overview, result, filing, history, two questions";

    // --- the history file, byte by byte ------------------------------------------------
    const QByteArray expectedHistory =
        "<Fallhistorie AnzahlFaelle=\"1\">\r\n"
        "\t<Fall Name=\"Fall A\" AnzahlBehandlungen=\"1\">\r\n"
        "\t\t<Behandlung Datum=\"06.12.2026 10:30\" Kommentar=\"erste Sitzung\r\r\n"
        "Kopfschmerz \xFC"
        "ber dem Auge\" Preferiert=\"0\" AnzahlSymptome=\"4\">\r\n"
        "\t\t\t<Symptom Nummer=\"12\"/>\r\n"
        "\t\t\t<Symptom Nummer=\"5\"/>\r\n"
        "\t\t\t<Symptom Nummer=\"2\"/>\r\n"
        "\t\t\t<Symptom Nummer=\"11\"/>\r\n"
        "\t\t</Behandlung>\r\n"
        "\t</Fall>\r\n"
        "</Fallhistorie>\r\n";
    EXPECT_EQ(readBytes(historyPath), expectedHistory);

    // --- the printout ------------------------------------------------------------------
    ASSERT_TRUE(QFile::exists(pdf));
    ASSERT_TRUE(havePoppler("pdfinfo") && havePoppler("pdftotext"));
    EXPECT_EQ(pdfPageCount(pdf), 1);
    EXPECT_TRUE(pdfPageText(pdf, 1).contains(QStringLiteral("Fall A 06.12.2026")));

    // --- the settings file: every window's placement and widths --------------------
    const QString settingsFile = store.fileName();
    const QString configFolder = qEnvironmentVariable("XDG_CONFIG_HOME");
    ASSERT_FALSE(configFolder.isEmpty());
    EXPECT_TRUE(settingsFile.startsWith(configFolder)) << settingsFile.toStdString();
    ASSERT_TRUE(QFile::exists(settingsFile));
    const QSettings onDisk(settingsFile, QSettings::NativeFormat);
    const auto expectStored = [&](const char* placementSection, const Closed& closed,
                                  const char* widthsSection = nullptr) {
        const QString p = toQString(placementSection) + QLatin1Char('/');
        SCOPED_TRACE(p.toStdString());
        EXPECT_EQ(onDisk.value(p + QStringLiteral("(check)")).toInt(), 32639);
        EXPECT_EQ(onDisk.value(p + QStringLiteral("Left")).toInt(), closed.geometry.left());
        EXPECT_EQ(onDisk.value(p + QStringLiteral("Top")).toInt(), closed.geometry.top());
        EXPECT_EQ(onDisk.value(p + QStringLiteral("Right")).toInt(),
                  closed.geometry.left() + closed.geometry.width());
        EXPECT_EQ(onDisk.value(p + QStringLiteral("Bottom")).toInt(),
                  closed.geometry.top() + closed.geometry.height());
        EXPECT_EQ(onDisk.value(p + QStringLiteral("State")).toInt(), 1);
        if (widthsSection == nullptr) {
            return;
        }
        const QString w = toQString(widthsSection) + QLatin1Char('/');
        for (std::size_t col = 0; col < closed.columnWidths.size(); ++col) {
            EXPECT_EQ(onDisk.value(w + QStringLiteral("Col%1").arg(col)).toInt(),
                      closed.columnWidths[col])
                << "column " << col;
        }
        EXPECT_FALSE(onDisk.contains(w + QStringLiteral("Col%1").arg(closed.columnWidths.size())));
    };
    expectStored(settings::kPlacementMain, mainClosed, settings::kColumnsMain);
    expectStored(settings::kPlacementTextSearch, textSearchClosed, settings::kColumnsTextSearch);
    expectStored(settings::kPlacementRemedyOverview, remedyClosed,
                 settings::kColumnsRemedyOverview);
    expectStored(settings::kPlacementResult, resultClosed, settings::kColumnsResult);
    expectStored(settings::kPlacementFileCase, fileCaseClosed);
    expectStored(settings::kPlacementHistory, historyClosed);
    // The chapter tree was left by a double-click, which keeps no placement.
    EXPECT_FALSE(onDisk.contains(QStringLiteral("Dialog/Symptomsuche/(check)")));
}
