#include "table/TableSizing.h"

#include <algorithm>
#include <climits>
#include <vector>

namespace tessalyn {

namespace {

// Extra room around a measured text.
constexpr int kCellPaddingWidth = 16;
constexpr int kCellPaddingHeight = 2;

} // namespace

TextExtent cellExtent(const TableLogic& table, int row, int col, const TextMeasure& measure) {
    TextExtent e = measure(table.cellText(row, col));
    if (const std::string& marks = table.cellMarks(row, col); !marks.empty()) {
        const TextExtent m = measure(marks);
        e.width += kCellMarksGap + m.width;
        e.height = std::max(e.height, m.height);
    }
    e.width += kCellPaddingWidth;
    e.height += kCellPaddingHeight;
    return e;
}

void autoSizeColumns(TableLogic& table, int n, const TextMeasure& measure) {
    if (!measure) {
        return;
    }
    const int rows = table.rowCount();
    const int cols = table.columnCount();
    n = std::clamp(n, 0, cols);
    std::vector<int> widths(static_cast<std::size_t>(cols), 0);
    std::vector<int> heights(static_cast<std::size_t>(rows), 0);

    auto extentOf = [&](int r, int c) { return cellExtent(table, r, c, measure); };
    if (rows > 0) {
        for (int c = 0; c < cols; ++c) {
            const TextExtent e = extentOf(0, c);
            widths[static_cast<std::size_t>(c)] = e.width;
            heights[0] = std::max(heights[0], e.height);
        }
    }
    for (int r = 1; r < rows; ++r) {
        for (int c = 0; c < n; ++c) {
            const TextExtent e = extentOf(r, c);
            widths[static_cast<std::size_t>(c)] =
                std::max(widths[static_cast<std::size_t>(c)], e.width);
            heights[static_cast<std::size_t>(r)] =
                std::max(heights[static_cast<std::size_t>(r)], e.height);
        }
    }
    // Without measured columns the other rows would all be hidden; they take
    // the height of a line instead.
    if (n == 0 && rows > 1) {
        const int lineHeight = measure(std::string_view()).height + kCellPaddingHeight;
        std::fill(heights.begin() + 1, heights.end(), lineHeight);
    }
    if (table.maximumColumnWidth() > 0) {
        for (int& w : widths) {
            w = std::min(w, table.maximumColumnWidth());
        }
    }
    if (table.maximumRowHeight() > 0) {
        for (int& h : heights) {
            h = std::min(h, table.maximumRowHeight());
        }
    }
    table.setSizes(std::move(heights), std::move(widths));
}

int fittedColumnWidth(const TableLogic& table, int col, const TextMeasure& measure) {
    if (col < 0 || col >= table.columnCount() || !measure) {
        return 0;
    }
    int width = 0;
    for (int r = 0; r < table.rowCount(); ++r) {
        width = std::max(width, cellExtent(table, r, col, measure).width);
    }
    if (table.maximumColumnWidth() > 0) {
        width = std::min(width, table.maximumColumnWidth());
    }
    return width;
}

bool autoSizeColumn(TableLogic& table, int col, const TextMeasure& measure) {
    if (col < 0 || col >= table.columnCount() || !measure) {
        return false;
    }
    return table.setColumnWidth(col, fittedColumnWidth(table, col, measure));
}

bool autoSizeRow(TableLogic& table, int row, const TextMeasure& measure) {
    if (row < 0 || row >= table.rowCount() || !measure) {
        return false;
    }
    int height = measure(std::string_view()).height + kCellPaddingHeight;
    for (int c = 0; c < table.columnCount(); ++c) {
        height = std::max(height, cellExtent(table, row, c, measure).height);
    }
    if (table.maximumRowHeight() > 0) {
        height = std::min(height, table.maximumRowHeight());
    }
    return table.setRowHeight(row, height);
}

void expandColumnsToFit(TableLogic& table, int clientWidth, bool includeHeaderColumns) {
    const int cols = table.columnCount();
    const int first = includeHeaderColumns ? 0 : std::min(table.headerColumnCount(), cols);
    std::vector<int> widths(static_cast<std::size_t>(cols));
    std::vector<int> shown;
    for (int c = 0; c < cols; ++c) {
        widths[static_cast<std::size_t>(c)] = table.columnWidth(c);
        if (c >= first && widths[static_cast<std::size_t>(c)] > 0) {
            shown.push_back(c);
        }
    }
    if (shown.empty()) {
        return;
    }
    const long long difference = clientWidth - table.totalColumnWidth();
    const long long count = static_cast<long long>(shown.size());
    const long long share = difference / count;
    long long remainder = difference % count; // same sign as the difference
    for (int c : shown) {
        long long width = widths[static_cast<std::size_t>(c)] + share;
        if (remainder > 0) {
            ++width;
            --remainder;
        } else if (remainder < 0) {
            --width;
            ++remainder;
        }
        widths[static_cast<std::size_t>(c)] =
            static_cast<int>(std::clamp<long long>(width, 1, INT_MAX));
    }
    table.setColumnWidths(std::move(widths));
}

} // namespace tessalyn
