#include "table/PaperLayout.h"
#include "table/TableLogic.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

using namespace tessalyn;

namespace {

// Every character 10 units wide, lines 20 high; cells keep 5 units at each
// side and 2 above and below.
PaperInput input(PaperSheet portrait = {1000, 1400}, PaperSheet landscape = {1400, 1000}) {
    PaperInput in;
    in.font.advances.fill(10);
    in.font.lineHeight = 20;
    in.portrait = portrait;
    in.landscape = landscape;
    in.paddingX = 5;
    in.paddingY = 2;
    in.marksGap = 10;
    return in;
}

std::vector<std::string> linesOf(std::string_view text, double width) {
    std::vector<std::string> out;
    for (const TextLine& line : wrapText(text, width, input().font)) {
        out.emplace_back(text.substr(static_cast<std::size_t>(line.begin),
                                     static_cast<std::size_t>(line.length)));
    }
    return out;
}

// A result table: a rubric text (`text`) and a location per body row, `remedies`
// remedy columns named "R1." .. with a hit count and grades.
void makeResultTable(TableLogic& t, int rows, int remedies, const std::string& text) {
    t.setColumnCount(2 + remedies);
    t.setRowCount(2 + rows);
    t.setCellText(1, 0, "Anzahl der Treffer");
    for (int c = 2; c < t.columnCount(); ++c) {
        t.setCellText(0, c, "R" + std::to_string(c - 1) + ".");
        t.setCellText(1, c, std::to_string(rows));
    }
    for (int r = 2; r < t.rowCount(); ++r) {
        t.setCellText(r, 0, text + " (" + std::to_string(r) + ")");
        t.setCellText(r, 1, "Chapter Heading");
        for (int c = 2; c < t.columnCount(); ++c) {
            t.setCellText(r, c, (r + c) % 3 == 0 ? "1" : "");
        }
    }
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
}

// What must hold for every layout: each shown column in some band, the
// non-header ones in exactly one, no band wider than its sheet, and in each
// band every shown row's lines exactly once, in order, below the header rows
// of every page, within the page's height.
void expectWholeTable(const TableLogic& t, const PaperLayout& layout, const PaperSheet& sheet,
                      const std::string& what) {
    SCOPED_TRACE(what);
    std::map<int, int> bandsOfColumn;
    for (std::size_t b = 0; b < layout.bands.size(); ++b) {
        EXPECT_LE(layout.bandWidth(static_cast<int>(b)), sheet.width) << "band " << b;
        for (const PaperColumn& column : layout.bands[b]) {
            ++bandsOfColumn[column.column];
        }
    }
    for (int c = 0; c < t.columnCount(); ++c) {
        if (t.columnWidth(c) > 0 && c >= t.headerColumnCount()) {
            EXPECT_EQ(bandsOfColumn[c], 1) << "column " << c;
        }
        if (t.columnWidth(c) <= 0) {
            EXPECT_EQ(bandsOfColumn.count(c), 0u) << "hidden column " << c;
        }
    }
    std::map<int, std::vector<int>> rowsOfBand; // row per line shown
    int lastBand = 0;
    for (const PaperPage& page : layout.pages) {
        EXPECT_GE(page.band, lastBand) << "bands one after the other";
        lastBand = page.band;
        EXPECT_LE(page.height, sheet.height);
        int top = 0;
        int header = 0;
        for (const PaperRow& row : page.rows) {
            EXPECT_EQ(row.top, top);
            top += row.height;
            if (row.row < t.headerRowCount()) {
                EXPECT_EQ(row.row, header++) << "the header rows first";
                continue;
            }
            for (int k = 0; k < row.lineCount; ++k) {
                rowsOfBand[page.band].push_back(row.row);
            }
        }
        EXPECT_EQ(header, t.headerRowCount());
    }
    for (const auto& [band, rows] : rowsOfBand) {
        std::vector<int> shown;
        for (int r = t.headerRowCount(); r < t.rowCount(); ++r) {
            if (t.rowHeight(r) > 0) {
                shown.push_back(r);
            }
        }
        std::vector<int> distinct = rows;
        distinct.erase(std::unique(distinct.begin(), distinct.end()), distinct.end());
        EXPECT_EQ(distinct, shown) << "band " << band;
    }
}

} // namespace

