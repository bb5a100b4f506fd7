// Weighting and eliminating rubrics in the result view: the keys and the row
// menu, ranking again with the row order and focus kept, the marks in the
// row texts, the clipboard and the filing note, and the marks in the main
// window's case grid after "&Zurück".
#include "ui/PrintTestSupport.h"
#include "ui/UserDriving.h"

#include "case/ResultTable.h"
#include "settings/MemorySettingsStore.h"
#include "ui/MainDialog.h"
#include "ui/RankingChart.h"
#include "ui/ResultDialog.h"
#include "ui/history/FileCaseDialog.h"
#include "ui/table/TableView.h"
#include "ui/widgets/TextCodec.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QLineEdit>
#include <QMenu>
#include <QPageLayout>
#include <QPainter>
#include <QPdfWriter>
#include <QTemporaryDir>
#include <QTest>
#include <QToolTip>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

constexpr int kRubricRow = 2; // the first rubric row of the result table

// A result view over a scored case, shown and active.
struct WeightView {
    WeightView(std::initializer_list<int> numbers, PolarityMode mode = PolarityMode::None,
               const QString& historyPath = QString())
        : evaluated(builtInContent(), numbers, mode, "Fall W") {
        dialog = std::make_unique<ResultDialog>(builtInContent(), evaluated.result, settings,
                                                std::nullopt, store, historyPath);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        dialog->activateWindow();
        EXPECT_TRUE(QTest::qWaitForWindowActive(dialog.get()));
        QApplication::processEvents();
    }

    TableView& table() const { return *dialog->table(); }
    const TableLogic& logic() const { return table().logic(); }
    // The row's text as it reads, its marks after it.
    std::string rowText(int row) const { return logic().cellTextWithMarks(row, 0); }
    std::vector<std::string> rowTexts() const {
        std::vector<std::string> texts;
        for (int r = kRubricRow; r < logic().rowCount(); ++r) {
            texts.push_back(rowText(r));
        }
        return texts;
    }
    // Presses Ctrl + `key` on the table with the focus on (row, col).
    void press(int row, int col, Qt::Key key) {
        table().setFocus();
        table().setFocusCell(row, col);
        QTest::keyClick(&table(), key, Qt::ControlModifier);
        QApplication::processEvents();
    }

    EvaluatedCase evaluated;
    ProgramSettings settings;
    MemorySettingsStore store;
    std::unique_ptr<ResultDialog> dialog;
};

// Installs a row menu hook for its lifetime that records the menu's entries
// and picks the one with the given text (none when empty).
class MenuPick {
public:
    explicit MenuPick(QString pick)
        : guard_(ResultDialog::menuTestHook().install([this, pick](QMenu& menu) -> QAction* {
              ++shown;
              QAction* chosen = nullptr;
              entries.clear();
              for (QAction* action : menu.actions()) {
                  if (action->isSeparator()) {
                      continue;
                  }
                  const QString text = action->text().remove(QLatin1Char('&')).section('\t', 0, 0);
                  entries.push_back({text, action->isChecked(), action->isEnabled()});
                  if (text == pick) {
                      chosen = action;
                  }
              }
              return chosen;
          })) {}
    MenuPick(const MenuPick&) = delete;
    MenuPick& operator=(const MenuPick&) = delete;

    struct Entry {
        QString text;
        bool checked;
        bool enabled;
    };
    std::vector<Entry> entries;
    int shown = 0;

private:
    ResultDialog::MenuHook::Guard guard_;
};

std::string withMarks(const std::string& text, const char* marks) {
    return text + marks;
}

} // namespace

