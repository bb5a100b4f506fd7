#include "table/TableSort.h"
#include "table/TableLogic.h"

#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::testing;

TEST(TableSort, NumericSortKeys) {
    EXPECT_EQ(numericSortKey("12"), "0000012");
    EXPECT_EQ(numericSortKey("5"), "0000005");
    EXPECT_EQ(numericSortKey(""), "");
    EXPECT_EQ(numericSortKey("-1"), "-0999999");
    EXPECT_EQ(numericSortKey("-5"), "-0999995");
    EXPECT_EQ(numericSortKey("Acon."), "Acon.");
    EXPECT_EQ(numericSortKey("0"), "0");
    EXPECT_EQ(numericSortKey("12 BD 3"), "0000012");
    // Absurd numbers neither overflow nor crash.
    EXPECT_FALSE(numericSortKey("99999999999999999999999").empty());
    EXPECT_FALSE(numericSortKey("-99999999999999999999999").empty());

    TableLogic t;
    t.setRowCount(1);
    t.setColumnCount(1);
    t.setCellText(0, 0, "7");
    t.setNumericSortKeys(true);
    EXPECT_EQ(t.cellText(0, 0), "0000007");
    EXPECT_EQ(t.rawCellText(0, 0), "7");
}

TEST(TableSort, SortColumnsByRowUsesNumericKeysDescendingFirst) {
    // 5, 12 and an empty cell sort 12, 5, empty; -1 and -5 come below every
    // positive number, -1 first.
    TableLogic t;
    makeResultTable(t, {"A", "B", "C", "D", "E"}, {{"", ""}, {"5", "12", "", "-5", "-1"}});
    ASSERT_TRUE(t.sorting().sortColumnsByRow(2));
    EXPECT_EQ(rowTexts(t, 2), (std::vector<std::string>{"", "", "12", "5", "-1", "-5", ""}));
    EXPECT_EQ(rowTexts(t, 0), (std::vector<std::string>{"", "", "B", "A", "E", "D", "C"}));
    EXPECT_FALSE(t.numericSortKeys()); // only on for the sort
    EXPECT_EQ(t.sorting().columnSortRow(), 2);
    EXPECT_FALSE(t.sorting().columnSortAscending());
}

TEST(TableSort, SortColumnsTwiceGivesExactReverseAndWidthsMove) {
    TableLogic t;
    makeResultTable(t, {"Acon.", "Bell.", "Calc.", "Dros.", "Ars.", "Bry."},
                    {{"3", "3", "2", "1", "3", "2"},
                     {"1", "2", "2", "", "1", "3"},
                     {"2", "1", "", "1", "2", "3"}});
    for (int c = 2; c < t.columnCount(); ++c) {
        t.setColumnWidth(c, 100 + c);
    }
    // Row 1 (hits): ties by row 2, then by name ascending.
    t.sorting().sortColumnsByRow(1);
    const std::vector<std::string> first = rowTexts(t, 0);
    EXPECT_EQ(first, (std::vector<std::string>{"", "", "Bell.", "Acon.", "Ars.", "Bry.", "Calc.",
                                               "Dros."}));
    t.sorting().sortColumnsByRow(1);
    std::vector<std::string> second = rowTexts(t, 0);
    std::vector<std::string> expected(first.rbegin(), first.rend() - 2);
    expected.insert(expected.begin(), {"", ""});
    EXPECT_EQ(second, expected);
    EXPECT_TRUE(t.sorting().columnSortAscending());
    // Every cell and the width travelled with its column.
    for (int c = 2; c < t.columnCount(); ++c) {
        const std::string name = t.rawCellText(0, c);
        if (name == "Dros.") {
            EXPECT_EQ(t.rawCellText(2, c), "");
            EXPECT_EQ(t.rawCellText(3, c), "1");
            EXPECT_EQ(t.columnWidth(c), 105);
        }
    }
    // Another row starts descending again.
    t.sorting().sortColumnsByRow(3);
    EXPECT_FALSE(t.sorting().columnSortAscending());
    EXPECT_EQ(rowTexts(t, 0), (std::vector<std::string>{"", "", "Bry.", "Acon.", "Ars.", "Bell.",
                                                        "Dros.", "Calc."}));
}

TEST(TableSort, SortColumnsRow2TiesByRow1ThenName) {
    TableLogic t;
    makeResultTable(t, {"C", "B", "A", "D"}, {{"1", "2", "2", "2"}, {"3", "3", "3", "4"}});
    t.sorting().sortColumnsByRow(2);
    EXPECT_EQ(rowTexts(t, 0), (std::vector<std::string>{"", "", "D", "A", "B", "C"}));
}

