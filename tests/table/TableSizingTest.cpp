#include "table/TableSizing.h"
#include "table/TableClipboard.h"
#include "table/TableLogic.h"

#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::testing;

TEST(TableSizing, AutoSizeColumnsFitsHeaderRowAndFirstColumnsWithLimit) {
    TableLogic t;
    t.setColumnCount(4);
    t.setRowCount(3);
    t.setCellText(0, 0, "ab");
    t.setCellText(1, 0, "abcdefghij"); // 100 px text
    t.setCellText(0, 1, "a");
    t.setCellText(2, 1, "a very long text that reaches beyond the limit, far beyond it");
    t.setCellText(0, 2, "abc");
    t.setCellText(1, 3, "a text below row 0 in a column not measured");
    t.setMaximumColumnWidth(450);
    autoSizeColumns(t, 2, fixedMeasure);
    EXPECT_EQ(t.columnWidth(0), 116);
    EXPECT_EQ(t.columnWidth(1), 450);
    EXPECT_EQ(t.columnWidth(2), 46);
    EXPECT_EQ(t.columnWidth(3), 16);
    EXPECT_EQ(t.rowHeight(0), 14);
    EXPECT_EQ(t.rowHeight(2), 14);

    // Without measured columns the rows stay visible.
    autoSizeColumns(t, 0, fixedMeasure);
    EXPECT_EQ(t.rowHeight(1), 14);
    EXPECT_EQ(t.columnWidth(0), 36);
}

TEST(TableSizing, ExpandColumnsToFitSharesTheDifference) {
    TableLogic t;
    t.setColumnCount(4);
    t.setRowCount(1);
    t.setHeaderColumnCount(1);
    t.setColumnWidth(0, 50);
    t.setColumnWidth(1, 100);
    t.setColumnWidth(2, 0); // hidden: stays hidden
    t.setColumnWidth(3, 100);
    expandColumnsToFit(t, 301, false); // 51 spare: 26 and 25
    EXPECT_EQ(t.columnWidth(0), 50);
    EXPECT_EQ(t.columnWidth(1), 126);
    EXPECT_EQ(t.columnWidth(2), 0);
    EXPECT_EQ(t.columnWidth(3), 125);
    expandColumnsToFit(t, 200, true); // 101 too wide over three columns
    EXPECT_EQ(t.columnWidth(0), 16);
    EXPECT_EQ(t.columnWidth(1), 92);
    EXPECT_EQ(t.columnWidth(3), 92);
    EXPECT_EQ(t.totalColumnWidth(), 200);
}

TEST(TableSizing, MarksTakeTheirOwnRoomAndCopyAfterTheText) {
    TableLogic t;
    t.setColumnCount(2);
    t.setRowCount(2);
    t.setCellText(1, 0, "abcdefghij"); // 100 px text
    t.setCellMarks(1, 0,
                   "\xD7"
                   "2 [E]"); // 60 px marks
    t.setCellText(1, 1, "1");
    // Fitted and auto-sized alike: text, gap, marks and the padding.
    EXPECT_EQ(fittedColumnWidth(t, 0, fixedMeasure), 100 + kCellMarksGap + 60 + 16);
    autoSizeColumns(t, 1, fixedMeasure);
    EXPECT_EQ(t.columnWidth(0), 100 + kCellMarksGap + 60 + 16);
    // Sorting and type-ahead read the text alone; a copy reads what is shown.
    EXPECT_EQ(t.cellText(1, 0), "abcdefghij");
    t.selectRange(1, 0, 1, 1);
    EXPECT_EQ(selectionText(t), "abcdefghij \xD7"
                                "2 [E]\t1");
}
