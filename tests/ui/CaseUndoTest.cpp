// Undo and redo of the case in the main window, the case grid's context menu
// and clearing rows with Delete and Backspace, driven by the keys a user
// presses.
#include "case/CaseTestSupport.h"
#include "ui/UserDriving.h"

#include "settings/MemorySettingsStore.h"
#include "ui/CaseUndo.h"
#include "ui/MainDialog.h"
#include "ui/table/TableView.h"
#include "ui/widgets/IconPushButton.h"

#include <QAction>
#include <QApplication>
#include <QClipboard>
#include <QContextMenuEvent>
#include <QLineEdit>
#include <QMenu>
#include <QTest>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

// A main window over an in-memory store, shown and active, with a result
// view that keeps or discards the case as told.
struct UndoWindow {
    UndoWindow() {
        dialog = std::make_unique<MainDialog>(store, QStringLiteral("/praxis/historie.xml"));
        dialog->setResultViewRunner([this](EvaluationResult&) {
            ++resultViews;
            return ResultViewOutcome{keep, "Ausgewertet"};
        });
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        EXPECT_TRUE(waitActive(dialog.get()));
        view().setFocus();
    }
    ~UndoWindow() { dialog->done(QDialog::Rejected); }

    TableView& view() const { return *dialog->caseGridView(); }
    const CaseGrid& grid() const { return dialog->caseGrid(); }
    const Case& theCase() const { return dialog->theCase(); }
    std::string cell(int row, int col = 0) const { return grid().rawCellText(row, col); }
    void key(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier) const {
        QTest::keyClick(&view(), key, modifiers);
    }
    void undo() const { key(Qt::Key_Z, Qt::ControlModifier); }
    void redo() const { key(Qt::Key_Y, Qt::ControlModifier); }
    void type(const QString& text) const { typeIntoGrid(view(), text); }
    std::vector<std::string> numbers() const {
        std::vector<std::string> texts;
        for (int r = 1; r < grid().rowCount(); ++r) {
            texts.push_back(cell(r));
        }
        return texts;
    }

    MemorySettingsStore store;
    std::unique_ptr<MainDialog> dialog;
    bool keep = true;
    int resultViews = 0;
};

using Rows = std::vector<std::string>;

} // namespace

TEST(CaseUndo, CtrlZUndoesATypedRowAndCtrlYAndCtrlShiftZRedoIt) {
    UndoWindow w;
    w.type(QStringLiteral("12"));
    w.type(QStringLiteral("40+41"));
    ASSERT_EQ(w.numbers(), (Rows{"12", "40 + 41", "0"}));

    w.undo();
    EXPECT_EQ(w.numbers(), (Rows{"12", "0"}));
    EXPECT_EQ(w.grid().focusRow(), 2); // the row that was typed into
    EXPECT_EQ(gridCaseMismatch(w.grid()), "");
    w.undo();
    EXPECT_EQ(w.numbers(), (Rows{""})); // the empty grid as the program starts
    EXPECT_FALSE(w.dialog->undoAction()->isEnabled());
    w.undo(); // nothing left: nothing happens
    EXPECT_EQ(w.numbers(), (Rows{""}));

    w.redo();
    EXPECT_EQ(w.numbers(), (Rows{"12", "0"}));
    w.key(Qt::Key_Z, Qt::ControlModifier | Qt::ShiftModifier);
    EXPECT_EQ(w.numbers(), (Rows{"12", "40 + 41", "0"}));
    EXPECT_EQ(w.theCase().entry(1).chainLength(), 1);
    EXPECT_EQ(w.grid().focusRow(), 3);
    EXPECT_FALSE(w.dialog->redoAction()->isEnabled());
    EXPECT_EQ(gridCaseMismatch(w.grid()), "");

    // A new change after an undo drops what could have been redone.
    w.undo();
    w.type(QStringLiteral("7"));
    EXPECT_FALSE(w.dialog->redoAction()->isEnabled());
    EXPECT_EQ(w.numbers(), (Rows{"12", "7", "0"}));
}

TEST(CaseUndo, CtrlZInTheRowEditorUndoesOnlyTheEditorsText) {
    UndoWindow w;
    w.type(QStringLiteral("12"));
    QTest::keyClick(&w.view(), '4');
    ASSERT_TRUE(w.view().isEditing());
    QTest::keyClicks(w.view().editor(), QStringLiteral("5"));
    QTest::keyClick(w.view().editor(), Qt::Key_Z, Qt::ControlModifier);
    EXPECT_TRUE(w.view().isEditing());
    EXPECT_EQ(w.numbers(), (Rows{"12", "0"}));
    w.view().cancelEditing();
}

