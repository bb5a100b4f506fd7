#include "CaseTestSupport.h"

#include "case/Evaluation.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

using namespace tessalyn;
using tessalyn::test::builtIn;
using tessalyn::test::GridFixture;
using tessalyn::test::withOpposite;

namespace {

EvaluationResult evaluateTyped(GridFixture& f, std::initializer_list<const char*> texts) {
    f.typeAll(texts);
    EvaluationResult result;
    EXPECT_TRUE(f.grid->evaluate(result));
    return result;
}

const RemedyScore& scoreOf(const EvaluationResult& result, int remedy) {
    for (const RemedyScore& s : result.scores) {
        if (s.remedy == remedy) {
            return s;
        }
    }
    static const RemedyScore none{};
    ADD_FAILURE() << "remedy " << remedy << " not ranked";
    return none;
}

std::vector<std::int32_t> numbers(const EvaluationResult& result) {
    std::vector<std::int32_t> out;
    for (const CaseEntry& e : result.entries) {
        out.push_back(e.number);
    }
    return out;
}

// Grade of every remedy of a rubric, by remedy index.
std::map<int, int> gradesOf(const RepertoryData& data, int number) {
    std::map<int, int> grades;
    for (const RemedyEntry e : data.entriesOf(number - 1)) {
        grades[entryRemedy(e)] = entryGrade(e);
    }
    return grades;
}

} // namespace

TEST(EvaluationRanking, CaseOneTwoWithTheDeliveredContent) {
    const RepertoryData& data = builtIn();
    GridFixture f(data);
    const EvaluationResult result = evaluateTyped(f, {"1", "2"});
    EXPECT_EQ(result.lastScoreIndex, 127);
    int two = 0;
    int one = 0;
    for (int c = 0; c <= result.lastScoreIndex; ++c) {
        const RemedyScore& s = result.scores[static_cast<std::size_t>(c)];
        two += s.hits == 2;
        one += s.hits == 1;
        EXPECT_EQ(s.gradeSum, s.hits);
        EXPECT_EQ(s.polarityDifference, 0);
    }
    EXPECT_EQ(two, 55);
    EXPECT_EQ(one, 73);
    const std::vector<std::string> expected = {"Acon.",  "Agar.", "Am-c.",  "Ant-t.",
                                               "Arg-n.", "Ars.",  "Bar-c.", "Bell."};
    for (std::size_t c = 0; c < expected.size(); ++c) {
        EXPECT_EQ(data.abbreviation(result.scores[c].remedy), expected[c]) << c;
        EXPECT_EQ(result.scores[c].hits, 2);
        EXPECT_EQ(result.scores[c].gradeSum, 2);
    }
    EXPECT_EQ(result.separatorRow, -1);
    EXPECT_EQ(result.entryCount(), 2);
}

TEST(EvaluationRanking, OrderIsHitsThenGradesThenPolarityThenAbbreviation) {
    EXPECT_LT(compareAbbreviations("Calc-p.", "Calc."), 0);
    EXPECT_LT(compareAbbreviations("Am-c.", "Am-m."), 0);
    EXPECT_EQ(compareAbbreviations("acon.", "ACON."), 0);
    EXPECT_LT(compareAbbreviations("abc.", "ABD."), 0);
    EXPECT_LT(compareAbbreviations("Ab.", "Abc."), 0);

    const RepertoryData& data = builtIn();
    // Remedy 0 sorts before remedy 1 by abbreviation when everything else ties.
    ASSERT_LT(compareAbbreviations(data.abbreviation(0), data.abbreviation(1)), 0);
    EXPECT_TRUE(rankedBefore({1, 1, 2, -5}, {0, 9, 1, 9}, data));
    EXPECT_TRUE(rankedBefore({1, 3, 2, -5}, {0, 2, 2, 9}, data));
    EXPECT_TRUE(rankedBefore({1, 3, 2, 0}, {0, 3, 2, -1}, data));
    EXPECT_TRUE(rankedBefore({0, 3, 2, 0}, {1, 3, 2, 0}, data));
    EXPECT_FALSE(rankedBefore({1, 3, 2, 0}, {0, 3, 2, 0}, data));
}

TEST(EvaluationScoring, TheSameRubricTwiceCountsTwice) {
    const RepertoryData& data = builtIn();
    GridFixture f(data);
    const EvaluationResult result = evaluateTyped(f, {"7", "7"});
    const int size = data.rubric(6).entryCount;
    EXPECT_EQ(result.lastScoreIndex, size - 1);
    for (const RemedyEntry e : data.entriesOf(6)) {
        EXPECT_EQ(scoreOf(result, entryRemedy(e)).hits, 2);
    }
}

