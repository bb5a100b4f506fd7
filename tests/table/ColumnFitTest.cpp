// Fitting columns to the window: narrowing the header columns, filling the
// width with one column.
#include "table/ColumnFit.h"
#include "table/TableLogic.h"

#include <gtest/gtest.h>

#include <vector>

using namespace tessalyn;

namespace {

// A table with the given column widths, the first `headerCols` of them header columns.
void shape(TableLogic& t, const std::vector<int>& widths, int headerCols) {
    t.setRowCount(3);
    t.setColumnCount(static_cast<int>(widths.size()));
    for (std::size_t c = 0; c < widths.size(); ++c) {
        t.setColumnWidth(static_cast<int>(c), widths[c]);
    }
    t.setHeaderColumnCount(headerCols);
}

std::vector<int> widths(const TableLogic& t) {
    std::vector<int> out;
    for (int c = 0; c < t.columnCount(); ++c) {
        out.push_back(t.columnWidth(c));
    }
    return out;
}

} // namespace

TEST(ColumnFit, HeaderColumnsAreNarrowedInProportionToTheLimitExactly) {
    TableLogic t;
    shape(t, {450, 150, 40, 40}, 2);
    EXPECT_TRUE(limitHeaderColumns(t, 300, 20));
    // 600 -> 300: each keeps its share of three to one; the others stay.
    EXPECT_EQ(widths(t), (std::vector<int>{225, 75, 40, 40}));

    // Already within the limit: nothing changes.
    EXPECT_FALSE(limitHeaderColumns(t, 300, 20));
    EXPECT_FALSE(limitHeaderColumns(t, 1000, 20));
    EXPECT_EQ(widths(t), (std::vector<int>{225, 75, 40, 40}));
}

TEST(ColumnFit, TheMinimumHoldsAndTheOtherColumnGivesTheRest) {
    TableLogic t;
    shape(t, {400, 60, 30}, 2);
    // A proportional cut would take column 1 below 50; it stops there and
    // column 0 gives what is missing.
    EXPECT_TRUE(limitHeaderColumns(t, 200, 50));
    EXPECT_EQ(widths(t), (std::vector<int>{150, 50, 30}));

    // A limit below both minimums leaves both at the minimum, never below.
    EXPECT_TRUE(limitHeaderColumns(t, 10, 50));
    EXPECT_EQ(widths(t), (std::vector<int>{50, 50, 30}));
    // A column narrower than the minimum is neither widened nor narrowed;
    // a hidden one stays hidden; a negative limit counts as none.
    TableLogic u;
    shape(u, {300, 0, 30}, 2);
    EXPECT_TRUE(limitHeaderColumns(u, -5, 40));
    EXPECT_EQ(widths(u), (std::vector<int>{40, 0, 30}));
    TableLogic v;
    shape(v, {20, 30}, 1);
    EXPECT_FALSE(limitHeaderColumns(v, 5, 40));
    EXPECT_EQ(widths(v), (std::vector<int>{20, 30}));
}

TEST(ColumnFit, WithoutHeaderColumnsNothingIsNarrowed) {
    TableLogic t;
    shape(t, {300, 300}, 0);
    EXPECT_FALSE(limitHeaderColumns(t, 10, 5));
    EXPECT_EQ(widths(t), (std::vector<int>{300, 300}));
}

TEST(ColumnFit, OneColumnFillsTheWidthLeftOverButNeverShrinks) {
    TableLogic t;
    shape(t, {85, 372, 100, 100}, 0);
    EXPECT_TRUE(stretchColumnToFill(t, 3, 900));
    EXPECT_EQ(widths(t), (std::vector<int>{85, 372, 100, 343}));
    EXPECT_EQ(t.totalColumnWidth(), 900);
    // Narrower window, or a column already reaching the edge: kept.
    EXPECT_FALSE(stretchColumnToFill(t, 3, 600));
    EXPECT_FALSE(stretchColumnToFill(t, 3, 900));
    EXPECT_EQ(t.columnWidth(3), 343);
    // Columns that do not exist are refused.
    EXPECT_FALSE(stretchColumnToFill(t, 4, 2000));
    EXPECT_FALSE(stretchColumnToFill(t, -1, 2000));
}