TEST(CaseUndo, DeleteAndBackspaceClearTheSelectedRowsAsOneStep) {
    UndoWindow w;
    for (const char* n : {"1", "2+3", "4", "5"}) {
        w.type(QString::fromLatin1(n));
    }
    clickCell(w.view(), 2, 1);
    QTest::mouseClick(w.view().viewport(), Qt::LeftButton, Qt::ShiftModifier,
                      w.view().cellRect(3, 1).center());
    w.key(Qt::Key_Delete);
    EXPECT_EQ(w.numbers(), (Rows{"1", "0", "0", "5", "0"}));
    EXPECT_EQ(w.cell(2, 1), "");
    EXPECT_EQ(w.grid().focusRow(), 3);
    EXPECT_EQ(gridCaseMismatch(w.grid()), "");

    w.undo();
    EXPECT_EQ(w.numbers(), (Rows{"1", "2 + 3", "4", "5", "0"}));
    EXPECT_EQ(w.theCase().entry(1).chainLength(), 1);

    // Backspace on the focused row alone.
    clickCell(w.view(), 4, 0);
    w.key(Qt::Key_Backspace);
    EXPECT_EQ(w.numbers(), (Rows{"1", "2 + 3", "4", "0", "0"}));
    // While a row is typed, Backspace is the editor's.
    QTest::keyClick(&w.view(), '8');
    QTest::keyClick(w.view().editor(), '9');
    QTest::keyClick(w.view().editor(), Qt::Key_Backspace);
    EXPECT_EQ(w.view().editor()->text(), QStringLiteral("8"));
    QTest::keyClick(w.view().editor(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&] { return !w.view().isEditing(); }));
    EXPECT_EQ(w.cell(4), "8");

    // The cleared rows go at Berechnen.
    w.type(QStringLiteral("0"));
    clickCell(w.view(), 2, 0);
    w.key(Qt::Key_Delete);
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(w.numbers(), (Rows{"1", "4", "8", "0"}));
}

TEST(CaseUndo, BerechnenKeepingOrDiscardingIsOneStepEach) {
    UndoWindow w;
    for (const char* n : {"1", "0", "2"}) {
        w.type(QString::fromLatin1(n));
    }
    const Rows typed = w.numbers();
    ASSERT_EQ(typed, (Rows{"1", "0", "2", "0"}));

    // Enter on a row that is not being edited presses "&Berechnen".
    w.key(Qt::Key_Return);
    EXPECT_EQ(w.resultViews, 1);
    EXPECT_EQ(w.numbers(), (Rows{"1", "2", "0"}));
    EXPECT_EQ(w.theCase().name(), "Ausgewertet");
    w.undo();
    EXPECT_EQ(w.numbers(), typed);
    EXPECT_EQ(w.theCase().name(), "");

    // Escape in the result view discards the case; Ctrl+Z brings it back.
    w.keep = false;
    QTest::mouseClick(test::buttonNamed(*w.dialog, "evaluateButton"), Qt::LeftButton);
    EXPECT_EQ(w.numbers(), (Rows{""}));
    w.undo();
    EXPECT_EQ(w.numbers(), typed);
    EXPECT_EQ(gridCaseMismatch(w.grid()), "");
    w.redo();
    EXPECT_EQ(w.numbers(), (Rows{""}));
}

TEST(CaseUndo, TakingOverAndLoadingAreOneStepEach) {
    UndoWindow w;
    w.type(QStringLiteral("5"));
    w.dialog->addReference({12, 0});
    EXPECT_EQ(w.numbers(), (Rows{"5", "12", "0"}));
    const std::vector<SymptomRef> stored = {{1, 0}, {2, 0}, {3, 0}};
    w.dialog->loadCase("Herr Schr\xF6"
                       "der",
                       stored);
    EXPECT_EQ(w.numbers(), (Rows{"1", "2", "3", "0"}));

    w.undo();
    EXPECT_EQ(w.numbers(), (Rows{"5", "12", "0"}));
    EXPECT_EQ(w.theCase().name(), "");
    w.undo();
    EXPECT_EQ(w.numbers(), (Rows{"5", "0"}));
    w.redo();
    w.redo();
    EXPECT_EQ(w.theCase().name(), "Herr Schr\xF6"
                                  "der");
}

