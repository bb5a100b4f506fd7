#include "case/ResultTable.h"

#include <algorithm>
#include <array>
#include <cstdlib>
#include <unordered_map>
#include <vector>

namespace tessalyn {

namespace {

constexpr int kHeaderRows = 2;
constexpr int kHeaderColumns = 2;

std::int32_t absoluteNumber(std::int32_t number) {
    return number < 0 ? static_cast<std::int32_t>(-static_cast<std::int64_t>(number)) : number;
}

// True when `order` names each of the entries 0..count-1 exactly once.
bool isEntryOrder(std::span<const int> order, int count) {
    if (static_cast<int>(order.size()) != count) {
        return false;
    }
    std::vector<bool> seen(static_cast<std::size_t>(count), false);
    for (const int r : order) {
        if (r < 0 || r >= count || seen[static_cast<std::size_t>(r)]) {
            return false;
        }
        seen[static_cast<std::size_t>(r)] = true;
    }
    return true;
}

} // namespace

std::string resultRowText(const RepertoryData& data, const CaseEntry& entry) {
    const std::int32_t number = absoluteNumber(entry.number);
    std::string text = entry.number < 0 ? "- " : "";
    text += data.symptomText(number);
    text += " (";
    text += numberText(number, entry.bd);
    text += ')';
    return text;
}

void fillResultTable(TableLogic& table, const EvaluationResult& result,
                     std::span<const int> rowOrder) {
    const RepertoryData& data = *result.data;
    const int last = result.lastScoreIndex;
    const int entryCount = result.entryCount();

    table.clear();
    table.setColumnCount(last + 1 + kHeaderColumns);
    table.setRowCount(entryCount + kHeaderRows);

    table.setCellSelection(false);
    table.setEditable(false);
    table.setSortByHeaderClick(true);
    table.setCaption("Ergebnis der Auswertung");
    table.setMaximumColumnWidth(kResultColumnWidthLimit);
    table.setSeparatorRow(result.separatorRow);

    // Column of each remedy among the ranked ones, -1 for remedies without a hit.
    std::array<int, kRemedyCount> columnOfRemedy;
    columnOfRemedy.fill(-1);
    for (int c = 0; c <= last; ++c) {
        const int remedy = result.scores[static_cast<std::size_t>(c)].remedy;
        table.setCellText(0, c + kHeaderColumns, data.abbreviation(remedy));
        if (remedy >= 0 && remedy < kRemedyCount &&
            columnOfRemedy[static_cast<std::size_t>(remedy)] < 0) {
            columnOfRemedy[static_cast<std::size_t>(remedy)] = c;
        }
    }

    table.setCellText(1, 0, "Anzahl der Treffer");
    table.setCellBackground(1, 0, kHitsBackground);
    for (int c = 0; c <= last; ++c) {
        table.setCellText(1, c + kHeaderColumns,
                          std::to_string(result.scores[static_cast<std::size_t>(c)].hits));
        table.setCellBackground(1, c + kHeaderColumns, kHitsBackground);
    }

    static const std::array<std::string, 6> gradeText = {"", "1", "2", "3", "4", "5"};
    const bool ordered = isEntryOrder(rowOrder, entryCount);
    for (int i = 0; i < entryCount; ++i) {
        const int r = ordered ? rowOrder[static_cast<std::size_t>(i)] : i;
        const CaseEntry& entry = result.entries[static_cast<std::size_t>(r)];
        const int row = i + kHeaderRows;
        table.setRowKey(row, r);
        table.setCellText(row, 0, resultRowText(data, entry));
        table.setCellMarks(row, 0, entryMarksText(entry));
        const int index = rubricIndexOf(entry.number, entry.bd);
        if (index >= 0) {
            table.setCellText(row, 1, data.locationText(index));
            for (const RemedyEntry remedyEntry : data.entriesOf(index)) {
                const int remedy = entryRemedy(remedyEntry);
                if (remedy >= kRemedyCount) {
                    continue;
                }
                const int c = columnOfRemedy[static_cast<std::size_t>(remedy)];
                if (c >= 0) {
                    table.setCellText(row, c + kHeaderColumns,
                                      gradeText[static_cast<std::size_t>(entryGrade(remedyEntry))]);
                }
            }
        }
        if (entry.number < 0) {
            for (int c = 0; c <= last; ++c) {
                table.setCellBackground(row, c + kHeaderColumns, kCounterPolarBackground);
            }
        }
        if (entry.weight == 0) {
            for (int c = 0; c <= last + kHeaderColumns; ++c) {
                table.setCellTextColour(row, c, kUnscoredTextColour);
            }
        }
    }

    table.setHeaderRowCount(kHeaderRows);
    table.setHeaderColumnCount(kHeaderColumns);
    table.setEditable(false);
}

std::string gradeBlockWithMarks(const TableLogic& table, const EvaluationResult& result,
                                std::string block) {
    if (!anyEntryMarks(result.entries) || block.empty()) {
        return block;
    }
    std::string out;
    std::size_t start = 0;
    int row = kHeaderRows;
    while (start <= block.size()) {
        // Rows drawn with no height are left out of the block.
        while (row < table.rowCount() && table.rowHeight(row) <= 0) {
            ++row;
        }
        const std::size_t end = std::min(block.find('\n', start), block.size());
        out.append(block, start, end - start);
        out += '\t';
        const int entry = table.rowKey(row);
        if (entry >= 0 && entry < result.entryCount()) {
            out += entryMarksText(result.entries[static_cast<std::size_t>(entry)]);
        }
        if (end == block.size()) {
            break;
        }
        out += '\n';
        start = end + 1;
        ++row;
    }
    return out;
}

std::vector<ColumnScore> columnScores(const TableLogic& table, const EvaluationResult& result,
                                      const RepertoryData& data) {
    std::unordered_map<std::string, const RemedyScore*> scoreOf;
    for (int c = 0; c <= result.lastScoreIndex && c < kRemedyCount; ++c) {
        const RemedyScore& score = result.scores[static_cast<std::size_t>(c)];
        scoreOf.emplace(data.abbreviation(score.remedy), &score);
    }
    std::vector<ColumnScore> columns;
    for (int col = kHeaderColumns; col < table.columnCount(); ++col) {
        const std::string& abbreviation = table.rawCellText(0, col);
        const auto it = scoreOf.find(abbreviation);
        if (it == scoreOf.end() || it->second->hits <= 0) {
            continue;
        }
        columns.push_back(ColumnScore{abbreviation, it->second->hits, it->second->gradeSum, col});
    }
    return columns;
}

} // namespace tessalyn
