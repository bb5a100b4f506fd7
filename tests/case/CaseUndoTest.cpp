// Snapshots of the case and the undo steps made of them: restoring puts back
// the case and its grid rows exactly, steps are made only for real changes,
// nested changes are one step, and the capacity rules survive any sequence.
#include "CaseTestSupport.h"

#include "case/CaseGrid.h"
#include "case/CaseSnapshot.h"

#include <gtest/gtest.h>

#include <iostream>
#include <random>
#include <string>
#include <vector>

using namespace tessalyn;
using tessalyn::test::builtIn;
using tessalyn::test::gridCaseMismatch;
using tessalyn::test::GridFixture;
using tessalyn::test::withOpposite;

namespace {

std::vector<SymptomRef> refsUpTo(int n) {
    std::vector<SymptomRef> refs;
    for (int i = 0; i < n; ++i) {
        refs.push_back({i % kRubricCount + 1, 0});
    }
    return refs;
}

std::vector<std::string> rowTexts(const CaseGrid& grid) {
    std::vector<std::string> texts;
    for (int r = 0; r < grid.rowCount(); ++r) {
        for (int c = 0; c < grid.columnCount(); ++c) {
            texts.push_back(grid.rawCellText(r, c));
        }
    }
    return texts;
}

} // namespace

TEST(CaseSnapshot, RestoringPutsBackEntriesChainsTextsNameAndFocus) {
    GridFixture f(builtIn());
    const std::vector<SymptomRef> stored = {{12, 0}, {40, 0}, {-7, 0}};
    f.grid->loadCase("Frau M\xFCller", stored);
    f.typeAll({"5+6+abc+7", "x", "-8385"});
    f.grid->setFocusCell(2, 1);
    const CaseSnapshot before = f.grid->snapshot();
    const std::vector<std::string> texts = rowTexts(*f.grid);
    ASSERT_EQ(f.text(4, 0), "5 + 6 + 0 + 7");

    f.grid->discard();
    ASSERT_EQ(f.theCase.count(), 1);
    f.grid->restore(before, {2, 1});

    EXPECT_EQ(gridCaseMismatch(*f.grid), "");
    EXPECT_EQ(rowTexts(*f.grid), texts);
    EXPECT_EQ(f.theCase.name(), "Frau M\xFCller");
    EXPECT_EQ(f.theCase.entry(1).ref(), (SymptomRef{40, 0}));
    ASSERT_EQ(f.theCase.entry(3).chainLength(), 2);
    EXPECT_EQ(f.theCase.entry(3).next->number, 6);
    EXPECT_EQ(f.theCase.entry(3).next->next->number, 7);
    EXPECT_EQ(f.grid->focus(), (CaseFocus{2, 1}));
    EXPECT_EQ(f.grid->snapshot(), before);
    // The restored case goes on like the typed one: the input row is last.
    f.type("9");
    EXPECT_EQ(f.number(6), 9);
    EXPECT_EQ(gridCaseMismatch(*f.grid), "");
}

TEST(CaseSnapshot, AFocusThatNoLongerExistsGoesToTheLastRow) {
    GridFixture f(builtIn());
    f.typeAll({"1", "2"});
    const CaseSnapshot small = f.grid->snapshot();
    f.grid->restore(small, {40, 0});
    EXPECT_EQ(f.grid->focus(), (CaseFocus{3, 0}));
    f.grid->restore(small, {0, 0}); // the header row is never focused
    EXPECT_EQ(f.grid->focus(), (CaseFocus{3, 0}));
}

