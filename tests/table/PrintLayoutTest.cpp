#include "table/PrintLayout.h"
#include "table/TableLogic.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace tessalyn;

namespace {

// A result-table shape: 2 header rows and columns, `remedies` remedy columns
// of width 30, header columns 200 and 100 wide, all rows 20 high.
void makeTable(TableLogic& t, int bodyRows, int remedies) {
    t.setColumnCount(remedies + 2);
    t.setRowCount(bodyRows + 2);
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
    t.setDefaultRowHeight(20, true);
    t.setDefaultColumnWidth(30, true);
    t.setColumnWidth(0, 200);
    t.setColumnWidth(1, 100);
}

// Character width 5, line height 10; an A4-like page of 4800 x 6800 device units.
PrintInput input(int first, int last, int pageWidth = 4800, int pageHeight = 6800) {
    PrintInput in;
    in.firstVisibleColumn = first;
    in.lastVisibleColumn = last;
    in.charWidth = 5;
    in.lineHeight = 10;
    in.pageWidth = pageWidth;
    in.pageHeight = pageHeight;
    return in;
}

} // namespace

TEST(PrintLayout, ScrolledTablePrintsTheHeaderColumnsAndExactlyTheShownOnes) {
    TableLogic t;
    makeTable(t, 3, 20);
    // Remedy columns 5 to 12 are table columns 6 to 13.
    const PrintLayout layout = computePrintLayout(t, input(6, 13));
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.columns, (std::vector<int>{0, 1, 6, 7, 8, 9, 10, 11, 12, 13}));
    // 200 + 100 + 8 x 30 + (4 + 4) x 5
    EXPECT_EQ(layout.logicalWidth, 580);
    EXPECT_EQ(layout.tableLeft(), 20);
    EXPECT_EQ(layout.tableTop(), 30);
}

TEST(PrintLayout, NoShownColumnPrintsTheHeaderColumnsAlone) {
    TableLogic t;
    makeTable(t, 3, 20);
    const PrintLayout layout = computePrintLayout(t, input(-1, -1));
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.columns, (std::vector<int>{0, 1}));
    EXPECT_EQ(layout.logicalWidth, 340);
    // A range that names header columns or lies outside the table adds nothing.
    EXPECT_EQ(computePrintLayout(t, input(1, 5)).columns, (std::vector<int>{0, 1}));
    EXPECT_EQ(computePrintLayout(t, input(22, 25)).columns, (std::vector<int>{0, 1}));
    // A last column beyond the table is cut to the table.
    EXPECT_EQ(computePrintLayout(t, input(20, 99)).columns, (std::vector<int>{0, 1, 20, 21}));
}

TEST(PrintLayout, PageHeightFollowsThePaperProportionsRoundedToNearest) {
    TableLogic t;
    makeTable(t, 1, 0);
    t.setColumnWidth(0, 293);
    t.setColumnWidth(1, 0);
    // Width 293 + 40 = 333; 333 x 7 / 3 = 777 exactly.
    EXPECT_EQ(computePrintLayout(t, input(-1, -1, 3, 7)).logicalHeight, 777);
    // 333 x 2 / 3 = 222; 333 x 1 / 2 = 166.5 rounds up to 167; 333 x 1 / 4 = 83.25 to 83.
    EXPECT_EQ(computePrintLayout(t, input(-1, -1, 3, 2)).logicalHeight, 222);
    EXPECT_EQ(computePrintLayout(t, input(-1, -1, 2, 1)).logicalHeight, 167);
    EXPECT_EQ(computePrintLayout(t, input(-1, -1, 4, 1)).logicalHeight, 83);
    // Device units of a high-resolution printer: the product exceeds 32 bits.
    // 2'000'040 x 14031 / 9921 = 2'828'602.08 rounds to 2'828'602.
    t.setColumnWidth(0, 2'000'000);
    const PrintLayout big = computePrintLayout(t, input(-1, -1, 9921, 14031));
    ASSERT_TRUE(big.valid);
    EXPECT_EQ(big.logicalHeight, 2'828'602);
}