TEST(PaperLayout, TextsBreakAtBlanksAndLongWordsWhereTheyMust) {
    struct Case {
        const char* text;
        double width;
        std::vector<std::string> lines;
    };
    const Case cases[] = {
        {"Air, - Open", 200, {"Air, - Open"}},
        {"Air, - While in the Open", 100, {"Air, -", "While in", "the Open"}},
        {"  two  blanks  ", 60, {"two", "blanks"}},
        {"Abscesses", 40, {"Absc", "esse", "s"}},
        {"ab Abscesses", 40, {"ab", "Absc", "esse", "s"}},
        {"x", 5, {"x"}}, // narrower than a letter: one letter a line
        {"", 100, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(linesOf(c.text, c.width), c.lines) << c.text;
    }
}

TEST(PaperLayout, EveryColumnAndRowLandsOnAPageInEveryShape) {
    const std::string rubric = "Abscesses, - External Parts, - Night, - After Midnight";
    struct Shape {
        const char* what;
        int rows;
        int remedies;
        PaperOrientation orientation;
        std::size_t bands;
    };
    // A few remedies fit upright; many turn the sheet and continue in bands;
    // no remedy at all leaves the header columns alone.
    const Shape shapes[] = {
        {"few remedies", 6, 5, PaperOrientation::Portrait, 1},
        {"many remedies", 6, 120, PaperOrientation::Landscape, 0},
        {"many rows", 300, 40, PaperOrientation::Landscape, 0},
        {"no remedy", 4, 0, PaperOrientation::Portrait, 1},
    };
    for (const Shape& shape : shapes) {
        TableLogic t;
        makeResultTable(t, shape.rows, shape.remedies, rubric);
        const PaperInput in = input();
        const PaperLayout layout = layOutOnPaper(t, in);
        EXPECT_EQ(layout.orientation, shape.orientation) << shape.what;
        if (shape.bands > 0) {
            EXPECT_EQ(layout.bands.size(), shape.bands) << shape.what;
        } else {
            EXPECT_GT(layout.bands.size(), 1u) << shape.what;
        }
        const PaperSheet& sheet =
            layout.orientation == PaperOrientation::Portrait ? in.portrait : in.landscape;
        expectWholeTable(t, layout, sheet, shape.what);
        // The rubric column repeats on every band, the location opens the first.
        for (std::size_t b = 0; b < layout.bands.size(); ++b) {
            ASSERT_FALSE(layout.bands[b].empty());
            EXPECT_EQ(layout.bands[b][0].column, 0) << shape.what;
            EXPECT_EQ(layout.bands[b].size() > 1 && layout.bands[b][1].column == 1, b == 0)
                << shape.what << ", band " << b;
        }
    }
}

TEST(PaperLayout, ARowTallerThanAPageGoesOnLineByLineAndMarksKeepTheirRoom) {
    TableLogic t;
    t.setColumnCount(3);
    t.setRowCount(5);
    t.setHeaderRowCount(1);
    t.setCellText(0, 0, "Nummer");
    t.setCellText(0, 1, "Symptom");
    t.setCellText(0, 2, "Andere Mittel");
    std::string many;
    for (int i = 0; i < 400; ++i) {
        many += "Rem" + std::to_string(i) + ".(1) ";
    }
    for (int r = 1; r < 5; ++r) {
        t.setCellText(r, 0, std::to_string(r));
        t.setCellText(r, 1, "Afternoon, - In");
        t.setCellText(r, 2, r == 2 ? many : "Acon.(1)");
    }
    t.setCellMarks(3, 1,
                   "\xD7"
                   "2 [E]");
    t.setRowHeight(4, 0); // hidden: not printed
    const PaperInput in = input({600, 400}, {400, 600});
    const PaperLayout layout = layOutOnPaper(t, in);
    // No header column: one band, every column fitted to the upright sheet.
    EXPECT_EQ(layout.orientation, PaperOrientation::Portrait);
    ASSERT_EQ(layout.bands.size(), 1u);
    EXPECT_EQ(layout.bands[0].size(), 3u);
    expectWholeTable(t, layout, in.portrait, "tall row");

    // Row 2 continues over pages: its pieces take every line once.
    const int lines = static_cast<int>(layout.lines(t, 2, 2).size());
    int shown = 0;
    int pagesOfRow = 0;
    for (const PaperPage& page : layout.pages) {
        for (const PaperRow& row : page.rows) {
            if (row.row == 2) {
                EXPECT_EQ(row.firstLine, shown);
                shown += row.lineCount;
                ++pagesOfRow;
            }
        }
    }
    EXPECT_EQ(shown, lines);
    EXPECT_GT(pagesOfRow, 1);

    // The marks stand beside the first line: the text keeps clear of them.
    int width = 0;
    for (const PaperColumn& column : layout.bands[0]) {
        width = column.column == 1 ? column.width : width;
    }
    const double marks = in.font.width("\xD7"
                                       "2 [E]");
    for (const TextLine& line : layout.lines(t, 3, 1)) {
        EXPECT_LE(line.length * 10.0, width - 2 * in.paddingX - in.marksGap - marks);
    }
}