TEST(CaseUndoRecorder, UndoAndRedoOfTypedRowsRestoreTheExactStatesAndFocus) {
    GridFixture f(builtIn());
    CaseUndoRecorder recorder(*f.grid);
    std::vector<CaseUndoStep> steps;
    std::vector<CaseSnapshot> states{f.grid->snapshot()};
    for (const char* text : {"12", "40+41", "bd", "-40"}) {
        auto step = recorder.record([&] { f.type(text); });
        ASSERT_TRUE(step.has_value()) << text;
        steps.push_back(*step);
        states.push_back(f.grid->snapshot());
    }
    // Consecutive steps share the state between them.
    EXPECT_EQ(steps[1].before.get(), steps[0].after.get());

    f.grid->setFocusCell(2, 0);
    for (int i = static_cast<int>(steps.size()) - 1; i >= 0; --i) {
        recorder.undo(steps[static_cast<std::size_t>(i)]);
        EXPECT_EQ(f.grid->snapshot(), states[static_cast<std::size_t>(i)]) << i;
        EXPECT_EQ(f.grid->focus(), steps[static_cast<std::size_t>(i)].focusBefore);
        EXPECT_EQ(gridCaseMismatch(*f.grid), "");
    }
    EXPECT_EQ(f.theCase.count(), 1);
    for (std::size_t i = 0; i < steps.size(); ++i) {
        recorder.redo(steps[i]);
        EXPECT_EQ(f.grid->snapshot(), states[i + 1]) << i;
        EXPECT_EQ(f.grid->focus(), steps[i].focusAfter);
    }
    EXPECT_EQ(f.text(2, 0), "40 + 41");
    EXPECT_EQ(f.theCase.entry(1).chainLength(), 1);
}

TEST(CaseUndoRecorder, NoStepWithoutAChangeAndOneStepForNestedChanges) {
    GridFixture f(builtIn());
    CaseUndoRecorder recorder(*f.grid);
    EXPECT_FALSE(recorder.record([] {}).has_value());
    // Moving the focus alone changes nothing of the case.
    f.type("3");
    EXPECT_FALSE(recorder.record([&] { f.grid->setFocusCell(1, 0); }).has_value());

    const CaseSnapshot before = f.grid->snapshot();
    auto outer = recorder.record([&] {
        f.type("4");
        EXPECT_TRUE(recorder.recording());
        EXPECT_FALSE(recorder.record([&] { f.type("5"); }).has_value());
    });
    ASSERT_TRUE(outer.has_value());
    EXPECT_FALSE(recorder.recording());
    recorder.undo(*outer);
    EXPECT_EQ(f.grid->snapshot(), before);
}

TEST(CaseUndoRecorder, TheChangeWrapperMakesEveryWrittenTextAStep) {
    GridFixture f(builtIn());
    CaseUndoRecorder recorder(*f.grid);
    std::vector<CaseUndoStep> steps;
    f.grid->setChangeWrapper([&](const std::function<void()>& change) {
        if (auto step = recorder.record(change)) {
            steps.push_back(*step);
        }
    });
    f.type("12");
    f.type("13");
    ASSERT_EQ(steps.size(), 2u);
    // A load writes many rows through the same path: one step.
    auto load = recorder.record([&] { f.grid->loadCase("A", refsUpTo(20)); });
    EXPECT_TRUE(load.has_value());
    EXPECT_EQ(steps.size(), 2u);
    // Header rows are not the case's.
    f.grid->setCellText(0, 1, "Text");
    EXPECT_EQ(steps.size(), 2u);
}

TEST(CaseGridClearRows, ClearedRowsAreAsIfZeroWereTypedAndGoAtEvaluation) {
    GridFixture f(builtIn());
    f.typeAll({"12", "40+41", "7"});
    f.grid->setFocusCell(2, 0);
    f.grid->selectRange(2, 0, 3, 2);
    const std::vector<int> rows = f.grid->rowsToClear();
    EXPECT_EQ(rows, (std::vector<int>{2, 3}));
    f.grid->clearRows(rows);

    EXPECT_EQ(f.text(2, 0), "0");
    EXPECT_EQ(f.text(2, 1), "");
    EXPECT_EQ(f.theCase.entry(1).number, 0);
    EXPECT_EQ(f.theCase.entry(1).chainLength(), 0);
    EXPECT_EQ(f.text(3, 0), "0");
    EXPECT_EQ(f.theCase.count(), 4);
    EXPECT_EQ(f.grid->focus(), (CaseFocus{2, 0}));
    EXPECT_EQ(gridCaseMismatch(*f.grid), "");

    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    f.grid->keep("");
    EXPECT_EQ(f.theCase.count(), 2);
    EXPECT_EQ(f.number(0), 12);

    // Without a selection the focused row is cleared; the header never.
    f.grid->clearSelection();
    f.grid->setFocusCell(1, 2);
    EXPECT_EQ(f.grid->rowsToClear(), (std::vector<int>{1}));
    const std::vector<int> outside = {0, 9};
    f.grid->clearRows(outside);
    EXPECT_EQ(f.text(0, 0), "Nummer");
}