// Case 12, 8, 10 of the delivered content: rubric 12 holds Bell. Calc. Ferr.
// Ruta., rubric 8 Asaf. Calc. Elaps. Merc. Nux-v. Petr., rubric 10 Apis. Bry.
TEST(ResultWeighting, KeysWeightTheFocusRowAndRankAgainAtOnce) {
    WeightView v({12, 8, 10});
    ResultDialog& d = *v.dialog;
    const std::vector<std::string> plain = v.rowTexts();
    ASSERT_EQ(v.logic().columnCount(), 2 + 11);
    EXPECT_EQ(v.logic().rawCellText(0, 2), "Calc.");
    d.nameEdit()->setText(QStringLiteral("Neuer Name"));

    // Rubric 10 twice: Apis. and Bry. lead with two hits each.
    v.press(4, 3, Qt::Key_2);
    EXPECT_EQ(v.rowText(4), withMarks(plain[2], " \xD7"
                                                "2"));
    EXPECT_EQ(v.logic().rawCellText(0, 2), "Apis.");
    EXPECT_EQ(v.logic().rawCellText(1, 2), "2");
    EXPECT_EQ(v.logic().rawCellText(0, 4), "Calc.");
    EXPECT_EQ(v.evaluated.result.entries[2].weight, 2);
    EXPECT_EQ(v.table().focusRow(), 4);
    EXPECT_EQ(d.chart()->bars().size(), 11u);
    EXPECT_EQ(d.chart()->bars()[0].hits, 2);

    // Rubric 8 not scored: its six remedies, Calc. aside, leave the table.
    v.press(3, 2, Qt::Key_0);
    EXPECT_EQ(v.logic().columnCount(), 2 + 6);
    EXPECT_EQ(v.rowText(3), withMarks(plain[1], " \xD7"
                                                "0"));
    EXPECT_EQ(v.logic().cellTextColour(3, 0), kUnscoredTextColour);
    EXPECT_EQ(v.logic().cellTextColour(4, 0), std::nullopt);
    EXPECT_EQ(v.table().focusRow(), 3);
    EXPECT_EQ(d.chart()->bars().size(), 6u);

    // Rubric 12 eliminating: only its four remedies stay; Ctrl+E again undoes it.
    v.press(2, 2, Qt::Key_E);
    EXPECT_EQ(v.rowText(2), withMarks(plain[0], " [E]"));
    EXPECT_EQ(v.logic().columnCount(), 2 + 4);
    v.press(2, 2, Qt::Key_E);
    EXPECT_EQ(v.rowText(2), plain[0]);
    EXPECT_EQ(v.logic().columnCount(), 2 + 6);

    // Back to weight 1 everywhere: the table is the one the view opened with.
    v.press(3, 2, Qt::Key_1);
    v.press(4, 2, Qt::Key_1);
    EXPECT_EQ(v.rowTexts(), plain);
    EXPECT_EQ(v.logic().columnCount(), 2 + 11);
    EXPECT_EQ(v.logic().rawCellText(0, 2), "Calc.");
    EXPECT_EQ(v.logic().cellTextColour(3, 0), std::nullopt);
    EXPECT_FALSE(anyEntryMarks(v.evaluated.result.entries));
    EXPECT_EQ(d.nameEdit()->text(), QStringLiteral("Neuer Name"));
}

// A click on a rubric's text sorts the remedies by it and makes its row the
// one the keys weight; a key with no rubric row to act on says so.
TEST(ResultWeighting, AClickOnARubricsTextPicksItsRowForTheKeys) {
    WeightView v({12, 8, 10});
    ASSERT_LT(v.table().focusRow(), kRubricRow);
    v.table().setFocus();
    QTest::keyClick(&v.table(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Keine Rubrik gewählt: Bitte klicken Sie zuerst "
                                               "die Rubrik an, die Sie gewichten wollen."));
    EXPECT_FALSE(anyEntryMarks(v.evaluated.result.entries));

    // Rubric 10 ranks Apis. first.
    test::clickCell(v.table(), 4, 0);
    EXPECT_EQ(v.logic().rawCellText(0, 2), "Apis.");
    EXPECT_EQ(v.table().focusRow(), 4);
    QTest::keyClick(&v.table(), Qt::Key_2, Qt::ControlModifier);
    EXPECT_EQ(v.evaluated.result.entries[2].weight, 2);
    EXPECT_EQ(v.table().focusRow(), 4);
}

