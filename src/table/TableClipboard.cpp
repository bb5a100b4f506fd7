#include "table/TableClipboard.h"

#include "table/TableLogic.h"

#include <algorithm>
#include <utility>
#include <vector>

namespace tessalyn {

namespace {

// Pasted cell texts are cut to this length, so a megabyte line cannot turn
// into a cell that no one can read or draw.
constexpr std::size_t kMaxPastedCellText = 4096;

} // namespace

std::string selectionText(const TableLogic& table) {
    if (table.selectedCount() == 0) {
        return {};
    }
    const int rows = table.rowCount();
    const int cols = table.columnCount();
    int minRow = rows, maxRow = -1, minCol = cols, maxCol = -1;
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            if (table.isSelected(r, c)) {
                minRow = std::min(minRow, r);
                maxRow = std::max(maxRow, r);
                minCol = std::min(minCol, c);
                maxCol = std::max(maxCol, c);
            }
        }
    }
    // Hidden rows and columns are left out; fields are joined by tabs and lines
    // by "\n", with nothing after the last field or line.
    std::string out;
    bool firstLine = true;
    for (int r = minRow; r <= maxRow; ++r) {
        if (table.rowHeight(r) <= 0) {
            continue;
        }
        if (!firstLine) {
            out.push_back('\n');
        }
        firstLine = false;
        bool firstField = true;
        for (int c = minCol; c <= maxCol; ++c) {
            if (table.columnWidth(c) <= 0) {
                continue;
            }
            if (!firstField) {
                out.push_back('\t');
            }
            firstField = false;
            if (table.isSelected(r, c)) {
                out += table.cellTextWithMarks(r, c);
            }
        }
    }
    return out;
}

std::string cutSelectionText(TableLogic& table) {
    std::string text = selectionText(table);
    if (!table.isEditable() || table.selectedCount() == 0) {
        return text;
    }
    // Collect first: a derived setCellText may change the table.
    std::vector<std::pair<int, int>> selected;
    for (int r = 0; r < table.rowCount(); ++r) {
        for (int c = 0; c < table.columnCount(); ++c) {
            if (table.isSelected(r, c) && !(table.cellState(r, c) & CellReadOnly)) {
                selected.emplace_back(r, c);
            }
        }
    }
    for (const auto& [r, c] : selected) {
        table.setCellText(r, c, std::string());
    }
    return text;
}

bool pasteText(TableLogic& table, std::string_view text) {
    if (!table.isEditable()) {
        return false;
    }
    // Clipboard text ends at a NUL byte.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    if (text.empty()) {
        return false;
    }
    int startRow = table.focusRow();
    int startCol = table.focusColumn();
    if (startRow < 0 || startCol < 0) {
        startRow = table.headerRowCount();
        startCol = table.headerColumnCount();
    }
    if (!table.isValid(startRow, startCol)) {
        return false;
    }
    // A line break at the very end does not start another row.
    if (text.back() == '\n') {
        text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
    }
    bool wrote = false;
    int row = startRow;
    std::size_t pos = 0;
    while (pos <= text.size() && row < table.rowCount()) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        int col = startCol;
        std::size_t fieldPos = 0;
        while (fieldPos <= line.size() && col < table.columnCount()) {
            std::size_t fieldEnd = line.find('\t', fieldPos);
            if (fieldEnd == std::string_view::npos) {
                fieldEnd = line.size();
            }
            std::string_view field = line.substr(fieldPos, fieldEnd - fieldPos);
            if (field.size() > kMaxPastedCellText) {
                field = field.substr(0, kMaxPastedCellText);
            }
            if (table.isValid(row, col) && !(table.cellState(row, col) & CellReadOnly)) {
                wrote = table.setCellText(row, col, std::string(field)) || wrote;
            }
            ++col;
            fieldPos = fieldEnd + 1;
        }
        ++row;
        pos = end + 1;
    }
    return wrote;
}

} // namespace tessalyn
