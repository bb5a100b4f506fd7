#pragma once

#include "case/Evaluation.h"
#include "table/TableLogic.h"

#include <span>
#include <string>
#include <vector>

namespace tessalyn {

inline constexpr Rgb kHitsBackground{255, 255, 0};
inline constexpr Rgb kCounterPolarBackground{230, 230, 230};
// Text of a row whose entry has weight 0: shown, but not scored.
inline constexpr Rgb kUnscoredTextColour{128, 128, 128};
// Widest a result column is sized automatically.
inline constexpr int kResultColumnWidthLimit = 450;

// Text of the header cell of an entry row: "- " for a counter-polar entry, the
// symptom text of its rubric, and the number text in parentheses, all built
// from the number's absolute value. The entry's marks (entryMarksText) are the
// cell's marks, beside the text.
std::string resultRowText(const RepertoryData& data, const CaseEntry& entry);

// Fills `table` with the result of an evaluation: one column per remedy with a
// hit (abbreviation over the hit count, yellow) after two header columns, one
// row per scored entry (row text, location) after two header rows, in case
// order or, when `rowOrder` names every entry index once, in that order; each
// entry row carries its entry index as row key, the grades
// at the crossings, the remedy cells of counter-polar rows grey, and the
// separator row; the texts of a weight-0 row grey. Sets the table's properties for the result view
// (no cell selection, no editing, sorting by header clicks, the caption, the width limit). Sizing
// the columns to their texts is left to the view, which knows the font.
void fillResultTable(TableLogic& table, const EvaluationResult& result,
                     std::span<const int> rowOrder = {});

// The grade block the result view copies (all non-header cells of the filled
// table, one line per row with a height, as TableLogic copies them) with one
// more field at the end of every line: the marks of the row's entry
// ("×2 [E]", empty for a plain row). Unchanged when no entry has marks.
std::string gradeBlockWithMarks(const TableLogic& table, const EvaluationResult& result,
                                std::string block);

// A remedy column of the filled result table with the score of its remedy.
struct ColumnScore {
    std::string abbreviation;
    int hits = 0;
    int gradeSum = 0;
    int column = -1;
    bool operator==(const ColumnScore&) const = default;
};

// The remedy columns of `table` (filled by fillResultTable, perhaps sorted
// since by a header click) in their order, each with the score of its remedy.
// The remedy is found by the abbreviation in row 0, which moves with its
// column; a column whose remedy has no score with a hit is left out.
std::vector<ColumnScore> columnScores(const TableLogic& table, const EvaluationResult& result,
                                      const RepertoryData& data);

} // namespace tessalyn
