#include "CaseTestSupport.h"

#include "case/Evaluation.h"
#include "case/ResultTable.h"

#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>
#include <utility>
#include <vector>

using namespace tessalyn;
using tessalyn::test::builtIn;
using tessalyn::test::GridFixture;

namespace {

constexpr RemedyEntry kGradeBits = kEntryGrade2 | kEntryGrade3 | kEntryGrade4 | kEntryGrade5;

int remedyNamed(const RepertoryData& data, const char* abbreviation) {
    for (int m = 0; m < kRemedyCount; ++m) {
        if (std::strcmp(data.abbreviation(m), abbreviation) == 0) {
            return m;
        }
    }
    ADD_FAILURE() << "no remedy " << abbreviation;
    return 0;
}

void setGrade(RepertoryData& data, int number, const char* abbreviation, int grade) {
    static constexpr RemedyEntry bits[] = {0,           0, kEntryGrade2, kEntryGrade3, kEntryGrade4,
                                           kEntryGrade5};
    const int remedy = remedyNamed(data, abbreviation);
    const Rubric& rubric = data.rubric(number - 1);
    for (int i = rubric.firstEntry; i < rubric.firstEntry + rubric.entryCount; ++i) {
        RemedyEntry& e = data.tables().entryList[static_cast<std::size_t>(i)];
        if (entryRemedy(e) == remedy) {
            e = static_cast<RemedyEntry>((e & ~kGradeBits) | bits[grade]);
            return;
        }
    }
    ADD_FAILURE() << abbreviation << " not in rubric " << number;
}

// The content the hand-computed cases run on. Rubric 12 (Bell. 3, Calc. 2,
// Ferr. 1, Ruta. 5) has rubric 40 (Ars. 2, Asaf. 1, Lach. 1, Petr. 4,
// Rhus-t. 5) as its counter-polarity; rubric 8 holds Asaf. 1, Calc. 4,
// Elaps. 1, Merc. 2, Nux-v. 1, Petr. 3; rubric 10 holds Apis. and Bry.
const RepertoryData& graded() {
    static const RepertoryData data = [] {
        RepertoryData d = tessalyn::test::withOpposite(builtIn(), 12, 40);
        for (const auto& [name, grade] :
             {std::pair{"Bell.", 3}, {"Calc.", 2}, {"Ferr.", 1}, {"Ruta.", 5}}) {
            setGrade(d, 12, name, grade);
        }
        for (const auto& [name, grade] :
             {std::pair{"Ars.", 2}, {"Asaf.", 1}, {"Lach.", 1}, {"Petr.", 4}, {"Rhus-t.", 5}}) {
            setGrade(d, 40, name, grade);
        }
        for (const auto& [name, grade] : {std::pair{"Asaf.", 1},
                                          {"Calc.", 4},
                                          {"Elaps.", 1},
                                          {"Merc.", 2},
                                          {"Nux-v.", 1},
                                          {"Petr.", 3}}) {
            setGrade(d, 8, name, grade);
        }
        return d;
    }();
    return data;
}

struct Expected {
    const char* remedy;
    std::int32_t hits, gradeSum, polarityDifference;
};

// The ranked scores from the first on, exactly, and nothing ranked after them.
void expectRanking(const EvaluationResult& result, const RepertoryData& data,
                   const std::vector<Expected>& expected) {
    ASSERT_EQ(result.lastScoreIndex, static_cast<int>(expected.size()) - 1);
    for (std::size_t c = 0; c < expected.size(); ++c) {
        const RemedyScore& s = result.scores[c];
        EXPECT_STREQ(data.abbreviation(s.remedy), expected[c].remedy) << "column " << c;
        EXPECT_EQ(s.hits, expected[c].hits) << expected[c].remedy;
        EXPECT_EQ(s.gradeSum, expected[c].gradeSum) << expected[c].remedy;
        EXPECT_EQ(s.polarityDifference, expected[c].polarityDifference) << expected[c].remedy;
    }
}

const RemedyScore& scoreOf(const EvaluationResult& result, const RepertoryData& data,
                           const char* abbreviation) {
    const int remedy = remedyNamed(data, abbreviation);
    for (const RemedyScore& s : result.scores) {
        if (s.remedy == remedy) {
            return s;
        }
    }
    static const RemedyScore none{};
    return none;
}

// Types the rows, sets the marks of entries by index and evaluates.
struct Marked {
    int entry;
    std::int8_t weight;
    bool eliminating = false;
};
EvaluationResult evaluateMarked(GridFixture& f, std::initializer_list<const char*> typed,
                                std::initializer_list<Marked> marks) {
    f.typeAll(typed);
    for (const Marked& m : marks) {
        f.theCase.entry(m.entry).weight = m.weight;
        f.theCase.entry(m.entry).eliminating = m.eliminating;
    }
    EvaluationResult result;
    EXPECT_TRUE(f.grid->evaluate(result));
    return result;
}

// The scoring rule for unweighted cases written out plainly, independent of
// the program's own code: every positive entry adds its grades and one hit,
// the grades count towards the polarity difference when the case holds the
// counter-polar entry, and the counter-polar rubric's grades are subtracted.
ScoreTable plainScores(std::span<const CaseEntry> entries, const RepertoryData& data) {
    ScoreTable scores{};
    for (int m = 0; m < kRemedyCount; ++m) {
        scores[static_cast<std::size_t>(m)].remedy = m;
    }
    for (const CaseEntry& e : entries) {
        if (e.number < 1) {
            continue;
        }
        const Rubric& rubric = data.rubric(e.number - 1);
        bool present = false;
        for (const CaseEntry& other : entries) {
            present =
                present || (rubric.oppositeNumber != 0 && other.number == -rubric.oppositeNumber &&
                            other.bd == rubric.oppositeBd);
        }
        for (const RemedyEntry r : data.entriesOf(e.number - 1)) {
            RemedyScore& s = scores[static_cast<std::size_t>(entryRemedy(r))];
            s.hits += 1;
            s.gradeSum += entryGrade(r);
            s.polarityDifference += present ? entryGrade(r) : 0;
        }
        if (rubric.oppositeNumber != 0) {
            for (const RemedyEntry r : data.entriesOf(std::abs(rubric.oppositeNumber) - 1)) {
                scores[static_cast<std::size_t>(entryRemedy(r))].polarityDifference -=
                    entryGrade(r);
            }
        }
    }
    return scores;
}

ScoreTable weightedScores(std::span<const CaseEntry> entries, const RepertoryData& data) {
    ScoreTable scores;
    resetScores(scores);
    scoreEntries(entries, data, scores);
    return scores;
}

// Random content: grades 1..5 everywhere and a counter-polarity for every
// tenth rubric.
RepertoryData randomContent(std::mt19937& rng) {
    RepertoryData d = builtIn();
    std::uniform_int_distribution<int> grade(1, 5);
    std::uniform_int_distribution<int> rubric(1, kRubricCount);
    static constexpr RemedyEntry bits[] = {0,           0, kEntryGrade2, kEntryGrade3, kEntryGrade4,
                                           kEntryGrade5};
    for (RemedyEntry& e : d.tables().entryList) {
        e = static_cast<RemedyEntry>((e & ~kGradeBits) | bits[grade(rng)]);
    }
    for (int i = 0; i < kRubricCount; i += 10) {
        d.tables().rubrics[static_cast<std::size_t>(i)].oppositeNumber = rubric(rng);
    }
    return d;
}

// A random case of up to 60 entries drawn from a few hundred rubrics, so that
// rubrics repeat; about one in six entries is counter-polar.
std::vector<CaseEntry> randomCase(std::mt19937& rng) {
    std::uniform_int_distribution<int> size(1, 60);
    std::uniform_int_distribution<int> number(1, 400);
    std::uniform_int_distribution<int> sign(0, 5);
    std::vector<CaseEntry> entries;
    const int n = size(rng);
    for (int i = 0; i < n; ++i) {
        entries.emplace_back(sign(rng) == 0 ? -number(rng) : number(rng), 0);
    }
    return entries;
}

} // namespace

