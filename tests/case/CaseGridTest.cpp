#include "CaseTestSupport.h"

#include "case/CaseGrid.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using tessalyn::test::builtIn;
using tessalyn::test::GridFixture;
using tessalyn::test::withOpposite;

TEST(CaseGridInitialise, HeaderAndOneEmptyInputRow) {
    GridFixture f(builtIn());
    EXPECT_EQ(f.theCase.count(), 1);
    EXPECT_EQ(f.grid->rowCount(), 2);
    EXPECT_EQ(f.grid->columnCount(), 3);
    EXPECT_EQ(f.grid->headerRowCount(), 1);
    EXPECT_EQ(f.text(0, 0), "Nummer");
    EXPECT_EQ(f.text(0, 1), "Symptom");
    EXPECT_EQ(f.text(0, 2), "Kapitel");
    EXPECT_EQ(f.grid->columnWidth(0), 5);
    EXPECT_EQ(f.grid->columnWidth(1), 480);
    EXPECT_EQ(f.grid->focusRow(), 1);
    EXPECT_EQ(f.grid->focusColumn(), 0);
}

TEST(CaseGridTyping, ANumberBecomesAnEntryWithItsTextsAndANewInputRow) {
    const RepertoryData& data = builtIn();
    GridFixture f(data);
    f.type("12");
    EXPECT_EQ(f.theCase.entry(0).ref(), (SymptomRef{12, 0}));
    EXPECT_EQ(f.text(1, 0), "12");
    EXPECT_EQ(f.text(1, 1), data.symptomText(12));
    EXPECT_EQ(f.text(1, 2), data.locationText(11));
    EXPECT_EQ(f.grid->cellTip(1, 1), data.remedyListText(11));
    EXPECT_EQ(f.theCase.count(), 2);
    EXPECT_EQ(f.grid->rowCount(), 3);
    EXPECT_EQ(f.text(2, 0), "0");
    EXPECT_EQ(f.number(1), 0);
    EXPECT_EQ(f.grid->focusRow(), 2);
}

TEST(CaseGridTyping, NegativeNumberShowsTheTextsOfItsRubric) {
    const RepertoryData& data = builtIn();
    GridFixture f(data);
    f.type("-12");
    EXPECT_EQ(f.theCase.entry(0).ref(), (SymptomRef{-12, 0}));
    EXPECT_EQ(f.text(1, 0), "-12");
    EXPECT_EQ(f.text(1, 1), data.symptomText(12));
    EXPECT_EQ(f.text(1, 2), data.locationText(11));
}

TEST(CaseGridTyping, PlusJoinsRubricsButOnlyTheFirstIsShown) {
    const RepertoryData& data = builtIn();
    GridFixture f(data);
    f.type("12+34");
    EXPECT_EQ(f.text(1, 0), "12 + 34");
    EXPECT_EQ(f.text(1, 1), data.symptomText(12));
    EXPECT_EQ(f.number(0), 12);
    ASSERT_NE(f.theCase.entry(0).next, nullptr);
    EXPECT_EQ(f.theCase.entry(0).next->number, 34);
    EXPECT_EQ(f.theCase.entry(0).chainLength(), 1);

    // Parts that name no rubric show "0" and join no chain.
    f.type(" 7 + abc +-9");
    EXPECT_EQ(f.text(2, 0), "7 + 0 + -9");
    EXPECT_EQ(f.theCase.entry(1).chainLength(), 1);
    EXPECT_EQ(f.theCase.entry(1).next->number, -9);

    // Rewriting the row frees the chain.
    f.grid->setCellText(1, 0, "5");
    EXPECT_EQ(f.theCase.entry(0).next, nullptr);
    EXPECT_EQ(f.text(1, 0), "5");
}

