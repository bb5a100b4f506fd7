#include "table/TableSort.h"

#include "data/MiddlePivotSort.h"
#include "table/TableLogic.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <numeric>
#include <vector>

namespace tessalyn {

namespace {

// Leading integer of a text as the C library reads it: leading blanks, an
// optional sign, digits. Saturates instead of overflowing.
long long leadingValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value < 10'000'000'000LL) {
            value = value * 10 + (text[i] - '0');
        }
        ++i;
    }
    value = std::min<long long>(value, static_cast<long long>(INT_MAX) + (negative ? 1 : 0));
    return negative ? -value : value;
}

// Three-way byte-wise comparison (bytes as unsigned values).
int compareBytes(const std::string& a, const std::string& b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

} // namespace

std::string numericSortKey(std::string_view text) {
    const long long value = leadingValue(text);
    if (value == 0) {
        return std::string(text);
    }
    char buffer[32];
    if (value > 0) {
        std::snprintf(buffer, sizeof buffer, "%07lld", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "-%07lld", value + 1'000'000);
    }
    return buffer;
}

void TableSort::forgetOutside(int rows, int cols) {
    if (rowSort_.by >= cols) {
        rowSort_.by = -1;
    }
    if (columnSort_.by >= rows) {
        columnSort_.by = -1;
    }
}

bool TableSort::sortRowsByColumn(int col) {
    return sort(Orientation::Rows, col);
}

bool TableSort::sortColumnsByRow(int row) {
    return sort(Orientation::Columns, row);
}

bool TableSort::sort(Orientation moved, int by) {
    TableLogic& t = table_;
    const bool rows = moved == Orientation::Rows;
    if (by < 0 || by >= t.count(rows ? Orientation::Columns : Orientation::Rows)) {
        return false;
    }
    SortState& state = rows ? rowSort_ : columnSort_;
    state.ascending = by == state.by ? !state.ascending : false;
    state.by = by;

    // Rows from the first non-header row to the separator row (or the last
    // row); columns from the first non-header column to the last.
    const int first = t.headerCount(moved);
    const int separator = t.separatorRow();
    const int last =
        rows && separator >= first && separator < t.rowCount() ? separator : t.count(moved) - 1;
    if (last <= first) {
        return true;
    }
    t.clearSelection();
    t.setFocusCell(-1, -1);
    if (rows) {
        t.reorderRows(first, rowOrder(by, first, last, state.ascending));
    } else {
        t.reorderColumns(first, columnOrder(by, first, state.ascending));
    }
    return true;
}

std::vector<int> TableSort::rowOrder(int col, int first, int last, bool ascending) const {
    const TableLogic& t = table_;
    std::vector<std::string> keys(static_cast<std::size_t>(last - first + 1));
    std::vector<int> order(keys.size());
    for (int r = first; r <= last; ++r) {
        keys[static_cast<std::size_t>(r - first)] = t.cellText(r, col);
        order[static_cast<std::size_t>(r - first)] = r;
    }
    // Stable, so rows with equal texts keep their order and a table sorted
    // twice the same way does not shuffle.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compareBytes(keys[static_cast<std::size_t>(a - first)],
                                   keys[static_cast<std::size_t>(b - first)]);
        return ascending ? c < 0 : c > 0;
    });
    return order;
}

std::vector<int> TableSort::columnOrder(int row, int first, bool ascending) const {
    const TableLogic& t = table_;
    const int n = t.columnCount() - first;
    // The keys of a column: the sort row, the row that breaks ties (row 2 for
    // row 1 and row 1 for row 2), and row 0, compared the other way round.
    const int tieRow = row == 1 ? 2 : (row == 2 ? 1 : -1);
    const bool useTie = tieRow >= 0 && tieRow < t.rowCount();
    struct Keys {
        std::string main, tie, name;
    };
    std::vector<Keys> keys(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        Keys& k = keys[static_cast<std::size_t>(i)];
        k.main = numericSortKey(t.rawCellText(row, first + i));
        if (useTie) {
            k.tie = numericSortKey(t.rawCellText(tieRow, first + i));
        }
        k.name = numericSortKey(t.rawCellText(0, first + i));
    }
    // Negative when column a goes before column b.
    auto order3 = [&](int a, int b) {
        const Keys& ka = keys[static_cast<std::size_t>(a)];
        const Keys& kb = keys[static_cast<std::size_t>(b)];
        int c = compareBytes(ka.main, kb.main);
        if (c == 0 && useTie) {
            c = compareBytes(ka.tie, kb.tie);
        }
        if (c != 0) {
            return ascending ? c : -c;
        }
        c = compareBytes(ka.name, kb.name);
        return ascending ? -c : c;
    };

    // Over the column indexes; the columns themselves move once afterwards.
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    middlePivotSort(order, order3);
    for (int& o : order) {
        o += first;
    }
    return order;
}

HeaderClickAction TableSort::headerClickAction(int row, int col) const {
    const TableLogic& t = table_;
    if (!t.sortByHeaderClick() || !t.isValid(row, col)) {
        return HeaderClickAction::None;
    }
    if (row < t.headerRowCount() && row == 0) {
        return HeaderClickAction::SortRows;
    }
    if (row < t.headerRowCount() && row <= 3) {
        return HeaderClickAction::SortColumns;
    }
    // A header-column cell picks its row, also in a header row below row 3.
    if (col < t.headerColumnCount() && t.listMode()) {
        return HeaderClickAction::SortColumns;
    }
    return HeaderClickAction::None;
}

bool TableSort::headerClick(int row, int col) {
    switch (headerClickAction(row, col)) {
    case HeaderClickAction::SortRows:
        return sortRowsByColumn(col);
    case HeaderClickAction::SortColumns:
        return sortColumnsByRow(row);
    case HeaderClickAction::None:
        break;
    }
    return false;
}

} // namespace tessalyn