TEST(ResultWeighting, SortedRowsAndTheFocusedRemedyStayWhereTheyAre) {
    WeightView v({12, 8, 10});
    // Sort the rubric rows by the Apis. column: rubric 10 comes first.
    int apis = -1;
    for (int c = 2; c < v.logic().columnCount(); ++c) {
        if (v.logic().rawCellText(0, c) == "Apis.") {
            apis = c;
        }
    }
    ASSERT_GE(apis, 2);
    v.table().logic().sorting().sortRowsByColumn(apis);
    const std::vector<std::string> sorted = v.rowTexts();
    ASSERT_NE(sorted[0].find("(10)"), std::string::npos);

    // Find Merc. (only in rubric 8), focus it in rubric 8's row and weight rubric 12.
    int merc = -1;
    for (int c = 2; c < v.logic().columnCount(); ++c) {
        if (v.logic().rawCellText(0, c) == "Merc.") {
            merc = c;
        }
    }
    int row8 = -1;
    int row12 = -1;
    for (int r = kRubricRow; r < v.logic().rowCount(); ++r) {
        row8 = v.rowText(r).find("(8)") != std::string::npos ? r : row8;
        row12 = v.rowText(r).find("(12)") != std::string::npos ? r : row12;
    }
    v.table().setFocusCell(row8, merc);
    ASSERT_TRUE(v.dialog->setRowWeight(row12, 3));

    // Every row where it stood; the focus on the same row and on Merc.
    std::vector<std::string> expected = sorted;
    expected[static_cast<std::size_t>(row12 - kRubricRow)] += " \xD7"
                                                              "3";
    EXPECT_EQ(v.rowTexts(), expected);
    EXPECT_EQ(v.table().focusRow(), row8);
    EXPECT_EQ(v.logic().rawCellText(0, v.logic().focusColumn()), "Merc.");
    // The grades follow their rows.
    for (int r = kRubricRow; r < v.logic().rowCount(); ++r) {
        const CaseEntry* entry = v.dialog->rowEntry(r);
        ASSERT_NE(entry, nullptr);
        EXPECT_NE(v.rowText(r).find("(" + std::to_string(entry->number) + ")"), std::string::npos);
    }
}

TEST(ResultWeighting, TheRowMenuShowsTheChoicesAndAppliesThePickedOne) {
    WeightView v({12, 8});
    {
        MenuPick pick(QStringLiteral("Gewichtung 3"));
        // A right click on the row's header opens its menu and picks the row.
        QTest::mouseClick(v.table().viewport(), Qt::RightButton, {},
                          v.table().cellRect(3, 0).center());
        QApplication::processEvents();
        ASSERT_EQ(pick.shown, 1);
        ASSERT_EQ(pick.entries.size(), 6u);
        for (int w = 0; w <= 4; ++w) {
            EXPECT_EQ(pick.entries[static_cast<std::size_t>(w)].text,
                      QStringLiteral("Gewichtung %1").arg(w));
            EXPECT_EQ(pick.entries[static_cast<std::size_t>(w)].checked, w == 1);
            EXPECT_TRUE(pick.entries[static_cast<std::size_t>(w)].enabled);
        }
        EXPECT_EQ(pick.entries[5].text, QStringLiteral("Eliminierend"));
        EXPECT_FALSE(pick.entries[5].checked);
        EXPECT_NE(v.rowText(3).find("(8) \xD7"
                                    "3"),
                  std::string::npos);
        EXPECT_EQ(v.table().focusRow(), 3);
    }
    {
        // Shift+F10 opens the focus row's menu; the current choices are checked.
        MenuPick pick(QStringLiteral("Eliminierend"));
        v.table().setFocus();
        QTest::keyClick(&v.table(), Qt::Key_F10, Qt::ShiftModifier);
        ASSERT_EQ(pick.shown, 1);
        EXPECT_TRUE(pick.entries[3].checked);
        EXPECT_NE(v.rowText(3).find("(8) \xD7"
                                    "3 [E]"),
                  std::string::npos);
    }
    {
        // Closing the menu without a choice changes nothing.
        MenuPick pick{QString()};
        const std::vector<std::string> before = v.rowTexts();
        v.dialog->showRowMenu(2, QPoint());
        EXPECT_EQ(pick.shown, 1);
        EXPECT_EQ(v.rowTexts(), before);
        // Header rows have no menu.
        v.dialog->showRowMenu(1, QPoint());
        EXPECT_EQ(pick.shown, 1);
    }
}

