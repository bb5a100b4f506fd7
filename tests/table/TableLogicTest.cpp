#include "table/TableLogic.h"
#include "table/TableClipboard.h"
#include "table/TableSizing.h"
#include "table/TypeAhead.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;

namespace {

// Column texts of one row, left to right.
std::vector<std::string> rowTexts(const TableLogic& t, int row) {
    std::vector<std::string> out;
    for (int c = 0; c < t.columnCount(); ++c) {
        out.push_back(t.rawCellText(row, c));
    }
    return out;
}

std::vector<std::string> columnTexts(const TableLogic& t, int col) {
    std::vector<std::string> out;
    for (int r = 0; r < t.rowCount(); ++r) {
        out.push_back(t.rawCellText(r, col));
    }
    return out;
}

// A result-table shape: row 0 names, row 1 hits, rows 2.. grades; two header
// rows and two header columns.
void makeResultTable(TableLogic& t, const std::vector<std::string>& names,
                     const std::vector<std::vector<std::string>>& rows) {
    t.setColumnCount(static_cast<int>(names.size()) + 2);
    t.setRowCount(static_cast<int>(rows.size()) + 1);
    for (std::size_t c = 0; c < names.size(); ++c) {
        t.setCellText(0, static_cast<int>(c) + 2, names[c]);
    }
    for (std::size_t r = 0; r < rows.size(); ++r) {
        for (std::size_t c = 0; c < rows[r].size(); ++c) {
            t.setCellText(static_cast<int>(r) + 1, static_cast<int>(c) + 2, rows[r][c]);
        }
    }
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
    t.setSortByHeaderClick(true);
}

TextExtent fixedMeasure(std::string_view text) {
    return TextExtent{static_cast<int>(text.size()) * 10, 12};
}

} // namespace

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

