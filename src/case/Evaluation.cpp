#include "case/Evaluation.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <bitset>
#include <cstdlib>

namespace tessalyn {

namespace {

bool inRubricRange(std::int32_t number) {
    return number >= -kRubricCount && number <= kRubricCount;
}

// Which (number, bd) pairs a run of case entries holds. Every entry the case
// grid makes has BD 0 and a number in range, so those pairs are answered from a
// bit set; the rare others (counter-polar entries with a BD value) by a scan.
// Lives on the stack: the evaluation allocates nothing.
class PairIndex {
public:
    void add(const CaseEntry& e) {
        if (e.bd == 0 && inRubricRange(e.number)) {
            bits_.set(static_cast<std::size_t>(e.number + kRubricCount));
        } else {
            ++others_;
        }
    }

    bool holds(std::span<const CaseEntry> entries, std::int32_t number, std::int32_t bd) const {
        if (bd == 0 && inRubricRange(number)) {
            return bits_.test(static_cast<std::size_t>(number + kRubricCount));
        }
        if (others_ == 0) {
            return false;
        }
        return std::any_of(entries.begin(), entries.end(),
                           [&](const CaseEntry& e) { return e.number == number && e.bd == bd; });
    }

private:
    std::bitset<2 * kRubricCount + 1> bits_;
    int others_ = 0;
};

} // namespace

int prepareCase(Case& theCase, const RepertoryData& data, PolarityMode mode) {
    const int count = theCase.count();
    int n = 0;
    for (int i = 0; i < count; ++i) {
        if (theCase.entry(i).number != 0) {
            if (n != i) {
                theCase.entry(n) = std::move(theCase.entry(i));
            }
            ++n;
        }
    }
    for (int i = n; i < count; ++i) {
        theCase.entry(i).reset();
    }

    if (mode == PolarityMode::AtEnd) {
        PairIndex present;
        for (int i = 0; i < n; ++i) {
            present.add(theCase.entry(i));
        }
        const int examined = n;
        for (int i = 0; i < examined && n < kCaseSlotCount; ++i) {
            const std::int32_t number = theCase.entry(i).number;
            if (number < 1 || number > kRubricCount) {
                continue;
            }
            const Rubric& rubric = data.rubric(number - 1);
            const std::int32_t h = rubric.oppositeNumber;
            const std::int32_t l = rubric.oppositeBd;
            if (h == 0) {
                continue;
            }
            const std::span<const CaseEntry> current =
                theCase.entries().first(static_cast<std::size_t>(n));
            if (present.holds(current, -h, l)) {
                continue;
            }
            CaseEntry& slot = theCase.entry(n);
            slot.reset();
            slot.number = -h;
            slot.bd = l;
            slot.autoAdded = true;
            present.add(slot);
            ++n;
        }
    }
    theCase.setCount(n);
    return n;
}

void resetScores(ScoreTable& scores) {
    for (int i = 0; i < kRemedyCount; ++i) {
        scores[static_cast<std::size_t>(i)] = RemedyScore{i, 0, 0, 0};
    }
}

void scoreEntries(std::span<const CaseEntry> entries, const RepertoryData& data,
                  ScoreTable& scores) {
    PairIndex present;
    for (const CaseEntry& e : entries) {
        present.add(e);
    }
    // Remedies that stand in every eliminating rubric; a set on the stack.
    std::bitset<kRemedyCount> kept;
    kept.set();
    bool eliminating = false;
    for (const CaseEntry& e : entries) {
        if (e.number < 1 || e.number > kRubricCount) {
            continue;
        }
        if (e.eliminating) {
            std::bitset<kRemedyCount> inRubric;
            for (const RemedyEntry entry : data.entriesOf(e.number - 1)) {
                const int m = entryRemedy(entry);
                if (m < kRemedyCount) {
                    inRubric.set(static_cast<std::size_t>(m));
                }
            }
            kept &= inRubric;
            eliminating = true;
        }
        // A weighted entry counts as if it stood `w` times in the case; weight 0
        // scores nothing, not even its counter-polar subtraction.
        const std::int32_t w = e.weight;
        if (w == 0) {
            continue;
        }
        const Rubric& rubric = data.rubric(e.number - 1);
        const std::int32_t h = rubric.oppositeNumber;
        const std::int32_t l = rubric.oppositeBd;
        const bool oppositePresent = h != 0 && present.holds(entries, -h, l);
        for (const RemedyEntry entry : data.entriesOf(e.number - 1)) {
            const int m = entryRemedy(entry);
            if (m >= kRemedyCount) {
                continue;
            }
            const std::int32_t g = w * entryGrade(entry);
            RemedyScore& s = scores[static_cast<std::size_t>(m)];
            s.gradeSum += g;
            s.hits += w;
            if (oppositePresent) {
                s.polarityDifference += g;
            }
        }
        if (h != 0 && inRubricRange(h)) {
            for (const RemedyEntry entry : data.entriesOf(std::abs(h) - 1)) {
                const int m = entryRemedy(entry);
                if (m < kRemedyCount) {
                    scores[static_cast<std::size_t>(m)].polarityDifference -= w * entryGrade(entry);
                }
            }
        }
    }
    if (eliminating) {
        for (RemedyScore& s : scores) {
            const auto m = static_cast<std::size_t>(s.remedy);
            if (m < kRemedyCount && !kept.test(m)) {
                s.hits = 0;
                s.gradeSum = 0;
                s.polarityDifference = 0;
            }
        }
    }
}

int compareAbbreviations(const char* a, const char* b) {
    for (;; ++a, ++b) {
        const auto ca = static_cast<unsigned char>(cp1252ToUpper(*a));
        const auto cb = static_cast<unsigned char>(cp1252ToUpper(*b));
        if (ca != cb) {
            return ca < cb ? -1 : 1;
        }
        if (ca == 0) {
            return 0;
        }
    }
}

bool rankedBefore(const RemedyScore& a, const RemedyScore& b, const RepertoryData& data) {
    if (a.hits != b.hits) {
        return a.hits > b.hits;
    }
    if (a.gradeSum != b.gradeSum) {
        return a.gradeSum > b.gradeSum;
    }
    if (a.polarityDifference != b.polarityDifference) {
        return a.polarityDifference > b.polarityDifference;
    }
    return compareAbbreviations(data.abbreviation(a.remedy), data.abbreviation(b.remedy)) < 0;
}

void sortScores(ScoreTable& scores, const RepertoryData& data) {
    std::sort(scores.begin(), scores.end(), [&data](const RemedyScore& a, const RemedyScore& b) {
        return rankedBefore(a, b, data);
    });
}

int lastScoreIndexOf(const ScoreTable& scores) {
    const auto withGrades = std::count_if(scores.begin(), scores.end(),
                                          [](const RemedyScore& s) { return s.gradeSum != 0; });
    return static_cast<int>(withGrades) - 1;
}

int separatorRowOf(std::span<const CaseEntry> entries) {
    const int n = static_cast<int>(entries.size());
    int k = 0;
    while (k < n && entries[static_cast<std::size_t>(k)].number >= 0) {
        ++k;
    }
    if (k == n || k == 0) {
        return -1;
    }
    for (int i = k; i < n; ++i) {
        if (entries[static_cast<std::size_t>(i)].number > 0) {
            return -1;
        }
    }
    // Entry r stands in table row r + 2; the last positive entry is k - 1.
    return k + 1;
}

void rankEntries(EvaluationResult& result, const RepertoryData& data) {
    resetScores(result.scores);
    scoreEntries(result.entries, data, result.scores);
    sortScores(result.scores, data);
    result.lastScoreIndex = lastScoreIndexOf(result.scores);
}

bool evaluateCase(Case& theCase, const RepertoryData& data, PolarityMode mode,
                  EvaluationResult& result) {
    if (theCase.count() <= 1) {
        return false;
    }
    result.separatorRow = -1;
    const int n = prepareCase(theCase, data, mode);
    result.entries = theCase.entries().first(static_cast<std::size_t>(n));
    rankEntries(result, data);
    result.separatorRow = separatorRowOf(result.entries);
    result.caseName = theCase.name();
    result.data = &data;
    return true;
}

} // namespace tessalyn