TEST(ResultWeighting, ACounterPolarRowCannotBeWeighted) {
    WeightView v({5, -40});
    const std::vector<std::string> before = v.rowTexts();
    MenuPick pick(QStringLiteral("Gewichtung 2"));
    v.dialog->showRowMenu(3, QPoint());
    ASSERT_EQ(pick.entries.size(), 6u);
    for (const MenuPick::Entry& e : pick.entries) {
        EXPECT_FALSE(e.enabled) << e.text.toStdString();
    }
    v.press(3, 2, Qt::Key_2);
    EXPECT_EQ(QToolTip::text(), QStringLiteral("Eine Gegenpolarität wird nicht gewertet und "
                                               "lässt sich daher nicht gewichten."));
    v.press(3, 2, Qt::Key_E);
    EXPECT_FALSE(v.dialog->setRowWeight(3, 2));
    EXPECT_FALSE(v.dialog->setRowWeight(2, 5));
    EXPECT_FALSE(v.dialog->setRowWeight(1, 2));
    EXPECT_EQ(v.rowTexts(), before);
    EXPECT_FALSE(anyEntryMarks(v.evaluated.result.entries));
}

TEST(ResultWeighting, TheGradeBlockCarriesTheMarksAtTheEndOfEachLine) {
    WeightView v({12, 8});
    QClipboard* clipboard = QGuiApplication::clipboard();
    v.dialog->copyToClipboard();
    const QString plain = clipboard->text();
    ASSERT_EQ(plain.count(QLatin1Char('\n')), 1);

    ASSERT_TRUE(v.dialog->setRowWeight(2, 2));
    ASSERT_TRUE(v.dialog->toggleRowEliminating(2));
    v.dialog->copyToClipboard();
    const QStringList lines = clipboard->text().split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 2);
    // Only rubric 12's four remedies are left: four grade fields and the marks.
    EXPECT_EQ(lines[0], QStringLiteral("1\t1\t1\t1\t\u00D7"
                                       "2 [E]"));
    EXPECT_TRUE(lines[1].endsWith(QLatin1Char('\t')));
    EXPECT_EQ(lines[1].count(QLatin1Char('\t')), 4);
}

TEST(ResultWeighting, FilingAWeightedCaseSaysTheWeightsStayBehind) {
    QTemporaryDir dir;
    const QString history = dir.filePath("historie.xml");
    WeightView v({12, 8}, PolarityMode::None, history);
    QString note;
    bool noteShown = true;
    const auto guard = FileCaseDialog::testHook().install([&](FileCaseDialog& dialog) {
        note = dialog.noteLabel()->text();
        noteShown = !dialog.noteLabel()->isHidden();
        return int(QDialog::Rejected);
    });
    v.dialog->fileCase();
    EXPECT_FALSE(noteShown);

    ASSERT_TRUE(v.dialog->setRowWeight(3, 4));
    v.dialog->fileCase();
    EXPECT_TRUE(noteShown);
    EXPECT_EQ(note, QStringLiteral("Gewichtungen werden nicht mit abgelegt."));
    EXPECT_EQ(guard.calls(), 2) << "once for each filing";
}

TEST(ResultWeighting, ZurueckKeepsTheMarksInTheCaseGridAndNeuDropsThem) {
    MemorySettingsStore store;
    MainDialog main(store, QStringLiteral("/praxis/historie.xml"));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const std::vector<SymptomRef> refs = {{12, 0}, {8, 0}};
    main.loadCase("Fall", refs);
    ProgramSettings settings;
    const auto weighInView = [&](bool keep) {
        return [&, keep](EvaluationResult& result) {
            ResultDialog view(main.data(), result, settings, std::nullopt, store, QString());
            view.show();
            view.setRowWeight(3, 2);
            view.toggleRowEliminating(2);
            return ResultViewOutcome{keep, "Fall"};
        };
    };
    main.setResultViewRunner(weighInView(true));
    main.onEvaluate();
    const CaseGrid& grid = main.caseGrid();
    const RepertoryData& data = main.data();
    EXPECT_EQ(grid.cellTextWithMarks(1, 1), data.symptomText(12) + " [E]");
    EXPECT_EQ(grid.cellTextWithMarks(2, 1), data.symptomText(8) + " \xD7"
                                                                  "2");
    EXPECT_EQ(main.theCase().entry(1).weight, 2);

    main.setResultViewRunner(weighInView(false));
    main.onEvaluate();
    EXPECT_FALSE(anyEntryMarks(main.theCase().entries()));
    EXPECT_EQ(grid.rowCount(), 2);
    main.done(QDialog::Rejected);
}

