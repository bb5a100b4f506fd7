#include "table/ColumnFit.h"

#include "table/TableLogic.h"

#include <algorithm>
#include <vector>

namespace tessalyn {

bool limitHeaderColumns(TableLogic& table, int limit, int minimumWidth) {
    const int headerCols = std::min(table.headerColumnCount(), table.columnCount());
    limit = std::max(0, limit);
    if (table.totalColumnWidth(0, headerCols) <= limit) {
        return false;
    }
    // Columns at or below the minimum keep their widths; the others share
    // what is left in proportion to their widths. One that would fall below
    // the minimum is held there and the rest share again.
    std::vector<int> widths(static_cast<std::size_t>(headerCols));
    std::vector<int> open;
    long long budget = limit;
    for (int c = 0; c < headerCols; ++c) {
        widths[static_cast<std::size_t>(c)] = table.columnWidth(c);
        if (table.columnWidth(c) > minimumWidth) {
            open.push_back(c);
        } else {
            budget -= table.columnWidth(c);
        }
    }
    while (!open.empty()) {
        long long sum = 0;
        for (int c : open) {
            sum += table.columnWidth(c);
        }
        std::vector<int> stillOpen;
        for (int c : open) {
            if (std::max(0LL, budget) * table.columnWidth(c) < sum * minimumWidth) {
                widths[static_cast<std::size_t>(c)] = minimumWidth;
                budget -= minimumWidth;
            } else {
                stillOpen.push_back(c);
            }
        }
        if (stillOpen.size() == open.size()) {
            long long given = 0;
            for (int c : open) {
                const long long share = budget * table.columnWidth(c) / sum;
                widths[static_cast<std::size_t>(c)] = static_cast<int>(share);
                given += share;
            }
            // What the rounding down left goes to the first columns.
            for (std::size_t i = 0; given < budget; i = (i + 1) % open.size(), ++given) {
                ++widths[static_cast<std::size_t>(open[i])];
            }
            break;
        }
        open = std::move(stillOpen);
    }
    bool changed = false;
    for (int c = 0; c < headerCols; ++c) {
        if (widths[static_cast<std::size_t>(c)] != table.columnWidth(c)) {
            table.setColumnWidth(c, widths[static_cast<std::size_t>(c)]);
            changed = true;
        }
    }
    return changed;
}

bool stretchColumnToFill(TableLogic& table, int col, int clientWidth) {
    if (col < 0 || col >= table.columnCount()) {
        return false;
    }
    const long long others = table.totalColumnWidth() - table.columnWidth(col);
    const long long wanted = clientWidth - others;
    if (wanted <= table.columnWidth(col)) {
        return false;
    }
    return table.setColumnWidth(col, static_cast<int>(std::min<long long>(wanted, 1 << 30)));
}

} // namespace tessalyn