TEST(WeightingIdentity, WeightOneWithoutMarksScoresExactlyAsThePlainRule) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 20; ++round) {
        const RepertoryData data = randomContent(rng);
        for (int c = 0; c < 10; ++c) {
            const std::vector<CaseEntry> entries = randomCase(rng);
            ASSERT_EQ(weightedScores(entries, data), plainScores(entries, data))
                << "round " << round << " case " << c;
        }
    }
    // The delivered examples, through the whole evaluation.
    GridFixture f(builtIn());
    f.typeAll({"1", "2"});
    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    ScoreTable plain = plainScores(result.entries, builtIn());
    sortScores(plain, builtIn());
    EXPECT_EQ(result.scores, plain);
    EXPECT_EQ(result.lastScoreIndex, 127);
}

TEST(WeightingIdentity, WeightWScoresAsTheEntryRepeatedWTimes) {
    std::mt19937 rng(7);
    std::uniform_int_distribution<int> weight(kMinWeight, kMaxWeight);
    for (int round = 0; round < 10; ++round) {
        const RepertoryData data = randomContent(rng);
        for (int c = 0; c < 10; ++c) {
            std::vector<CaseEntry> weighted = randomCase(rng);
            std::vector<CaseEntry> repeated;
            for (CaseEntry& e : weighted) {
                e.weight = static_cast<std::int8_t>(weight(rng));
                // Counter-polar entries are never scored, so their weight is
                // left out of the comparison: they stand once in both.
                const int times = e.number > 0 ? e.weight : 1;
                for (int k = 0; k < times; ++k) {
                    repeated.emplace_back(e.number, e.bd);
                }
            }
            ASSERT_EQ(weightedScores(weighted, data), plainScores(repeated, data))
                << "round " << round << " case " << c;
        }
    }
}