TEST(TableSort, SortRowsRespectsSeparatorRowAndToggles) {
    TableLogic t;
    t.setColumnCount(3);
    t.setRowCount(9);
    t.setHeaderRowCount(2);
    const char* texts[] = {"h0", "h1", "b", "d", "a", "c", "z", "y", "x"};
    for (int r = 0; r < 9; ++r) {
        t.setCellText(r, 2, texts[r]);
        t.setCellText(r, 0, std::to_string(r));
        t.setRowHeight(r, 10 + r);
    }
    t.setSeparatorRow(5);
    t.setSortByHeaderClick(true);
    EXPECT_EQ(t.sorting().headerClickAction(0, 2), HeaderClickAction::SortRows);
    ASSERT_TRUE(t.sorting().headerClick(0, 2));
    EXPECT_EQ(columnTexts(t, 2),
              (std::vector<std::string>{"h0", "h1", "d", "c", "b", "a", "z", "y", "x"}));
    EXPECT_EQ(t.rawCellText(2, 0), "3"); // whole rows move, heights too
    EXPECT_EQ(t.rowHeight(2), 13);
    t.sorting().headerClick(0, 2);
    EXPECT_EQ(columnTexts(t, 2),
              (std::vector<std::string>{"h0", "h1", "a", "b", "c", "d", "z", "y", "x"}));
    // A separator row that does not exist: all rows below the header.
    t.setSeparatorRow(40);
    t.sorting().sortRowsByColumn(0);
    EXPECT_EQ(columnTexts(t, 2),
              (std::vector<std::string>{"h0", "h1", "x", "y", "z", "c", "a", "d", "b"}));
}

TEST(TableSort, RowKeysMoveWithTheirRows) {
    TableLogic t;
    t.setColumnCount(1);
    t.setRowCount(5);
    t.setHeaderRowCount(1);
    const char* texts[] = {"h", "b", "d", "a", "c"};
    for (int r = 0; r < 5; ++r) {
        t.setCellText(r, 0, texts[r]);
        EXPECT_EQ(t.rowKey(r), -1);
        t.setRowKey(r, 10 * r);
    }
    t.sorting().sortRowsByColumn(0); // descending: d c b a
    EXPECT_EQ(columnTexts(t, 0), (std::vector<std::string>{"h", "d", "c", "b", "a"}));
    EXPECT_EQ(t.rowKey(1), 20);
    EXPECT_EQ(t.rowKey(2), 40);
    EXPECT_EQ(t.rowKey(4), 30);
    EXPECT_EQ(t.rowWithKey(10), 3);
    t.insertRow("n", 2);
    EXPECT_EQ(t.rowKey(2), -1);
    EXPECT_EQ(t.rowWithKey(10), 4);
    t.deleteRow(1);
    EXPECT_EQ(t.rowWithKey(20), -1);
    EXPECT_EQ(t.rowKey(1), -1);
    EXPECT_EQ(t.rowKey(2), 40);
    EXPECT_FALSE(t.setRowKey(9, 1));
    EXPECT_EQ(t.rowKey(-1), -1);
    t.setRowCount(2);
    t.setRowCount(4);
    EXPECT_EQ(t.rowKey(1), -1);
    EXPECT_EQ(t.rowKey(3), -1);
    t.clear();
    EXPECT_EQ(t.rowWithKey(0), -1);
}

TEST(TableSort, HeaderClickActions) {
    TableLogic t;
    makeResultTable(t, {"A", "B"}, {{"1", "2"}, {"1", ""}, {"", "3"}});
    EXPECT_EQ(t.sorting().headerClickAction(0, 3),
              HeaderClickAction::SortRows); // row 0: rows by column
    EXPECT_EQ(t.sorting().headerClickAction(1, 3),
              HeaderClickAction::SortColumns); // row 1: columns by row 1
    EXPECT_EQ(t.sorting().headerClickAction(3, 0),
              HeaderClickAction::SortColumns); // header column of a rubric row
    EXPECT_EQ(t.sorting().headerClickAction(3, 3), HeaderClickAction::None); // a normal cell
    // Header rows below row 3 sort the columns only from their header-column cells.
    t.setRowCount(8);
    t.setHeaderRowCount(5);
    EXPECT_EQ(t.sorting().headerClickAction(3, 3), HeaderClickAction::SortColumns);
    EXPECT_EQ(t.sorting().headerClickAction(4, 3), HeaderClickAction::None);
    EXPECT_EQ(t.sorting().headerClickAction(4, 1), HeaderClickAction::SortColumns);
    t.setSortByHeaderClick(false);
    EXPECT_EQ(t.sorting().headerClickAction(0, 3), HeaderClickAction::None);
}

TEST(TableSort, SortingClearsFocusAndSelection) {
    TableLogic t;
    makeResultTable(t, {"A", "B", "C"}, {{"1", "2", "3"}, {"1", "1", "1"}});
    t.setFocusCell(2, 3);
    t.selectAll();
    ASSERT_GT(t.selectedCount(), 0);
    t.sorting().sortColumnsByRow(1);
    EXPECT_EQ(t.focusRow(), -1);
    EXPECT_EQ(t.selectedCount(), 0);
    EXPECT_EQ(t.cellState(2, 3) & CellFocused, 0);
}
