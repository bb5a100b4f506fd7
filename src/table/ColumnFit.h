#pragma once

namespace tessalyn {

class TableLogic;

// Sizing rules that fit a table's columns to the width of its window.

// Narrows the header columns so that together they take at most `limit`
// pixels. Each keeps its share of their present sum, but none goes below
// `minimumWidth` (nor is widened to it) and hidden columns (width 0) stay
// hidden. Returns whether any width changed.
bool limitHeaderColumns(TableLogic& table, int limit, int minimumWidth);

// Widens column `col` so that the columns end at the right edge of a window
// `clientWidth` pixels wide; a column that already reaches it keeps its width.
// Returns whether the width changed.
bool stretchColumnToFill(TableLogic& table, int col, int clientWidth);

} // namespace tessalyn
