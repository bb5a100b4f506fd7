#include "table/TypeAhead.h"
#include "table/TableLogic.h"

#include "table/TableTestSupport.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::testing;

TEST(TypeAhead, TypeAheadPauseStartsAgainAtColumnZero) {
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
