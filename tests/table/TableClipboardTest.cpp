#include "table/TableClipboard.h"
#include "table/TableLogic.h"

#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::testing;

TEST(TableClipboard, CopySelectionOfRows2To3Columns2To4) {
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

TEST(TableClipboard, CutAndPasteStayInsideTheTable) {
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

TEST(TableClipboard, PasteAndCutGoThroughTheOverriddenSetCellText) {
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