TEST(WeightingIdentity, EliminationZeroesExactlyTheRemediesOutsideEveryMarkedRubric) {
    std::mt19937 rng(99);
    std::uniform_int_distribution<int> pick(0, 9);
    for (int round = 0; round < 10; ++round) {
        const RepertoryData data = randomContent(rng);
        for (int c = 0; c < 10; ++c) {
            std::vector<CaseEntry> entries = randomCase(rng);
            std::vector<bool> keep(kRemedyCount, true);
            for (CaseEntry& e : entries) {
                e.eliminating = pick(rng) == 0;
                if (e.eliminating && e.number > 0) {
                    std::vector<bool> inRubric(kRemedyCount, false);
                    for (const RemedyEntry r : data.entriesOf(e.number - 1)) {
                        inRubric[static_cast<std::size_t>(entryRemedy(r))] = true;
                    }
                    for (int m = 0; m < kRemedyCount; ++m) {
                        keep[static_cast<std::size_t>(m)] = keep[static_cast<std::size_t>(m)] &&
                                                            inRubric[static_cast<std::size_t>(m)];
                    }
                }
            }
            ScoreTable expected = plainScores(entries, data);
            for (int m = 0; m < kRemedyCount; ++m) {
                if (!keep[static_cast<std::size_t>(m)]) {
                    expected[static_cast<std::size_t>(m)] = RemedyScore{m, 0, 0, 0};
                }
            }
            ASSERT_EQ(weightedScores(entries, data), expected) << "round " << round;
        }
    }
}

