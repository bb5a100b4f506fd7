#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

class TableLogic;
enum class Orientation : std::uint8_t;

// Numeric key: "%07d" of a positive leading integer, "-%07d" of a negative
// one plus 1000000, the text itself when it is 0 or has none.
std::string numericSortKey(std::string_view text);

// What a left click on a cell sorts.
enum class HeaderClickAction { None, SortRows, SortColumns };

// The sorting of one table by header clicks. It remembers which column the
// rows and which row the columns were sorted by last, so that a second click
// on the same one reverses the order. Every table owns one (TableLogic::sorting).
class TableSort {
public:
    explicit TableSort(TableLogic& table) : table_(table) {}

    TableSort(const TableSort&) = delete;
    TableSort& operator=(const TableSort&) = delete;

    // Sorts the rows from the first non-header row to the separator row (or
    // the last row) by the texts of `col`, byte-wise; descending first, the
    // same column again reverses.
    bool sortRowsByColumn(int col);
    // Sorts the non-header columns by the numeric keys of row `row` with the
    // tie rules (row 1: then 2, row 2: then 1, then row 0 the other way);
    // descending first, the same row again reverses. Widths move along.
    bool sortColumnsByRow(int row);
    // The row the columns were sorted by last (-1 when none) and its direction.
    int columnSortRow() const { return columnSort_.by; }
    bool columnSortAscending() const { return columnSort_.ascending; }

    // What a left click on (row, col) sorts (needs sort by header click).
    HeaderClickAction headerClickAction(int row, int col) const;
    // Runs the sort of a header click; true when one ran.
    bool headerClick(int row, int col);

    // The table now has `rows` rows and `cols` columns: a remembered sort
    // row or column that is gone is forgotten.
    void forgetOutside(int rows, int cols);

private:
    // The column the rows or the row the columns were sorted by last, and how.
    struct SortState {
        int by = -1;
        bool ascending = false;
    };
    // Sorts the rows (Orientation::Rows) by column `by` or the columns by row
    // `by`: the direction, the range that moves and the cleared selection
    // are the same for both.
    bool sort(Orientation moved, int by);
    // The rows first..last, or the columns from `first` on, in sorted order.
    std::vector<int> rowOrder(int col, int first, int last, bool ascending) const;
    std::vector<int> columnOrder(int row, int first, bool ascending) const;

    TableLogic& table_;
    SortState rowSort_;
    SortState columnSort_;
};

} // namespace tessalyn