TEST(CaseUndo, PastingSeveralRowsIsOneStep) {
    UndoWindow w;
    w.type(QStringLiteral("9"));
    QGuiApplication::clipboard()->setText(QStringLiteral("1\n2\n3\n"));
    clickCell(w.view(), 2, 0);
    w.key(Qt::Key_V, Qt::ControlModifier);
    EXPECT_EQ(w.numbers(), (Rows{"9", "1", "2", "3", "0"}));
    w.undo();
    EXPECT_EQ(w.numbers(), (Rows{"9", "0"}));
    EXPECT_EQ(gridCaseMismatch(w.grid()), "");
}

// The cursor often stands on a row's text (a click there puts it so): pasting
// still writes the numbers from that row down, as one undo step.
TEST(CaseUndo, PastingWritesNumbersFromTheCursorsRowWhicheverColumnItIsIn) {
    struct Step {
        const char* what;
        int row;
        int col;
        Qt::Key key;
        Qt::KeyboardModifiers modifiers;
        Rows after;
    };
    const Step steps[] = {
        {"Ctrl+V on Symptom", 2, 1, Qt::Key_V, Qt::ControlModifier, {"9", "12", "8", "0"}},
        {"Shift+Insert on Kapitel",
         3,
         2,
         Qt::Key_Insert,
         Qt::ShiftModifier,
         {"9", "5", "12", "8", "0"}},
    };
    for (const Step& s : steps) {
        SCOPED_TRACE(s.what);
        UndoWindow w;
        w.type(QStringLiteral("9"));
        w.type(QStringLiteral("5"));
        w.type(QStringLiteral("7"));
        QGuiApplication::clipboard()->setText(QStringLiteral("12\n8\n"));
        clickCell(w.view(), s.row, s.col);
        w.key(s.key, s.modifiers);
        EXPECT_EQ(w.numbers(), s.after);
        EXPECT_EQ(gridCaseMismatch(w.grid()), "");
        w.undo();
        EXPECT_EQ(w.numbers(), (Rows{"9", "5", "7", "0"}));
    }
}

TEST(CaseUndo, AHundredStepsCanBeUndone) {
    UndoWindow w;
    constexpr int kTyped = CaseUndo::kUndoSteps + 5;
    for (int i = 1; i <= kTyped; ++i) {
        w.dialog->addReference({i, 0});
    }
    ASSERT_EQ(w.theCase().count(), kTyped + 1);
    for (int i = 0; i < CaseUndo::kUndoSteps; ++i) {
        w.undo();
    }
    EXPECT_EQ(w.theCase().count(), 6);
    EXPECT_EQ(w.cell(5), "5");
    EXPECT_FALSE(w.dialog->undoAction()->isEnabled());
    for (int i = 0; i < CaseUndo::kUndoSteps; ++i) {
        w.redo();
    }
    EXPECT_EQ(w.theCase().count(), kTyped + 1);
    EXPECT_EQ(w.cell(kTyped), std::to_string(kTyped));
}

TEST(CaseUndo, TheGridsContextMenuOffersTheThreeCommandsWithTheirKeys) {
    UndoWindow w;
    QMenu* menu = w.dialog->caseGridMenu();
    std::vector<QString> texts;
    for (QAction* a : menu->actions()) {
        if (!a->isSeparator()) {
            texts.push_back(a->text() + QLatin1Char('|') +
                            a->shortcut().toString(QKeySequence::PortableText));
        }
    }
    EXPECT_EQ(texts, (std::vector<QString>{QStringLiteral("Rückgängig|Ctrl+Z"),
                                           QStringLiteral("Wiederherstellen|Ctrl+Y"),
                                           QStringLiteral("Zeile leeren|Del")}));
    EXPECT_EQ(w.dialog->redoAction()->shortcuts().size(), 2);

    w.type(QStringLiteral("3"));
    w.type(QStringLiteral("4"));
    // A right click on a row opens the menu there; "Zeile leeren" clears it.
    const QPoint at = w.view().cellRect(1, 1).center();
    QTest::mouseClick(w.view().viewport(), Qt::RightButton, {}, at);
    QContextMenuEvent event(QContextMenuEvent::Mouse, at, w.view().viewport()->mapToGlobal(at));
    QApplication::sendEvent(w.view().viewport(), &event);
    ASSERT_TRUE(QTest::qWaitFor([menu] { return menu->isVisible(); }));
    EXPECT_TRUE(w.dialog->undoAction()->isEnabled());
    EXPECT_FALSE(w.dialog->redoAction()->isEnabled());
    menu->close();
    w.dialog->clearRowsAction()->trigger();
    EXPECT_EQ(w.numbers(), (Rows{"0", "4", "0"}));
    w.dialog->undoAction()->trigger();
    EXPECT_EQ(w.numbers(), (Rows{"3", "4", "0"}));
}
