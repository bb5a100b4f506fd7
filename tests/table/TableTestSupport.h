#pragma once

#include "table/TableLogic.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessalyn::testing {

// Column texts of one row, left to right.
inline std::vector<std::string> rowTexts(const TableLogic& t, int row) {
    std::vector<std::string> out;
    for (int c = 0; c < t.columnCount(); ++c) {
        out.push_back(t.rawCellText(row, c));
    }
    return out;
}

inline std::vector<std::string> columnTexts(const TableLogic& t, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < t.rowCount(); ++r) {
        out.push_back(t.rawCellText(r, col));
    }
    return out;
}

// A result-table shape: row 0 names, row 1 hits, rows 2.. grades; two header
// rows and two header columns.
inline void makeResultTable(TableLogic& t, const std::vector<std::string>& names,
                            const std::vector<std::vector<std::string>>& rows) {
    t.setColumnCount(static_cast<int>(names.size()) + 2);
    t.setRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t c = 0; c < names.size(); ++c) {
        t.setCellText(0, static_cast<int>(c) + 2, names[c]);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            t.setCellText(static_cast<int>(r) + 1, static_cast<int>(c) + 2, rows[r][c]);
        }
    }
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
    t.setSortByHeaderClick(true);
}

inline TextExtent fixedMeasure(std::string_view text) {
    return TextExtent{static_cast<int>(text.size()) * 10, 12};
}

} // namespace tessalyn::testing
