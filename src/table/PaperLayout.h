#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

class TableLogic;

// How a table is laid out on sheets of paper for the PDF documents: every
// column and every row, text at the paper font's size however the window
// shows the table, long texts wrapped within their column instead of cut.
//
// - A table with header columns repeats its first column (the one that names
//   the row) on every page, beside a band of the other columns: its other
//   header columns open the first band, the non-header columns follow, and
//   the columns that do not fit continue in further bands, each on pages of
//   its own. The first header row's texts of the non-header columns stand
//   upright, so those columns are only as wide as their other cells need.
// - A table without header columns has all its columns fitted onto the width
//   of the sheet, one band.
// - Every page repeats the header rows. Rows run on to the next page whole;
//   only a row taller than a page's room is cut, between two of its lines,
//   and continues on the next page.
// - The sheet is turned to landscape only when that fits more columns on a
//   page (fewer bands); otherwise it stays upright.
// All sizes are in the units of the page (the PDF's device units).

// The paper font as the layout needs it: the advance of each Windows-1252
// byte and the height of a line.
struct PaperFont {
    std::array<double, 256> advances{};
    int lineHeight = 0;

    double width(std::string_view text) const;
};

// The room for the table on one side of a sheet.
struct PaperSheet {
    int width = 0;
    int height = 0;
};

enum class PaperOrientation : std::uint8_t { Portrait, Landscape };

struct PaperInput {
    PaperFont font;
    PaperSheet portrait;
    PaperSheet landscape;
    int paddingX = 0; // between a cell's sides and its text
    int paddingY = 0; // above and below a cell's lines
    int marksGap = 0; // between a cell's text and its marks
};

// Bytes [begin, begin + length) of a cell text.
struct TextLine {
    int begin = 0;
    int length = 0;

    bool operator==(const TextLine&) const = default;
};

// `text` broken into lines no wider than `width`: at blanks (which the lines
// leave out), a word wider than the width wherever it must be. No lines for
// an empty text.
std::vector<TextLine> wrapText(std::string_view text, double width, const PaperFont& font);

// A column of a band: its place from the table's left edge and its width.
struct PaperColumn {
    int column = 0;
    int left = 0;
    int width = 0;
    // The texts of header row 0 stand upright in this column.
    bool upright = false;
};

// A row, or the part of one, on a page: its place from the table's top edge,
// its height and which of its text lines it shows.
struct PaperRow {
    int row = 0;
    int top = 0;
    int height = 0;
    int firstLine = 0;
    int lineCount = 0;
};

struct PaperPage {
    int band = 0;
    std::vector<PaperRow> rows; // the header rows, then the rows of the page
    int height = 0;             // of the table on this page
};

class PaperLayout {
public:
    PaperOrientation orientation = PaperOrientation::Portrait;
    // Each band's columns, left to right, the repeated column first.
    std::vector<std::vector<PaperColumn>> bands;
    std::vector<PaperPage> pages; // band after band
    int paddingX = 0;
    int paddingY = 0;
    int marksGap = 0;
    int lineHeight = 0;

    int pageCount() const { return static_cast<int>(pages.size()); }
    int bandWidth(int band) const;
    // The lines of a cell's text as it is printed in its column; the marks
    // stand beside the first line.
    std::vector<TextLine> lines(const TableLogic& table, int row, int col) const;

private:
    friend PaperLayout layOutOnPaper(const TableLogic& table, const PaperInput& input);
    // Per column: the cells' lines where the column wraps its texts (by row),
    // empty where every text fits on one line.
    std::vector<std::vector<std::vector<TextLine>>> wrapped_;
};

// Lays `table` out on sheets as described above. A table with no shown row
// or column gives no page.
PaperLayout layOutOnPaper(const TableLogic& table, const PaperInput& input);

} // namespace tessalyn