TEST(ResultWeighting, WeightsKeptFromTheViewAreAnUndoStepOfTheirOwn) {
    MemorySettingsStore store;
    MainDialog main(store, QStringLiteral("/praxis/historie.xml"));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    const std::vector<SymptomRef> refs = {{12, 0}, {0, 0}, {8, 0}};
    main.loadCase("Fall", refs);
    ProgramSettings settings;
    main.setResultViewRunner([&](EvaluationResult& result) {
        ResultDialog view(main.data(), result, settings, std::nullopt, store, QString());
        view.show();
        view.setRowWeight(3, 3);
        return ResultViewOutcome{true, "Fall"};
    });
    main.onEvaluate();
    const CaseGrid& grid = main.caseGrid();
    ASSERT_EQ(main.theCase().entry(1).number, 8);
    EXPECT_EQ(main.theCase().entry(1).weight, 3);

    // The weight goes first, then the evaluation's removal of the empty row.
    main.undo();
    EXPECT_EQ(main.theCase().entry(1).number, 8);
    EXPECT_FALSE(anyEntryMarks(main.theCase().entries()));
    EXPECT_EQ(grid.rawCellText(2, 1), main.data().symptomText(8));
    main.undo();
    EXPECT_EQ(main.theCase().entry(1).number, 0);
    main.redo();
    main.redo();
    EXPECT_EQ(main.theCase().entry(1).weight, 3);
    main.done(QDialog::Rejected);
}

namespace {

// The words a table view shows, as its painting puts them into a PDF of
// its size (a point for a pixel).
std::vector<PdfWord> wordsShown(TableView& view, const QString& pdf) {
    {
        QPdfWriter writer(pdf);
        writer.setResolution(72);
        writer.setPageLayout(QPageLayout(QPageSize(QSizeF(view.size()), QPageSize::Point),
                                         QPageLayout::Portrait, QMarginsF()));
        QPainter painter(&writer);
        view.render(&painter);
    }
    return pdfWords(pdf);
}

} // namespace

TEST(ResultWeighting, MarksStayWholeInTheirCellHoweverNarrowTheColumn) {
    ASSERT_TRUE(havePoppler("pdftotext"));
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    WeightView v({12, 8});
    ASSERT_TRUE(v.dialog->setRowWeight(3, 2));
    ASSERT_TRUE(v.dialog->toggleRowEliminating(3));

    MemorySettingsStore store;
    MainDialog main(store, QStringLiteral("/praxis/historie.xml"));
    main.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&main));
    main.loadCase("Fall", std::vector<SymptomRef>{{12, 0}, {8, 0}});
    ProgramSettings settings;
    main.setResultViewRunner([&](EvaluationResult& result) {
        ResultDialog view(main.data(), result, settings, std::nullopt, store, QString());
        view.setRowWeight(3, 2);
        view.toggleRowEliminating(3);
        return ResultViewOutcome{true, "Fall"};
    });
    main.onEvaluate();

    struct Shown {
        const char* table;
        TableView* view;
        int row;
        int col;
    };
    for (const Shown& shown :
         {Shown{"result view", &v.table(), 3, 0}, Shown{"case grid", main.caseGridView(), 2, 1}}) {
        TableView& view = *shown.view;
        ASSERT_EQ(toQString(view.logic().cellMarks(shown.row, shown.col)), QStringLiteral("\u00D7"
                                                                                          "2 [E]"))
            << shown.table;
        // Far narrower than the rubric's text.
        view.setColumnWidth(shown.col, 150);
        QApplication::processEvents();
        const std::vector<PdfWord> words =
            wordsShown(view, dir.filePath(QString::fromLatin1(shown.table) + ".pdf"));
        const QRect cell(
            view.viewport()->mapTo(&view, view.cellRect(shown.row, shown.col).topLeft()),
            view.cellRect(shown.row, shown.col).size());
        for (const QString& mark : {QStringLiteral("\u00D7"
                                                   "2"),
                                    QStringLiteral("[E]")}) {
            const auto at = std::find_if(words.begin(), words.end(),
                                         [&](const PdfWord& w) { return w.text == mark; });
            ASSERT_NE(at, words.end()) << shown.table << ": " << mark.toStdString();
            EXPECT_GE(at->box.left(), cell.left()) << shown.table;
            EXPECT_LE(at->box.right(), cell.right() + 1.0) << shown.table;
            EXPECT_NEAR(at->centreY(), cell.center().y(), cell.height() / 2.0) << shown.table;
        }
    }
    main.done(QDialog::Rejected);
}