TEST(WeightingScores, WeightsZeroToFourOnOneRubric) {
    const RepertoryData& data = graded();
    for (std::int8_t w = kMinWeight; w <= kMaxWeight; ++w) {
        GridFixture f(data, PolarityMode::None);
        const EvaluationResult result = evaluateMarked(f, {"12"}, {{0, w}});
        if (w == 0) {
            // In the case and the result table, but nothing scored at all.
            EXPECT_EQ(result.entryCount(), 1);
            EXPECT_EQ(result.lastScoreIndex, -1);
            EXPECT_EQ(scoreOf(result, data, "Rhus-t.").polarityDifference, 0);
            continue;
        }
        expectRanking(result, data,
                      {{"Ruta.", w, 5 * w, 0},
                       {"Bell.", w, 3 * w, 0},
                       {"Calc.", w, 2 * w, 0},
                       {"Ferr.", w, w, 0}});
        EXPECT_EQ(scoreOf(result, data, "Petr.").polarityDifference, -4 * w);
        EXPECT_EQ(scoreOf(result, data, "Rhus-t.").polarityDifference, -5 * w);
    }
}

TEST(WeightingScores, TwoWeightedRubricsUnderEveryPolarityMode) {
    const RepertoryData& data = graded();
    // Mode 2: 12 ×2 and 8 ×3, no counter-polar entry, 40's grades subtracted twice.
    {
        GridFixture f(data, PolarityMode::None);
        const EvaluationResult result = evaluateMarked(f, {"12", "8"}, {{0, 2}, {1, 3}});
        ASSERT_EQ(result.entryCount(), 2);
        expectRanking(result, data,
                      {{"Calc.", 5, 16, 0},
                       {"Petr.", 3, 9, -8},
                       {"Merc.", 3, 6, 0},
                       {"Elaps.", 3, 3, 0},
                       {"Nux-v.", 3, 3, 0},
                       {"Asaf.", 3, 3, -2},
                       {"Ruta.", 2, 10, 0},
                       {"Bell.", 2, 6, 0},
                       {"Ferr.", 2, 2, 0}});
        EXPECT_EQ(scoreOf(result, data, "Ars.").polarityDifference, -4);
        EXPECT_EQ(scoreOf(result, data, "Rhus-t.").polarityDifference, -10);
    }
    // Modes 1 and 0: the counter-polar entry is present (appended at the end,
    // or inserted right below 12), so 12's own grades count twice towards the
    // difference; the appended entry carries weight 1 and no mark.
    for (const PolarityMode mode : {PolarityMode::AtEnd, PolarityMode::Immediate}) {
        GridFixture f(data, mode);
        const int second = mode == PolarityMode::AtEnd ? 1 : 2;
        const EvaluationResult result = evaluateMarked(f, {"12", "8"}, {{0, 2}, {second, 3}});
        ASSERT_EQ(result.entryCount(), 3);
        const CaseEntry& counterPolar = result.entries[mode == PolarityMode::AtEnd ? 2 : 1];
        EXPECT_EQ(counterPolar.number, -40);
        EXPECT_EQ(counterPolar.weight, kDefaultWeight);
        EXPECT_FALSE(counterPolar.eliminating);
        expectRanking(result, data,
                      {{"Calc.", 5, 16, 4},
                       {"Petr.", 3, 9, -8},
                       {"Merc.", 3, 6, 0},
                       {"Elaps.", 3, 3, 0},
                       {"Nux-v.", 3, 3, 0},
                       {"Asaf.", 3, 3, -2},
                       {"Ruta.", 2, 10, 10},
                       {"Bell.", 2, 6, 6},
                       {"Ferr.", 2, 2, 2}});
        EXPECT_EQ(scoreOf(result, data, "Rhus-t.").polarityDifference, -10)
            << static_cast<int>(mode);
    }
}

TEST(WeightingElimination, OnlyRemediesOfTheMarkedRubricStayRanked) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult result = evaluateMarked(f, {"12", "8"}, {{1, 1, true}});
    // Bell., Ferr., Ruta. and the remedies only subtracted from (Ars., Lach.,
    // Rhus-t.) are out; Asaf. and Petr. keep their subtraction.
    expectRanking(result, data,
                  {{"Calc.", 2, 6, 0},
                   {"Petr.", 1, 3, -4},
                   {"Merc.", 1, 2, 0},
                   {"Elaps.", 1, 1, 0},
                   {"Nux-v.", 1, 1, 0},
                   {"Asaf.", 1, 1, -1}});
    for (const char* out : {"Bell.", "Ferr.", "Ruta.", "Ars.", "Rhus-t."}) {
        EXPECT_EQ(scoreOf(result, data, out), (RemedyScore{remedyNamed(data, out), 0, 0, 0}))
            << out;
    }
}

