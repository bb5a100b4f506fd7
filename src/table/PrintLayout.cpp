#include "table/PrintLayout.h"

#include "table/TableLogic.h"

#include <algorithm>
#include <climits>

namespace tessalyn {

int PrintLayout::pageFirstRow(int page) const {
    if (page < 0 || page >= pageCount()) {
        return 0;
    }
    return pageFirstRows[static_cast<std::size_t>(page)];
}

int PrintLayout::pageEndRow(int page, int rowCount) const {
    if (page < 0 || page >= pageCount()) {
        return pageFirstRow(page);
    }
    if (page + 1 < pageCount()) {
        return pageFirstRows[static_cast<std::size_t>(page) + 1];
    }
    return rowCount;
}

PrintLayout computePrintLayout(const TableLogic& table, const PrintInput& input) {
    PrintLayout layout;
    layout.charWidth = input.charWidth;
    layout.lineHeight = input.lineHeight;

    const int rows = table.rowCount();
    const int cols = table.columnCount();
    const int headerRows = std::min(table.headerRowCount(), rows);
    const int headerCols = std::min(table.headerColumnCount(), cols);

    for (int c = 0; c < headerCols; ++c) {
        layout.columns.push_back(c);
    }
    if (input.firstVisibleColumn >= headerCols && input.firstVisibleColumn < cols) {
        const int last =
            std::min(std::max(input.lastVisibleColumn, input.firstVisibleColumn), cols - 1);
        for (int c = input.firstVisibleColumn; c <= last; ++c) {
            layout.columns.push_back(c);
        }
    }

    std::int64_t width = 0;
    for (int c : layout.columns) {
        const bool given = c < static_cast<int>(input.leadingWidths.size()) &&
                           input.leadingWidths[static_cast<std::size_t>(c)] >= 0;
        layout.widths.push_back(given ? input.leadingWidths[static_cast<std::size_t>(c)]
                                      : table.columnWidth(c));
        width += layout.widths.back();
    }
    width += std::int64_t{2 * kPrintMarginChars} * std::max(input.charWidth, 0);
    layout.logicalWidth = width;
    layout.headerRowsHeight = table.totalRowHeight(0, headerRows);

    if (input.charWidth <= 0 || input.lineHeight <= 0 || input.pageWidth <= 0 ||
        input.pageHeight <= 0 || width <= 0 || width > INT_MAX) {
        return layout;
    }
    // Both factors are below 2^31, so the product fits in 64 bits.
    const std::int64_t product = width * input.pageHeight;
    layout.logicalHeight = (product + input.pageWidth / 2) / input.pageWidth;
    if (layout.logicalHeight <= 0 || layout.logicalHeight > INT_MAX) {
        return layout;
    }
    layout.valid = true;
    layout.rowSpace =
        layout.logicalHeight - layout.headerRowsHeight -
        std::int64_t{kPrintHeaderLines + kPrintFooterLines + 2 * kPrintGapLines} * input.lineHeight;

    // The first page begins with the first non-header row, also when there is
    // none: a table of header rows alone prints on one page.
    layout.pageFirstRows.push_back(headerRows);
    std::int64_t used = 0;
    bool pageHasRows = false;
    for (int r = headerRows; r < rows; ++r) {
        const std::int64_t height = table.rowHeight(r);
        if (pageHasRows && used + height > layout.rowSpace) {
            layout.pageFirstRows.push_back(r);
            used = 0;
        }
        used += height;
        pageHasRows = true;
    }
    return layout;
}

} // namespace tessalyn