TEST(EvaluationScoring, GradesAddUpAndEveryRemedyCanBeRanked) {
    RepertoryData data = builtIn();
    // Grade 3 for the first remedy of rubric 3, grade 5 for its second.
    const int first = data.rubric(2).firstEntry;
    data.tables().entryList[first] |= kEntryGrade3;
    data.tables().entryList[first + 1] |= kEntryGrade5;
    GridFixture f(data);
    EvaluationResult result = evaluateTyped(f, {"3"});
    EXPECT_EQ(scoreOf(result, entryRemedy(data.entry(first))).gradeSum, 3);
    EXPECT_EQ(scoreOf(result, entryRemedy(data.entry(first + 1))).gradeSum, 5);
    EXPECT_EQ(result.scores[0].remedy, entryRemedy(data.entry(first + 1)));

    // Enough rubrics to give every remedy a hit: nothing is cut off.
    GridFixture all(data, PolarityMode::None);
    std::vector<bool> covered(kRemedyCount, false);
    int missing = kRemedyCount;
    for (int i = 0; i < kRubricCount && missing > 0; ++i) {
        bool useful = false;
        for (const RemedyEntry e : data.entriesOf(i)) {
            if (!covered[static_cast<std::size_t>(entryRemedy(e))]) {
                covered[static_cast<std::size_t>(entryRemedy(e))] = true;
                --missing;
                useful = true;
            }
        }
        if (useful) {
            all.type(std::to_string(i + 1));
        }
    }
    ASSERT_EQ(missing, 0);
    ASSERT_TRUE(all.grid->evaluate(result));
    EXPECT_EQ(result.lastScoreIndex, 357);
}

TEST(EvaluationPreparation, EmptyRowsAndTheInputRowAreNeverScored) {
    for (const PolarityMode mode :
         {PolarityMode::Immediate, PolarityMode::AtEnd, PolarityMode::None}) {
        GridFixture f(builtIn(), mode);
        const EvaluationResult result = evaluateTyped(f, {"1", "0", "abc", "2", "0"});
        EXPECT_EQ(numbers(result), (std::vector<std::int32_t>{1, 2}))
            << "mode " << static_cast<int>(mode);
        EXPECT_EQ(f.theCase.count(), 2);
    }
}

TEST(EvaluationPreparation, NothingHappensForOnlyTheInputRowButAnAllEmptyCaseIsEvaluated) {
    GridFixture f(builtIn());
    EvaluationResult result;
    EXPECT_FALSE(f.grid->evaluate(result));
    EXPECT_EQ(f.theCase.count(), 1);

    f.typeAll({"0", "abc"});
    ASSERT_TRUE(f.grid->evaluate(result));
    EXPECT_EQ(result.entryCount(), 0);
    EXPECT_EQ(result.lastScoreIndex, -1);
    EXPECT_EQ(result.separatorRow, -1);
}

TEST(EvaluationPreparation, AHandTypedNegativeEntryIsShownButNotScored) {
    const RepertoryData& data = builtIn();
    GridFixture f(data);
    const EvaluationResult result = evaluateTyped(f, {"5", "-7"});
    EXPECT_EQ(numbers(result), (std::vector<std::int32_t>{5, -7}));
    EXPECT_EQ(result.lastScoreIndex, data.rubric(4).entryCount - 1);
    for (int c = 0; c <= result.lastScoreIndex; ++c) {
        EXPECT_EQ(result.scores[static_cast<std::size_t>(c)].hits, 1);
    }
}

TEST(EvaluationPreparation, AFullListKeepsItsLastSymptomInEveryMode) {
    const RepertoryData data = withOpposite(builtIn(), 3000, 17);
    for (const PolarityMode mode : {PolarityMode::None, PolarityMode::AtEnd}) {
        GridFixture f(data, mode);
        for (int i = 1; i <= 3000; ++i) {
            f.type(std::to_string(i));
        }
        EvaluationResult result;
        ASSERT_TRUE(f.grid->evaluate(result));
        const bool atEnd = mode == PolarityMode::AtEnd;
        ASSERT_EQ(result.entryCount(), atEnd ? 3001 : 3000);
        EXPECT_EQ(result.entries[2999].number, 3000);
        long hits = 0;
        long expected = 0;
        for (const RemedyScore& s : result.scores) {
            hits += s.hits;
        }
        for (int i = 0; i < 3000; ++i) {
            expected += data.rubric(i).entryCount;
        }
        EXPECT_EQ(hits, expected); // all 3000 symptoms were scored
        if (atEnd) {
            EXPECT_EQ(result.entries[3000].ref(), (SymptomRef{-17, 0}));
            EXPECT_TRUE(result.entries[3000].autoAdded);
        }
    }
}