TEST(WeightingElimination, AnEliminatingRubricOfWeightZeroStillEliminates) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult result = evaluateMarked(f, {"12", "8"}, {{1, 0, true}});
    // Rubric 8 scores nothing; of rubric 12 only Calc. stands in 8.
    expectRanking(result, data, {{"Calc.", 1, 2, 0}});
    EXPECT_EQ(scoreOf(result, data, "Petr.").polarityDifference, -4);
}

TEST(WeightingElimination, DisjointEliminatingRubricsLeaveNoRemedy) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult result =
        evaluateMarked(f, {"12", "10", "8"}, {{0, 1, true}, {1, 1, true}});
    EXPECT_EQ(result.lastScoreIndex, -1);
    for (const RemedyScore& s : result.scores) {
        EXPECT_EQ(s.hits, 0);
        EXPECT_EQ(s.gradeSum, 0);
        EXPECT_EQ(s.polarityDifference, 0);
    }
}

TEST(WeightingElimination, TwoMarkedRubricsKeepTheirCommonRemediesOnly) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::AtEnd);
    const EvaluationResult result = evaluateMarked(f, {"12", "8"}, {{0, 1, true}, {1, 2, true}});
    expectRanking(result, data, {{"Calc.", 3, 10, 2}});
}

TEST(WeightingElimination, AMarkOnACounterPolarEntryEliminatesNothing) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult marked = evaluateMarked(f, {"8", "-40"}, {{1, 3, true}});
    GridFixture g(data, PolarityMode::None);
    const EvaluationResult plain = evaluateMarked(g, {"8", "-40"}, {});
    EXPECT_EQ(marked.scores, plain.scores);
    EXPECT_EQ(marked.lastScoreIndex, 5);
}

TEST(WeightingRanking, RankingAgainFollowsChangedWeightsAndKeepsTheRest) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::AtEnd);
    EvaluationResult result = evaluateMarked(f, {"12", "8"}, {});
    const int separator = result.separatorRow;
    ASSERT_EQ(separator, 3);
    EXPECT_STREQ(data.abbreviation(result.scores[0].remedy), "Calc.");

    result.entries[1].weight = 0;
    rankEntries(result, data);
    expectRanking(result, data,
                  {{"Ruta.", 1, 5, 5}, {"Bell.", 1, 3, 3}, {"Calc.", 1, 2, 2}, {"Ferr.", 1, 1, 1}});
    EXPECT_EQ(result.separatorRow, separator);
    EXPECT_EQ(result.entryCount(), 3);

    result.entries[1].weight = 1;
    rankEntries(result, data);
    EXPECT_EQ(result.lastScoreIndex, 8);
}

TEST(WeightingMarks, TextsNameTheWeightAndTheMark) {
    CaseEntry e(12, 0);
    EXPECT_EQ(entryMarksText(e), "");
    EXPECT_FALSE(e.hasMarks());
    e.weight = 2;
    EXPECT_EQ(entryMarksText(e), "\xD7"
                                 "2");
    e.eliminating = true;
    EXPECT_EQ(entryMarksText(e), "\xD7"
                                 "2 [E]");
    e.weight = 1;
    EXPECT_EQ(entryMarksText(e), "[E]");
    e.weight = 0;
    e.eliminating = false;
    EXPECT_EQ(entryMarksText(e), "\xD7"
                                 "0");
    EXPECT_TRUE(e.hasMarks());

    const RepertoryData& data = builtIn();
    e.weight = 3;
    e.eliminating = true;
    // The marks are not part of the row's text: they stand in a place of their own.
    EXPECT_EQ(resultRowText(data, e), "Alcoholism, - After Operations {0021} [4] (12)");
    e.reset();
    EXPECT_FALSE(e.hasMarks());
}