TEST(CaseGridTyping, TextsThatNameNoRubricGiveAnEmptyEntryShownAsZero) {
    const RepertoryData& data = builtIn();
    for (const char* text : {"abc", "0", "9000", "-9000", "", "   "}) {
        GridFixture f(data);
        f.grid->setCellText(1, 0, "12"); // fill the row first so that the reset shows
        f.grid->setCellText(1, 0, text);
        EXPECT_EQ(f.text(1, 0), "0") << text;
        EXPECT_EQ(f.theCase.entry(0).ref(), (SymptomRef{0, 0})) << text;
        EXPECT_EQ(f.text(1, 1), "") << text;
        EXPECT_EQ(f.text(1, 2), "") << text;
    }
    GridFixture f(data);
    f.type("12 BD 3");
    EXPECT_EQ(f.theCase.entry(0).ref(), (SymptomRef{12, 0}));
    EXPECT_EQ(f.text(1, 0), "12");
    f.type("8385");
    EXPECT_EQ(f.number(1), 8385);
}

TEST(CaseGridTyping, AVeryLongPlusChainIsHeldAndFreedWithoutRecursion) {
    GridFixture f(builtIn());
    std::string text = "1";
    for (int i = 0; i < 200000; ++i) {
        text += "+2";
    }
    f.type(text);
    EXPECT_EQ(f.theCase.entry(0).chainLength(), 200000);
    EXPECT_EQ(f.text(1, 0).substr(0, 9), "1 + 2 + 2");
    f.grid->setCellText(1, 0, "3");
    EXPECT_EQ(f.theCase.entry(0).next, nullptr);
}

TEST(CaseGridTyping, OnlyColumnZeroOfEntryRowsTakesText) {
    GridFixture f(builtIn());
    f.type("12");
    const std::string before = f.text(1, 1);
    EXPECT_FALSE(f.grid->setCellText(1, 1, "x"));
    EXPECT_FALSE(f.grid->setCellText(1, 2, "x"));
    EXPECT_FALSE(f.grid->setCellText(5, 0, "x"));
    EXPECT_EQ(f.text(1, 1), before);
    EXPECT_TRUE(f.grid->setCellText(0, 1, "Symptomtext"));
    EXPECT_EQ(f.text(0, 1), "Symptomtext");
    EXPECT_EQ(f.theCase.count(), 2);
}

TEST(CaseGridFocus, JumpToEndDecidesWhereTheFocusGoesAfterChangingARow) {
    for (const bool jump : {true, false}) {
        GridFixture f(builtIn());
        f.grid->setJumpToEnd(jump);
        f.typeAll({"1", "2", "3", "4"}); // four symptoms and the input row: five rows
        ASSERT_EQ(f.theCase.count(), 5);
        f.grid->setFocusCell(2, 0);
        f.grid->setCellText(2, 0, "7");
        EXPECT_EQ(f.number(1), 7);
        EXPECT_EQ(f.grid->focusRow(), jump ? 5 : 2) << "jump " << jump;
        EXPECT_EQ(f.theCase.count(), 5);
    }
}

// A rubric taken from a finding window goes into the focused row, and the
// focus moves on as after typing that row: to the last row with "SprungEnde",
// else to the next row (past a counter-polar row the take inserted), so that
// consecutive takes fill consecutive rows and never replace each other.
TEST(CaseGridFocus, AddWritesIntoTheFocusedRowAndMovesOnAsTypingDoes) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40);
    struct Row {
        bool jump;
        PolarityMode mode;
        std::vector<std::string> shown; // after two takes from row 2 on
        int focus;
    };
    const Row rows[] = {
        {false, PolarityMode::AtEnd, {"1", "7", "8", "0"}, 4},
        {true, PolarityMode::AtEnd, {"1", "7", "3", "8", "0"}, 5},
        {false, PolarityMode::Immediate, {"1", "12", "-40", "8", "0"}, 5},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.jump);
        GridFixture f(data, row.mode);
        f.grid->setJumpToEnd(row.jump);
        f.grid->addReference({1, 0});
        f.grid->addReference({2, 0});
        f.grid->addReference({3, 0});
        EXPECT_EQ(f.theCase.count(), 4);
        EXPECT_EQ(f.grid->focusRow(), 4) << "the new input row";

        f.grid->setFocusCell(2, 0);
        f.grid->addReference({row.mode == PolarityMode::Immediate ? 12 : 7, 0});
        f.grid->addReference({8, 0});
        std::vector<std::string> shown;
        for (int r = 1; r <= f.theCase.count(); ++r) {
            shown.push_back(f.text(r));
        }
        EXPECT_EQ(shown, row.shown);
        EXPECT_EQ(f.grid->focusRow(), row.focus);
    }

    // A reference with a BD value has no number text: an empty entry.
    GridFixture f(builtIn());
    f.grid->addReference({9, 2});
    EXPECT_EQ(f.number(0), 0);
    EXPECT_EQ(f.text(1, 0), "0");
}