TEST(PrintLayout, RowsThatAllFitMakeOnePageAndOneMoreRowMakesTwo) {
    TableLogic t;
    makeTable(t, 0, 8);
    // Width 200 + 100 + 240 + 40 = 580; height 580 x 2 = 1160; row space
    // 1160 - 40 (header rows) - 60 (six line heights) = 1060 = 53 rows of 20.
    const PrintInput in = input(2, 9, 1000, 2000);
    t.setRowCount(2 + 53);
    PrintLayout layout = computePrintLayout(t, in);
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.logicalHeight, 1160);
    EXPECT_EQ(layout.rowSpace, 1060);
    EXPECT_EQ(layout.pageFirstRows, (std::vector<int>{2}));
    EXPECT_EQ(layout.pageEndRow(0, t.rowCount()), 55);

    t.setRowCount(2 + 54);
    layout = computePrintLayout(t, in);
    EXPECT_EQ(layout.pageFirstRows, (std::vector<int>{2, 55}));
    EXPECT_EQ(layout.pageEndRow(0, t.rowCount()), 55);
    EXPECT_EQ(layout.pageEndRow(1, t.rowCount()), 56);

    // 200 rows of 20: 53 per page.
    t.setRowCount(2 + 200);
    layout = computePrintLayout(t, in);
    EXPECT_EQ(layout.pageFirstRows, (std::vector<int>{2, 55, 108, 161}));
}

TEST(PrintLayout, RowHeightsDecideTheBreaksAndHiddenRowsTakeNoRoom) {
    TableLogic t;
    makeTable(t, 6, 8);
    PrintInput in = input(2, 9, 1000, 2000); // row space 1060
    t.setRowHeight(2, 500);
    t.setRowHeight(3, 500);
    t.setRowHeight(4, 0); // hidden
    t.setRowHeight(5, 60);
    t.setRowHeight(6, 1);
    t.setRowHeight(7, 1060);
    const PrintLayout layout = computePrintLayout(t, in);
    // 500 + 500 + 0 + 60 = 1060 fits exactly; 1 more starts page 2, and a
    // row of the whole row space then needs page 3.
    EXPECT_EQ(layout.pageFirstRows, (std::vector<int>{2, 6, 7}));
}

TEST(PrintLayout, RowsTallerThanThePageEachGetAPageAndTheCountEnds) {
    TableLogic t;
    makeTable(t, 3, 8);
    // Header rows so tall that no room is left for the body.
    t.setRowHeight(0, 5000);
    const PrintLayout layout = computePrintLayout(t, input(2, 9, 1000, 2000));
    ASSERT_TRUE(layout.valid);
    EXPECT_LT(layout.rowSpace, 0);
    EXPECT_EQ(layout.pageFirstRows, (std::vector<int>{2, 3, 4}));

    TableLogic tall;
    makeTable(tall, 2, 8);
    tall.setRowHeight(2, 5000);
    EXPECT_EQ(computePrintLayout(tall, input(2, 9, 1000, 2000)).pageFirstRows,
              (std::vector<int>{2, 3}));
}

TEST(PrintLayout, TableWithoutBodyRowsPrintsOnePage) {
    TableLogic t;
    makeTable(t, 0, 0);
    const PrintLayout layout = computePrintLayout(t, input(-1, -1));
    ASSERT_TRUE(layout.valid);
    EXPECT_EQ(layout.pageCount(), 1);
    EXPECT_EQ(layout.pageFirstRow(0), 2);
    EXPECT_EQ(layout.pageEndRow(0, t.rowCount()), 2);
}

TEST(PrintLayout, UnusablePrinterOrFontGivesNoPages) {
    TableLogic t;
    makeTable(t, 3, 8);
    for (PrintInput in : {input(2, 9, 0, 6800), input(2, 9, 4800, 0), input(2, 9, -5, 6800)}) {
        const PrintLayout layout = computePrintLayout(t, in);
        EXPECT_FALSE(layout.valid);
        EXPECT_EQ(layout.pageCount(), 0);
    }
    PrintInput noFont = input(2, 9);
    noFont.charWidth = 0;
    EXPECT_FALSE(computePrintLayout(t, noFont).valid);
    noFont = input(2, 9);
    noFont.lineHeight = 0;
    EXPECT_FALSE(computePrintLayout(t, noFont).valid);

    // A logical page beyond the painter's 32-bit coordinates.
    t.setColumnWidth(0, INT_MAX);
    t.setColumnWidth(1, INT_MAX);
    EXPECT_FALSE(computePrintLayout(t, input(2, 9)).valid);
    // A very flat paper yields a page height of 0.
    t.setColumnWidth(0, 10);
    t.setColumnWidth(1, 10);
    EXPECT_FALSE(computePrintLayout(t, input(-1, -1, 100000, 1)).valid);
}