TEST(CaseUndoRecorder, CapacityRulesHoldThroughRandomChangesUndoAndRedo) {
    const RepertoryData data = withOpposite(builtIn(), 100, 200, 1);
    GridFixture f(data, PolarityMode::Immediate);
    CaseUndoRecorder recorder(*f.grid);
    std::vector<CaseUndoStep> done;
    std::vector<CaseUndoStep> undone;
    std::mt19937 rng(18);
    const auto roll = [&](int n) { return std::uniform_int_distribution<int>(0, n - 1)(rng); };
    for (int i = 0; i < 300; ++i) {
        std::optional<CaseUndoStep> step;
        switch (roll(7)) {
        case 0:
            step = recorder.record([&] { f.grid->loadCase("Voll", refsUpTo(kCaseRowCapacity)); });
            break;
        case 1:
            step = recorder.record([&] { f.type(roll(2) ? "100" : "100+7"); });
            break;
        case 2:
            step = recorder.record([&] {
                f.grid->setFocusCell(1 + roll(f.theCase.count()), 0);
                f.grid->clearRows(f.grid->rowsToClear());
            });
            break;
        case 3:
            if (!done.empty()) {
                recorder.undo(done.back());
                undone.push_back(done.back());
                done.pop_back();
            }
            break;
        case 4:
            if (!undone.empty()) {
                recorder.redo(undone.back());
                done.push_back(undone.back());
                undone.pop_back();
            }
            break;
        case 5:
            step = recorder.record([&] {
                EvaluationResult result;
                if (f.grid->evaluate(result)) {
                    f.grid->keep("K");
                }
            });
            break;
        default:
            step = recorder.record([&] { f.type(std::to_string(1 + roll(kRubricCount))); });
            break;
        }
        if (step) {
            done.push_back(*step);
            undone.clear();
        }
        ASSERT_LE(f.theCase.count(), kCaseSlotCount);
        ASSERT_EQ(gridCaseMismatch(*f.grid), "") << "after change " << i;
    }
}

TEST(CaseSnapshot, AFullCaseCostsLittleMemory) {
    GridFixture f(builtIn());
    f.grid->loadCase("Voll", refsUpTo(kCaseRowCapacity));
    const CaseSnapshot full = f.grid->snapshot();
    EXPECT_EQ(full.rowCount(), kCaseRowCapacity);
    // Entry values, the row texts and their ends: well below 100 bytes a row.
    EXPECT_LT(full.memoryBytes(), 100u * kCaseRowCapacity);
    std::cout << "snapshot of " << full.rowCount() << " rows: " << full.memoryBytes() << " bytes\n";
}

TEST(CaseUndoRecorder, WeightsAndMarksAreUndoneLikeEveryOtherValueOfAnEntry) {
    GridFixture f(builtIn());
    f.typeAll({"12", "40"});
    CaseUndoRecorder recorder(*f.grid);
    auto step = recorder.record([&] { f.grid->setEntryMarks(2, 3, true); });
    ASSERT_TRUE(step.has_value());
    recorder.undo(*step);
    EXPECT_EQ(f.theCase.entry(1).weight, kDefaultWeight);
    EXPECT_FALSE(f.theCase.entry(1).eliminating);
    EXPECT_EQ(gridCaseMismatch(*f.grid), "");
    recorder.redo(*step);
    EXPECT_EQ(f.theCase.entry(1).weight, 3);
    EXPECT_TRUE(f.theCase.entry(1).eliminating);
    EXPECT_EQ(gridCaseMismatch(*f.grid), "");
}
