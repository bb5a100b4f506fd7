#pragma once

#include "case/Case.h"
#include "data/RepertoryData.h"

#include <array>
#include <cstdint>
#include <span>
#include <string>

namespace tessalyn {

// One remedy's standing in an evaluation.
struct RemedyScore {
    std::int32_t remedy = 0;   // remedy index 0..357
    std::int32_t gradeSum = 0; // sum of its grades over the scored rubrics
    std::int32_t hits = 0;     // scored entries whose rubric holds the remedy
    std::int32_t polarityDifference =
        0; // grades with counter-polarity present minus opposite grades

    friend bool operator==(const RemedyScore&, const RemedyScore&) = default;
};

using ScoreTable = std::array<RemedyScore, kRemedyCount>;

// What the result view reads: the ranked scores and the case as it was scored.
struct EvaluationResult {
    ScoreTable scores{};
    int lastScoreIndex = -1; // last score row with a hit; -1 when none has one
    int separatorRow = -1;   // result-table row of the last symptom before the counter-polar block
    // The case as scored, counter-polar entries included. Mutable so that the
    // result view can change weights and marks and rank again (rankEntries).
    std::span<CaseEntry> entries;
    std::string caseName;
    const RepertoryData* data = nullptr;

    int entryCount() const { return static_cast<int>(entries.size()); }
};

// Makes the case ready for scoring and returns the number of entries to score,
// which also becomes the case's count:
// - every empty entry is removed, keeping the order; this drops the trailing
//   input row in every mode, while the last symptom of a full list (which has
//   no input row) takes part and keeps its place;
// - with PolarityMode::AtEnd, for every positive entry whose rubric has a
//   counter-polarity (h, l) that the case lacks, (-h, l) is appended with
//   `autoAdded` set. Appended entries are not examined themselves, a pair is
//   appended at most once, and nothing is appended beyond the 6000 slots.
int prepareCase(Case& theCase, const RepertoryData& data, PolarityMode mode);

// Scores the entries into `scores`, which must hold row i = remedy i (see
// resetScores). Entries with a number below 1 are skipped; a rubric that
// occurs in several entries is scored once per entry. An entry of weight w
// adds w to the hits and w times each grade to the sum of grades and the
// polarity difference of its remedies, and subtracts w times the grades of its
// counter-polar rubric; weight 0 adds and subtracts nothing. Then, for every
// positive entry marked eliminating (whatever its weight), each remedy that
// does not stand in its rubric gets all three figures set to 0. With every
// weight 1 and no mark this is the plain count.
void resetScores(ScoreTable& scores);
void scoreEntries(std::span<const CaseEntry> entries, const RepertoryData& data,
                  ScoreTable& scores);

// Ranking order: more hits, then larger sum of grades, then larger polarity
// difference, then the abbreviation compared character by character with
// letter case ignored ("Calc-p." before "Calc.").
int compareAbbreviations(const char* a, const char* b);
bool rankedBefore(const RemedyScore& a, const RemedyScore& b, const RepertoryData& data);
void sortScores(ScoreTable& scores, const RepertoryData& data);

// Index of the last row with a sum of grades other than 0 (rows with hits come
// first once sorted); -1 when there is none.
int lastScoreIndexOf(const ScoreTable& scores);

// The result-table row under which the separator is drawn: set only when the
// case is a run of positive entries followed by a run of counter-polar (or
// empty) entries; then it is the row of the last positive entry. Else -1.
int separatorRowOf(std::span<const CaseEntry> entries);

// Scores `result.entries` as they stand (weights and marks included), sorts
// the scores and sets lastScoreIndex; entries, separator row and name stay.
// The evaluation's own ranking, and the result view's after a weight change.
void rankEntries(EvaluationResult& result, const RepertoryData& data);

// The whole evaluation ("Berechnen"): prepares, scores, sorts and fills
// `result`. Returns false, changing nothing, when the case has at most one row
// (only the input row).
bool evaluateCase(Case& theCase, const RepertoryData& data, PolarityMode mode,
                  EvaluationResult& result);

} // namespace tessalyn