TEST(WeightingMarks, ResultTableGreysWeightZeroRowsOnly) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult result = evaluateMarked(f, {"12", "8"}, {{0, 0}, {1, 2, true}});
    TableLogic table;
    fillResultTable(table, result);
    EXPECT_EQ(table.rawCellText(2, 0), "Alcoholism, - After Operations {0021} [4] (12)");
    EXPECT_EQ(table.cellMarks(2, 0), "\xD7"
                                     "0");
    EXPECT_EQ(table.cellTextWithMarks(3, 0).substr(table.rawCellText(3, 0).size() - 3), "(8) \xD7"
                                                                                        "2 [E]");
    for (int c = 0; c < table.columnCount(); ++c) {
        EXPECT_EQ(table.cellTextColour(2, c), kUnscoredTextColour) << c;
        EXPECT_EQ(table.cellTextColour(3, c), std::nullopt) << c;
    }
}

TEST(WeightingCase, MarksMoveWithTheirEntriesAndResetClearsThem) {
    Case theCase;
    theCase.entry(0).number = 5;
    theCase.entry(2).number = 7;
    theCase.entry(2).weight = 3;
    theCase.entry(2).eliminating = true;
    theCase.setCount(4);
    // Compaction moves entry 2 up; its marks go with it and the freed slot is clean.
    ASSERT_EQ(prepareCase(theCase, builtIn(), PolarityMode::None), 2);
    EXPECT_EQ(theCase.entry(1).number, 7);
    EXPECT_EQ(theCase.entry(1).weight, 3);
    EXPECT_TRUE(theCase.entry(1).eliminating);
    EXPECT_FALSE(theCase.entry(2).hasMarks());
    EXPECT_TRUE(anyEntryMarks(theCase.used()));
    theCase.resetEntries();
    EXPECT_FALSE(theCase.entry(1).hasMarks());
    EXPECT_FALSE(anyEntryMarks(theCase.entries()));
}

TEST(WeightingGrid, MarksShowInTheSymptomTextAndSurviveKeeping) {
    const RepertoryData data = tessalyn::test::withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::AtEnd);
    f.typeAll({"5", "12", "7"});
    const std::string plainText = f.text(2, 1);
    EXPECT_TRUE(f.grid->setEntryMarks(2, 2, true));
    EXPECT_EQ(f.text(2, 1), plainText);
    EXPECT_EQ(f.grid->cellTextWithMarks(2, 1), plainText + " \xD7"
                                                           "2 [E]");
    EXPECT_TRUE(f.grid->setEntryMarks(3, 0, false));

    EvaluationResult result;
    ASSERT_TRUE(f.grid->evaluate(result));
    ASSERT_EQ(result.entryCount(), 4); // -40 appended
    result.entries[1].weight = 4;      // changed in the result view
    f.grid->keep("Fall");

    ASSERT_EQ(f.theCase.count(), 4);
    EXPECT_EQ(f.theCase.entry(1).weight, 4);
    EXPECT_TRUE(f.theCase.entry(1).eliminating);
    EXPECT_EQ(f.theCase.entry(2).weight, 0);
    EXPECT_FALSE(f.theCase.entry(0).hasMarks());
    EXPECT_EQ(f.grid->cellMarks(2, 1), "\xD7"
                                       "4 [E]");
    EXPECT_EQ(f.grid->cellMarks(3, 1), "\xD7"
                                       "0");
    EXPECT_EQ(f.text(2, 0), "12");

    // Typing over a row makes it a plain row again, even with the same number.
    f.grid->setCellText(2, 0, "12");
    EXPECT_FALSE(f.theCase.entry(1).hasMarks());
    EXPECT_EQ(f.grid->cellTextWithMarks(2, 1), plainText);

    f.grid->discard();
    EXPECT_FALSE(anyEntryMarks(f.theCase.entries()));
}

