#pragma once

// The table shape both table benchmarks measure: the largest result table,
// remedy names in row 0, hit counts in row 1, rubric texts in the two header
// columns and grades (some empty) at the crossings.
#include "table/TableLogic.h"

#include <cstdio>
#include <string>

namespace tessalyn::bench {

inline constexpr int kResultRows = 3002;
inline constexpr int kResultColumns = 360;

// Fills `t` cell by cell through setCellText. With `greyRows` every eleventh
// row gets the counter-polarity grey, as the result view gives such rows.
inline void fillLargeResultTable(TableLogic& t, bool greyRows) {
    t.setColumnCount(kResultColumns);
    t.setRowCount(kResultRows);
    char buffer[96];
    for (int c = 2; c < kResultColumns; ++c) {
        std::snprintf(buffer, sizeof buffer, "Rem%d.", c);
        t.setCellText(0, c, buffer);
        std::snprintf(buffer, sizeof buffer, "%d", (c * 7919) % 3000);
        t.setCellText(1, c, buffer);
    }
    for (int r = 2; r < kResultRows; ++r) {
        std::snprintf(buffer, sizeof buffer, "Rubric text of the symptom number %d [%d] (%d)", r,
                      r % 300, r);
        t.setCellText(r, 0, buffer);
        t.setCellText(r, 1, "Gem\xFCt Angst, Furcht");
        for (int c = 2; c < kResultColumns; ++c) {
            const int grade = (r * 31 + c * 17) % 7;
            const char g[2] = {static_cast<char>('1' + grade), '\0'};
            t.setCellText(r, c, grade < 5 ? std::string(g) : std::string());
            if (greyRows && r % 11 == 0) {
                t.setCellBackground(r, c, Rgb{230, 230, 230});
            }
        }
    }
    t.setHeaderRowCount(2);
    t.setHeaderColumnCount(2);
}

} // namespace tessalyn::bench