TEST(CaseGridCapacity, AtThreeThousandRowsTypingReplacesTheLastSymptom) {
    GridFixture f(builtIn());
    for (int i = 1; i <= 3000; ++i) {
        f.type(std::to_string(i));
    }
    EXPECT_EQ(f.theCase.count(), 3000);
    EXPECT_EQ(f.grid->rowCount(), 3001);
    EXPECT_EQ(f.number(2999), 3000); // no input row below it
    f.type("7");
    EXPECT_EQ(f.theCase.count(), 3000);
    EXPECT_EQ(f.number(2999), 7);
    EXPECT_EQ(f.grid->focusRow(), 3000);
}

TEST(CaseGridCounterPolarity, ModeZeroInsertsTheCounterPolarRowBelowOnce) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::Immediate);
    f.grid->setJumpToEnd(false);
    f.typeAll({"1", "2", "3", "4"});
    f.grid->setFocusCell(3, 0);
    f.grid->setCellText(3, 0, "12");
    EXPECT_EQ(f.theCase.count(), 6);
    EXPECT_EQ(f.grid->rowCount(), 7);
    const std::vector<std::string> shown = {f.text(1), f.text(2), f.text(3),
                                            f.text(4), f.text(5), f.text(6)};
    EXPECT_EQ(shown, (std::vector<std::string>{"1", "2", "12", "-40", "4", "0"}));
    EXPECT_EQ(f.theCase.entry(3).ref(), (SymptomRef{-40, 0}));
    EXPECT_FALSE(f.theCase.entry(3).autoAdded);
    EXPECT_EQ(f.number(4), 4);
    EXPECT_EQ(f.text(5, 1), data.symptomText(4)); // the moved row keeps its own texts
    EXPECT_EQ(f.text(4, 1), data.symptomText(40));
    EXPECT_EQ(f.grid->focusRow(), 3);

    // (-40, 0) is in the case now: typing the rubric again inserts nothing.
    f.grid->setCellText(1, 0, "12");
    EXPECT_EQ(f.theCase.count(), 6);
    EXPECT_EQ(f.text(2), "2");
}

TEST(CaseGridCounterPolarity, ModeZeroAtTheInputRowAppendsBelowAndKeepsAnInputRow) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::Immediate);
    f.typeAll({"1", "12"});
    EXPECT_EQ(f.theCase.count(), 4);
    EXPECT_EQ(f.text(2), "12");
    EXPECT_EQ(f.text(3), "-40");
    EXPECT_EQ(f.text(4), "0");
    EXPECT_EQ(f.grid->focusRow(), 4);

    GridFixture other(data, PolarityMode::AtEnd);
    other.type("12");
    EXPECT_EQ(other.theCase.count(), 2); // only mode 0 inserts
}

TEST(CaseGridCounterPolarity, TheCaseNeverExceedsItsSixThousandSlots) {
    // Every rubric has a counter-polarity of its own, so each symptom typed in
    // mode 0 brings one more row.
    RepertoryData data = builtIn();
    for (int i = 0; i < kRubricCount; ++i) {
        data.tables().rubrics[i].oppositeNumber = i + 1;
    }
    GridFixture f(data, PolarityMode::Immediate);
    for (int i = 1; i <= 5000; ++i) {
        f.type(std::to_string(i));
        ASSERT_LE(f.theCase.count(), kCaseSlotCount);
        ASSERT_EQ(f.grid->rowCount(), f.theCase.count() + 1);
    }
    EXPECT_EQ(f.theCase.count(), kCaseSlotCount);
    // Inserting in the middle of a full case is refused too.
    f.grid->setCellText(10, 0, "8000");
    EXPECT_EQ(f.theCase.count(), kCaseSlotCount);
    EXPECT_EQ(f.number(9), 8000);

    // The evaluation appends nothing beyond the slots either.
    f.grid->setPolarityMode(PolarityMode::AtEnd);
    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    EXPECT_LE(result.entryCount(), kCaseSlotCount);
}

