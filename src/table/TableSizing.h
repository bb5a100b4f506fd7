#pragma once

#include "table/TableLogic.h"

namespace tessalyn {

// Sizes of a table's rows and columns worked out from its texts and from the
// width of the window that shows it. The measure gives a text's extent in the
// table font; cells add 16 pixels of width and 2 of height to it, and a cell
// with marks the marks' width and kCellMarksGap between text and marks.

inline constexpr int kCellMarksGap = 8;

// The extent a cell needs: its text (as cellText gives it) and its marks,
// with the cell's padding.
TextExtent cellExtent(const TableLogic& table, int row, int col, const TextMeasure& measure);

// All widths and heights from the texts: every column fits its row-0 cell,
// the first n columns all their cells; rows the highest measured cell; then
// cut to the table's maxima.
void autoSizeColumns(TableLogic& table, int n, const TextMeasure& measure);
// The width that fits all texts of a column, cut to the table's maximum.
int fittedColumnWidth(const TableLogic& table, int col, const TextMeasure& measure);
// Fits one column's width / one row's height to all its texts.
bool autoSizeColumn(TableLogic& table, int col, const TextMeasure& measure);
bool autoSizeRow(TableLogic& table, int row, const TextMeasure& measure);

// Shares the difference between `clientWidth` and the total width of all
// columns equally among the columns of the range (header columns included or
// not) whose width is above 0; the remainder goes one pixel each to the first
// of them. No column is narrowed below 1 pixel.
void expandColumnsToFit(TableLogic& table, int clientWidth, bool includeHeaderColumns);

} // namespace tessalyn
