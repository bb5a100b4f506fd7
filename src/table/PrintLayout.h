#pragma once

#include <cstdint>
#include <vector>

namespace tessalyn {

class TableLogic;

// Zones of a printed page, in line heights and average character widths of
// the print font.
inline constexpr int kPrintHeaderLines = 2; // empty zone at the top
inline constexpr int kPrintFooterLines = 2; // empty zone at the bottom
inline constexpr int kPrintGapLines = 1;    // between each zone and the table
inline constexpr int kPrintMarginChars = 4; // left and right margin each

// The text whose extent in the print font gives the average character width
// (its width divided by its length) and the line height (its height).
inline constexpr const char* kPrintMeasureText =
    "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSATUVWXYZ";
inline constexpr int kPrintMeasureLength = 52;

// What the page geometry is computed from.
struct PrintInput {
    // The non-header columns shown in the window, first..last inclusive; -1
    // for first when none is shown (then only the header columns print).
    int firstVisibleColumn = -1;
    int lastVisibleColumn = -1;
    // The print font measured on the printer, in logical units.
    int charWidth = 0;
    int lineHeight = 0;
    // The printable area of the paper in device units.
    int pageWidth = 0;
    int pageHeight = 0;
    // Widths the first columns print with in place of their widths in the
    // table (a text column fitted to its texts while the window narrows it);
    // empty: every column prints as wide as it is.
    std::vector<int> leadingWidths;
};

// How a table is laid out on pages. All sizes are logical units: the table's
// on-screen pixels.
struct PrintLayout {
    // False when nothing can be printed: a page or font size of 0 or less, or
    // a logical page too large for the painter's coordinates.
    bool valid = false;
    // Header columns first, then the shown non-header columns, left to right,
    // and the width each prints with.
    std::vector<int> columns;
    std::vector<int> widths;
    int charWidth = 0;
    int lineHeight = 0;
    std::int64_t logicalWidth = 0;  // printed column widths + both margins
    std::int64_t logicalHeight = 0; // from the paper's proportions, rounded
    std::int64_t headerRowsHeight = 0;
    std::int64_t rowSpace = 0; // room for non-header rows on one page
    // First non-header row of each page; its size is the page count. A page
    // runs up to the next page's first row (or the end of the table).
    std::vector<int> pageFirstRows;

    int pageCount() const { return static_cast<int>(pageFirstRows.size()); }
    // Rows [first, end) of a page p (0-based); an empty range when p is not a page.
    int pageFirstRow(int page) const;
    int pageEndRow(int page, int rowCount) const;
    // Where the table's top-left corner lies on the logical page.
    std::int64_t tableLeft() const { return std::int64_t{kPrintMarginChars} * charWidth; }
    std::int64_t tableTop() const {
        return std::int64_t{kPrintHeaderLines + kPrintGapLines} * lineHeight;
    }
};

// The page geometry of printing `table`:
// - printed columns: the header columns, then the shown non-header columns,
//   each as wide as in the table unless the input gives it another width;
// - logical page width: their widths plus 4 + 4 character widths;
// - logical page height: width x page height / page width, the product in 64
//   bits, the quotient rounded to the nearest integer;
// - row space: page height - header rows - (2 + 2 + 2 x 1) line heights;
// - pages: the non-header rows in order, a new page beginning with the row
//   that would make the page's sum of row heights exceed the row space. A row
//   taller than the row space still gets a page of its own (it prints cut),
//   so every row is printed and the count always ends.
PrintLayout computePrintLayout(const TableLogic& table, const PrintInput& input);

} // namespace tessalyn