TEST(CaseGridLoad, LoadingNeverInsertsAndRestoresTheMode) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::Immediate);
    f.typeAll({"3", "4"});
    const std::vector<SymptomRef> stored = {{12, 0}, {5, 0}, {0, 0}, {-7, 0}};
    f.grid->loadCase("Fall B", stored);
    EXPECT_EQ(f.theCase.name(), "Fall B");
    EXPECT_EQ(f.theCase.count(), 5);
    EXPECT_EQ(f.text(1), "12");
    EXPECT_EQ(f.text(2), "5");
    EXPECT_EQ(f.text(3), "0");
    EXPECT_EQ(f.text(4), "-7");
    EXPECT_EQ(f.text(5), "0");
    EXPECT_EQ(f.grid->focusRow(), 5);
    EXPECT_EQ(f.grid->polarityMode(), PolarityMode::Immediate);
}

TEST(CaseGridAfterResult, KeepDropsAppendedEntriesAndRestoresTheInputRow) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::AtEnd);
    f.typeAll({"12+34", "0", "5"});
    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    ASSERT_EQ(result.entryCount(), 3);
    EXPECT_TRUE(result.entries[2].autoAdded);

    f.grid->keep("Fall A");
    EXPECT_EQ(f.theCase.name(), "Fall A");
    EXPECT_EQ(f.theCase.count(), 3);
    EXPECT_EQ(f.grid->rowCount(), 4);
    EXPECT_EQ(f.text(1), "12"); // "+" parts are lost
    EXPECT_EQ(f.theCase.entry(0).next, nullptr);
    EXPECT_EQ(f.text(2), "5");
    EXPECT_EQ(f.text(2, 1), data.symptomText(5));
    EXPECT_EQ(f.text(3), "0");
    EXPECT_EQ(f.number(2), 0);
    EXPECT_FALSE(f.theCase.entry(2).autoAdded);
    EXPECT_EQ(f.grid->focusRow(), 3);

    // The kept case evaluates again the same way.
    ASSERT_TRUE(f.grid->evaluate(result));
    EXPECT_EQ(result.entryCount(), 3);
}

TEST(CaseGridAfterResult, KeepUnderModeZeroRestoresTheCaseWithoutNewRows) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::Immediate);
    f.type("12");
    f.grid->setCellText(2, 0, "0"); // the user empties the inserted -40 row
    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    EXPECT_EQ(result.entryCount(), 1);
    f.grid->keep("");
    EXPECT_EQ(f.theCase.count(), 2);
    EXPECT_EQ(f.text(1), "12");
    EXPECT_EQ(f.text(2), "0");
}

TEST(CaseGridAfterResult, KeepOfAFullListHasNoInputRow) {
    GridFixture f(builtIn(), PolarityMode::None);
    for (int i = 1; i <= 3000; ++i) {
        f.type(std::to_string(i));
    }
    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    f.grid->keep("voll");
    EXPECT_EQ(f.theCase.count(), 3000);
    EXPECT_EQ(f.grid->rowCount(), 3001);
    EXPECT_EQ(f.text(3000), "3000");
    EXPECT_EQ(f.grid->focusRow(), 3000);
}

TEST(CaseGridAfterResult, DiscardClearsTheCaseAndItsName) {
    GridFixture f(builtIn());
    f.grid->loadCase("Fall C", std::vector<SymptomRef>{{1, 0}, {2, 0}});
    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    f.grid->discard();
    EXPECT_EQ(f.theCase.name(), "");
    EXPECT_EQ(f.theCase.count(), 1);
    EXPECT_EQ(f.grid->rowCount(), 2);
    EXPECT_EQ(f.number(0), 0);
    EXPECT_EQ(f.number(1), 0);
    EXPECT_EQ(f.grid->focusRow(), 1);
}