TEST(EvaluationCounterPolarity, ModeOneAppendsTheMissingEntryAndComputesDifferences) {
    RepertoryData data = withOpposite(builtIn(), 12, 40);
    // Grades that differ between the rubric and its counter-polarity.
    data.tables().entryList[data.rubric(11).firstEntry] |= kEntryGrade4;
    data.tables().entryList[data.rubric(39).firstEntry] |= kEntryGrade2;
    const std::map<int, int> own = gradesOf(data, 12);
    const std::map<int, int> opposite = gradesOf(data, 40);

    GridFixture f(data, PolarityMode::AtEnd);
    const EvaluationResult result = evaluateTyped(f, {"12"});
    ASSERT_EQ(result.entryCount(), 2);
    EXPECT_EQ(result.entries[1].ref(), (SymptomRef{-40, 0}));
    EXPECT_TRUE(result.entries[1].autoAdded);
    EXPECT_EQ(result.separatorRow, 2);
    for (int m = 0; m < kRemedyCount; ++m) {
        const int g = own.count(m) ? own.at(m) : 0;
        const int o = opposite.count(m) ? opposite.at(m) : 0;
        EXPECT_EQ(scoreOf(result, m).polarityDifference, g - o) << m;
        EXPECT_EQ(scoreOf(result, m).gradeSum, g) << m;
    }

    f.grid->keep("");
    EXPECT_EQ(f.theCase.count(), 2);
    EXPECT_EQ(f.number(0), 12);
    EXPECT_EQ(f.number(1), 0);
}

TEST(EvaluationCounterPolarity, ModeTwoAppendsNothingAndSubtractsTheOppositeGrades) {
    RepertoryData data = withOpposite(builtIn(), 12, 40);
    data.tables().entryList[data.rubric(39).firstEntry] |= kEntryGrade2;
    const std::map<int, int> opposite = gradesOf(data, 40);
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult result = evaluateTyped(f, {"12"});
    EXPECT_EQ(result.entryCount(), 1);
    for (int m = 0; m < kRemedyCount; ++m) {
        const int o = opposite.count(m) ? opposite.at(m) : 0;
        EXPECT_EQ(scoreOf(result, m).polarityDifference, -o) << m;
    }
}

TEST(EvaluationCounterPolarity, EachMissingPairIsAppendedOnceAndAPresentOneNever) {
    RepertoryData data = withOpposite(builtIn(), 5, 41);
    data.tables().rubrics[5].oppositeNumber = 40;
    data.tables().rubrics[6].oppositeNumber = 40;
    data.tables().rubrics[7].oppositeNumber = 42;
    GridFixture f(data, PolarityMode::AtEnd);
    const EvaluationResult result = evaluateTyped(f, {"5", "6", "7", "8", "-42"});
    EXPECT_EQ(numbers(result), (std::vector<std::int32_t>{5, 6, 7, 8, -42, -41, -40}));
}

TEST(EvaluationCounterPolarity, AppendsStopAtTheSixThousandSlots) {
    RepertoryData data = builtIn();
    for (int i = 0; i < kRubricCount; ++i) {
        data.tables().rubrics[i].oppositeNumber = i + 1;
    }
    Case theCase;
    for (int i = 0; i < 4500; ++i) {
        theCase.entry(i).number = i + 1;
    }
    theCase.setCount(4501); // and an input row
    EXPECT_EQ(prepareCase(theCase, data, PolarityMode::AtEnd), kCaseSlotCount);
    EXPECT_EQ(theCase.count(), kCaseSlotCount);
    EXPECT_EQ(theCase.entry(4500).number, -1);
    EXPECT_EQ(theCase.entry(kCaseSlotCount - 1).number, -1500);
}

TEST(EvaluationSeparator, SetOnlyForPositiveEntriesFollowedByCounterPolarOnes) {
    const struct {
        std::initializer_list<const char*> typed;
        int separator;
    } cases[] = {
        {{"5", "-40", "-41"}, 2}, {{"5", "7", "-40"}, 3},  {{"-40", "5"}, -1},
        {{"5", "7"}, -1},         {{"5", "-40", "7"}, -1},
    };
    for (const auto& c : cases) {
        GridFixture f(builtIn(), PolarityMode::None);
        const EvaluationResult result = evaluateTyped(f, c.typed);
        EXPECT_EQ(result.separatorRow, c.separator) << *c.typed.begin() << " " << c.typed.size();
    }
}