TEST(WeightingGrid, OnlyPositiveEntriesAndWeightsZeroToFourAreAccepted) {
    GridFixture f(builtIn(), PolarityMode::None);
    f.typeAll({"5", "-7"});
    EXPECT_FALSE(f.grid->setEntryMarks(2, 2, false)); // counter-polar
    EXPECT_FALSE(f.grid->setEntryMarks(3, 2, false)); // the input row
    EXPECT_FALSE(f.grid->setEntryMarks(0, 2, false)); // the header row
    EXPECT_FALSE(f.grid->setEntryMarks(1, 5, false));
    EXPECT_FALSE(f.grid->setEntryMarks(1, -1, false));
    EXPECT_FALSE(anyEntryMarks(f.theCase.used()));
    EXPECT_TRUE(f.grid->setEntryMarks(1, 4, false));
    EXPECT_TRUE(f.grid->setEntryMarks(1, 1, false));
    EXPECT_FALSE(anyEntryMarks(f.theCase.used()));
}

TEST(WeightingGrid, ARowMovedByAnInsertedCounterPolarityKeepsItsMarks) {
    const RepertoryData data = tessalyn::test::withOpposite(builtIn(), 12, 40);
    GridFixture f(data, PolarityMode::Immediate);
    f.typeAll({"5", "7"});
    ASSERT_TRUE(f.grid->setEntryMarks(2, 3, true));
    // Typing 12 over row 1 inserts -40 below it and moves 7 down to row 3.
    f.grid->setCellText(1, 0, "12");
    ASSERT_EQ(f.number(1), -40);
    EXPECT_EQ(f.number(2), 7);
    EXPECT_EQ(f.theCase.entry(2).weight, 3);
    EXPECT_TRUE(f.theCase.entry(2).eliminating);
    EXPECT_FALSE(f.theCase.entry(1).hasMarks());
}

TEST(WeightingMarks, ResultRowsFollowAGivenOrderAndTheGradeBlockEndsWithTheMarks) {
    const RepertoryData& data = graded();
    GridFixture f(data, PolarityMode::None);
    const EvaluationResult result = evaluateMarked(f, {"12", "8", "10"}, {{2, 3, true}});
    TableLogic table;
    const std::vector<int> order = {2, 0, 1};
    fillResultTable(table, result, order);
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(table.rowKey(i + 2), order[static_cast<std::size_t>(i)]);
        EXPECT_EQ(table.rawCellText(i + 2, 0),
                  resultRowText(data, result.entries[static_cast<std::size_t>(order[i])]));
    }
    // Only Apis. and Bry. are left; rubric 10 (weight 3) has both.
    ASSERT_EQ(table.columnCount(), 4);
    EXPECT_EQ(table.rawCellText(2, 2), "1");
    EXPECT_EQ(table.rawCellText(3, 2), "");

    EXPECT_EQ(gradeBlockWithMarks(table, result, "1\t1\n\t\n\t"), "1\t1\t\xD7"
                                                                  "3 [E]\n\t\t\n\t\t");
    // A row drawn without height is not in the block and gets no field.
    table.setRowHeight(3, 0);
    EXPECT_EQ(gradeBlockWithMarks(table, result, "1\t1\n\t"), "1\t1\t\xD7"
                                                              "3 [E]\n\t\t");

    // An order that does not name every entry once is ignored.
    for (const std::vector<int>& bad : {std::vector<int>{0, 1}, {0, 0, 1}, {0, 1, 3}, {-1, 0, 1}}) {
        fillResultTable(table, result, bad);
        EXPECT_EQ(table.rowKey(2), 0);
        EXPECT_EQ(table.rowKey(4), 2);
    }

    // Without marks the block stays exactly as copied.
    GridFixture g(data, PolarityMode::None);
    const EvaluationResult plain = evaluateMarked(g, {"12", "8"}, {});
    fillResultTable(table, plain);
    EXPECT_EQ(gradeBlockWithMarks(table, plain, "1\t\n\t1"), "1\t\n\t1");
}