TEST(TableLogic, NumericSortKeys) {
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

TEST(TableLogic, SortColumnsByRowUsesNumericKeysDescendingFirst) {
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

TEST(TableLogic, SortColumnsTwiceGivesExactReverseAndWidthsMove) {
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

TEST(TableLogic, SortColumnsRow2TiesByRow1ThenName) {
    TableLogic t;
    makeResultTable(t, {"C", "B", "A", "D"}, {{"1", "2", "2", "2"}, {"3", "3", "3", "4"}});
    t.sorting().sortColumnsByRow(2);
    EXPECT_EQ(rowTexts(t, 0), (std::vector<std::string>{"", "", "D", "A", "B", "C"}));
}

TEST(TableLogic, SortRowsRespectsSeparatorRowAndToggles) {
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

TEST(TableLogic, RowKeysMoveWithTheirRows) {
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

TEST(TableLogic, HeaderClickActions) {
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

TEST(TableLogic, SortingClearsFocusAndSelection) {
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

TEST(TableLogic, TypeAheadPauseStartsAgainAtColumnZero) {
    TableLogic t;
    t.setColumnCount(6);
    t.setRowCount(3);
    t.setHeaderRowCount(1);
    const char* names[] = {"Acon.", "Agar.", "Bell.", "Ac-ac.", "Calc.", "Bry."};
    for (int c = 0; c < 6; ++c) {
        t.setCellText(0, c, names[c]);
    }
    TypeAhead typing;
    EXPECT_EQ(typing.type(t, 'a', 1000), 0);
    EXPECT_EQ(t.focusRow(), 1);
    EXPECT_EQ(typing.type(t, 'c', 1500), 0); // "AC": Acon. from the focused column
    EXPECT_EQ(typing.text(), "ac");
    // "B" after a pause of 4 seconds starts again from column 0 with b alone.
    EXPECT_EQ(typing.type(t, 'b', 5500), 2);
    EXPECT_EQ(typing.text(), "b");
    // Dots, hyphens and blanks are ignored: "acac" finds "Ac-ac.".
    typing.type(t, 'a', 10000);
    typing.type(t, 'c', 10100);
    typing.type(t, 'a', 10200);
    EXPECT_EQ(typing.type(t, 'c', 10300), 3);
    // Nothing matches: the focus stays where it was.
    EXPECT_EQ(typing.type(t, 'x', 10400), -1);
    EXPECT_EQ(t.focusColumn(), 3);
    // Exactly 3 seconds is not yet a pause.
    typing.type(t, 'b', 20000);
    EXPECT_EQ(typing.type(t, 'r', 23000), 5);
    EXPECT_EQ(typing.text(), "br");
}

TEST(TableLogic, AutoSizeColumnsFitsHeaderRowAndFirstColumnsWithLimit) {
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

TEST(TableLogic, ExpandColumnsToFitSharesTheDifference) {
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

TEST(TableLogic, CopySelectionOfRows2To3Columns2To4) {
    TableLogic t;
    t.setColumnCount(6);
    t.setRowCount(6);
    t.setHeaderRowCount(1);
    t.setHeaderColumnCount(1);
    for (int r = 0; r < 6; ++r) {
        for (int c = 0; c < 6; ++c) {
            t.setCellText(r, c, std::to_string(r) + "," + std::to_string(c));
        }
    }
    EXPECT_EQ(selectionText(t), ""); // nothing selected
    t.selectRange(2, 2, 3, 4);
    EXPECT_EQ(selectionText(t), "2,2\t2,3\t2,4\n3,2\t3,3\t3,4");
    // Hidden columns and rows are left out.
    t.setColumnWidth(3, 0);
    EXPECT_EQ(selectionText(t), "2,2\t2,4\n3,2\t3,4");

    // Select-all takes only the non-header cells; with cell selection off it
    // selects nothing, and switching the property clears the selection.
    t.selectAll();
    EXPECT_EQ(t.selectedCount(), 25);
    EXPECT_FALSE(t.isSelected(0, 3));
    t.setCellSelection(false);
    EXPECT_EQ(t.selectedCount(), 0);
    t.selectAll();
    EXPECT_EQ(t.selectedCount(), 0);
}

TEST(TableLogic, CutAndPasteStayInsideTheTable) {
    TableLogic t;
    t.setColumnCount(3);
    t.setRowCount(3);
    t.setHeaderRowCount(1);
    t.setFocusCell(1, 1);
    EXPECT_TRUE(pasteText(t, "a\tb\tc\td\ne\tf\ng\th\r\ni\n"));
    EXPECT_EQ(rowTexts(t, 1), (std::vector<std::string>{"", "a", "b"}));
    EXPECT_EQ(rowTexts(t, 2), (std::vector<std::string>{"", "e", "f"}));
    EXPECT_EQ(t.rowCount(), 3);

    // NUL ends the text; a megabyte line is cut to a bounded cell.
    t.setFocusCell(1, 0);
    std::string withNul("x\ty", 3);
    withNul += std::string(1, '\0') + "\tzzz";
    pasteText(t, withNul);
    EXPECT_EQ(rowTexts(t, 1), (std::vector<std::string>{"x", "y", "b"}));
    std::string huge(1 << 20, 'q');
    pasteText(t, huge + "\t" + huge);
    EXPECT_LE(t.rawCellText(1, 0).size(), 4096u);
    EXPECT_EQ(t.rawCellText(1, 0).substr(0, 3), "qqq");

    // Cut copies, then empties the selected cells; not when read-only.
    t.selectRange(2, 1, 2, 2);
    EXPECT_EQ(cutSelectionText(t), "e\tf");
    EXPECT_EQ(t.rawCellText(2, 1), "");
    t.setCellText(2, 1, "keep");
    t.setEditable(false);
    t.selectRange(2, 1, 2, 1);
    EXPECT_EQ(cutSelectionText(t), "keep");
    EXPECT_EQ(t.rawCellText(2, 1), "keep");
    EXPECT_FALSE(pasteText(t, "nope"));
}

// A derived table whose setCellText changes the text (as the case grid does).
class UpperGrid : public TableLogic {
public:
    bool setCellText(int row, int col, const std::string& text) override {
        ++calls;
        return storeCellText(row, col, "<" + text + ">");
    }
    int calls = 0;
};

TEST(TableLogic, PasteAndCutGoThroughTheOverriddenSetCellText) {
    UpperGrid g;
    g.setColumnCount(2);
    g.setRowCount(3);
    g.setFocusCell(0, 0);
    pasteText(g, "1\n2");
    EXPECT_EQ(g.rawCellText(0, 0), "<1>");
    EXPECT_EQ(g.rawCellText(1, 0), "<2>");
    g.selectRange(0, 0, 0, 0);
    cutSelectionText(g);
    EXPECT_EQ(g.rawCellText(0, 0), "<>");
    EXPECT_EQ(g.calls, 3);
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
