#include "table/TableLogic.h"

#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::testing;

TEST(TableLogic, OutOfRangeAccessIsRefusedAndChangesNothing) {
    TableLogic t;
    t.setRowCount(3);
    t.setColumnCount(2);
    EXPECT_FALSE(t.setCellText(3, 0, "x"));
    EXPECT_FALSE(t.setCellText(0, 2, "x"));
    EXPECT_FALSE(t.setCellText(-1, 0, "x"));
    EXPECT_EQ(t.cellText(5, 5), "");
    EXPECT_EQ(t.cellText(-1, -1), "");
    EXPECT_FALSE(t.setCellBackground(9, 0, Rgb{1, 2, 3}));
    EXPECT_FALSE(t.setColumnWidth(2, 10));
    EXPECT_FALSE(t.setColumnWidth(0, -1));
    EXPECT_FALSE(t.setRowHeight(0, -5));
    EXPECT_FALSE(t.setRowCount(-1));
    EXPECT_EQ(t.rowCount(), 3);
    EXPECT_EQ(t.columnWidth(0), t.defaultColumnWidth());
    EXPECT_TRUE(t.setColumnWidth(1, 0));
    EXPECT_EQ(t.columnWidth(1), 0);

    EXPECT_TRUE(t.setCellText(2, 1, "z"));
    EXPECT_EQ(t.cellState(2, 1) & CellModified, CellModified);
    t.setRowCount(2); // shrinking drops the cell, growing brings an empty one
    t.setRowCount(3);
    EXPECT_EQ(t.cellText(2, 1), "");
}

TEST(TableLogic, CellAttributesAndTips) {
    TableLogic t;
    t.setRowCount(2);
    t.setColumnCount(2);
    t.setCellText(1, 1, "Acon.");
    EXPECT_EQ(t.cellTip(1, 1), "Acon.");
    t.setCellTip(1, 1, std::string("Aconitum"));
    EXPECT_EQ(t.cellTip(1, 1), "Aconitum");
    t.setCellTip(1, 1, std::nullopt);
    EXPECT_EQ(t.cellTip(1, 1), "Acon.");

    EXPECT_FALSE(t.cellBackground(1, 1).has_value());
    t.setCellBackground(1, 1, Rgb{230, 230, 230});
    EXPECT_EQ(t.cellBackground(1, 1), (Rgb{230, 230, 230}));
    t.setCellBackground(1, 1, std::nullopt);
    EXPECT_FALSE(t.cellBackground(1, 1).has_value());
    t.setCellTextColour(0, 0, Rgb{255, 0, 0});
    EXPECT_EQ(t.cellTextColour(0, 0), (Rgb{255, 0, 0}));
}

TEST(TableLogic, FocusIsRaisedOutOfTheHeaderAndCaptionSuffix) {
    TableLogic t;
    t.setColumnCount(12);
    t.setRowCount(5);
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
    EXPECT_TRUE(t.setFocusCell(0, 0));
    EXPECT_EQ(t.focusRow(), 2);
    EXPECT_EQ(t.focusColumn(), 2);
    EXPECT_EQ(t.captionSuffix(), " 2/11");
    t.setCaption("Ergebnis der Auswertung");
    EXPECT_EQ(t.captionWithSuffix(), "Ergebnis der Auswertung 2/11");
    EXPECT_FALSE(t.setFocusCell(5, 3));
    EXPECT_EQ(t.focusRow(), 2);
    t.setFocusCell(-1, -1);
    EXPECT_EQ(t.captionSuffix(), "");
    // A header count that swallows the focus clears it.
    t.setFocusCell(2, 4);
    t.setHeaderRowCount(3);
    EXPECT_EQ(t.focusRow(), -1);
    // Growing the header beyond the table grows the table.
    t.setHeaderColumnCount(14);
    EXPECT_EQ(t.columnCount(), 14);
}

TEST(TableLogic, InsertRowClearAndObserver) {
    struct Counter : TableObserver {
        int cells = 0, structure = 0, focus = 0;
        void cellsChanged(int, int, int, int) override { ++cells; }
        void structureChanged() override { ++structure; }
        void focusChanged(int, int) override { ++focus; }
    } counter;
    TableLogic t;
    t.addObserver(&counter);
    EXPECT_EQ(t.insertRow("first"), 0); // a table without columns gets one
    EXPECT_EQ(t.columnCount(), 1);
    t.setColumnCount(2);
    t.insertRow("last", -1);
    t.setFocusCell(1, 1);
    EXPECT_EQ(t.insertRow("middle", 1), 1);
    EXPECT_EQ(columnTexts(t, 0), (std::vector<std::string>{"first", "middle", "last"}));
    EXPECT_EQ(t.focusRow(), 2); // the focus stays on its cell
    EXPECT_EQ(t.insertRow("end", 99), 3);
    t.setCellText(0, 1, "x");
    EXPECT_GE(counter.cells, 1);
    EXPECT_GE(counter.structure, 4);
    EXPECT_GE(counter.focus, 2);
    t.clear();
    EXPECT_EQ(t.rowCount(), 0);
    EXPECT_EQ(t.columnCount(), 0);
    EXPECT_EQ(t.focusRow(), -1);
    t.removeObserver(&counter);
}

TEST(TableLogic, KeyboardMovesPassHiddenRowsAndColumnsAndStopAtTheEdges) {
    TableLogic t;
    t.setRowCount(8);
    t.setColumnCount(5);
    t.setHeaderRowCount(1);
    t.setHeaderColumnCount(1);
    t.setRowHeight(3, 0);
    t.setRowHeight(4, 0);
    t.setColumnWidth(2, 0);
    t.setRowHeight(7, 0);
    const auto rows = Orientation::Rows;
    const auto cols = Orientation::Columns;
    // Arrow keys step over hidden ones.
    EXPECT_EQ(t.nextShown(rows, 2, 1), 5);
    EXPECT_EQ(t.nextShown(rows, 5, -1), 2);
    EXPECT_EQ(t.nextShown(cols, 1, 1), 3);
    // Never into the header, and the last row is hidden: the edges hold.
    EXPECT_EQ(t.nextShown(rows, 1, -1), 1);
    EXPECT_EQ(t.nextShown(rows, 6, 1), 6);
    EXPECT_EQ(t.nextShown(cols, 4, 1), 4);
    // Pages count shown rows only and stop at the last one.
    EXPECT_EQ(t.nextShown(rows, 1, 3), 6);
    EXPECT_EQ(t.nextShown(rows, 1, 20), 6);
    EXPECT_EQ(t.nextShown(rows, 6, -20), 1);
    // Home and End start just outside the table.
    EXPECT_EQ(t.nextShown(rows, 0, 1), 1);
    EXPECT_EQ(t.nextShown(rows, t.rowCount(), -1), 6);
    EXPECT_EQ(t.nextShown(cols, t.columnCount(), -1), 4);
    // A table without data rows stays on the first index after the header.
    TableLogic headerOnly;
    headerOnly.setRowCount(2);
    headerOnly.setHeaderRowCount(2);
    EXPECT_EQ(headerOnly.nextShown(rows, 2, -1), 2);
}
