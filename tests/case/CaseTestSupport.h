#pragma once

#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/NumberText.h"
#include "data/ContentLoader.h"
#include "data/TestContent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

namespace tessalyn::test {

// A copy of the built-in content in which rubric `number` has a counter-polarity.
inline RepertoryData withOpposite(const RepertoryData& base, int number, int opposite,
                                  int oppositeBd = 0) {
    RepertoryData d = base;
    d.tables().rubrics[number - 1].oppositeNumber = opposite;
    d.tables().rubrics[number - 1].oppositeBd = oppositeBd;
    return d;
}

// Where the grid's rows and the case disagree, in words; empty when every
// entry row shows its entry: the number column's first rubric is the entry's
// number and BD value, its further valid rubrics the "+" chain, the symptom
// column the entry's text and marks; the grid has one row (the header) more than the
// case has entries, and no slot beyond them holds anything.
inline std::string gridCaseMismatch(const CaseGrid& grid) {
    const Case& c = grid.theCase();
    if (grid.rowCount() != c.count() + 1) {
        return std::to_string(grid.rowCount()) + " grid rows for " + std::to_string(c.count()) +
               " entries";
    }
    for (int i = 0; i < c.count(); ++i) {
        const CaseEntry& entry = c.entry(i);
        const std::string at = "row " + std::to_string(i + 1) + ": ";
        std::string_view rest = grid.rawCellText(i + 1, 0);
        const CaseEntry* link = &entry;
        for (bool first = true;; first = false) {
            const std::size_t plus = rest.find('+');
            const ParsedNumber parsed = parseNumberText(rest.substr(0, plus));
            std::int32_t number = parsed.ref.number;
            if (number < -kRubricCount || number > kRubricCount) {
                number = 0;
            }
            if (first) {
                if (number != entry.number || parsed.ref.bd != entry.bd) {
                    return at + "text \"" + grid.rawCellText(i + 1, 0) + "\" for entry " +
                           std::to_string(entry.number) + " BD " + std::to_string(entry.bd);
                }
            } else if (number != 0) {
                link = link->next.get();
                if (link == nullptr || link->number != number) {
                    return at + "the + chain differs from \"" + grid.rawCellText(i + 1, 0) + "\"";
                }
            }
            if (plus == std::string_view::npos) {
                break;
            }
            rest.remove_prefix(plus + 1);
        }
        if (link->next) {
            return at + "the + chain is longer than \"" + grid.rawCellText(i + 1, 0) + "\"";
        }
        const bool shown = rubricIndexOf(entry.number, entry.bd) >= 0;
        const std::string symptom = shown ? grid.data().symptomText(entry.number) : std::string();
        if (grid.rawCellText(i + 1, 1) != symptom) {
            return at + "symptom text \"" + grid.rawCellText(i + 1, 1) + "\"";
        }
        if (grid.cellMarks(i + 1, 1) != (shown ? entryMarksText(entry) : std::string())) {
            return at + "marks \"" + grid.cellMarks(i + 1, 1) + "\"";
        }
    }
    for (int i = c.count(); i < kCaseSlotCount; ++i) {
        const CaseEntry& e = c.entry(i);
        if (e.number != 0 || e.bd != 0 || e.autoAdded || e.next) {
            return "slot " + std::to_string(i) + " beyond the case is in use";
        }
    }
    return std::string();
}

// A case with its grid, initialised as the main window does it.
struct GridFixture {
    explicit GridFixture(const RepertoryData& data, PolarityMode mode = PolarityMode::AtEnd)
        : grid(std::make_unique<CaseGrid>(data, theCase)) {
        grid->initialise();
        grid->setPolarityMode(mode);
    }

    // Typing into the last row: the input row, or the last symptom of a full list.
    void type(const std::string& text) { grid->setCellText(theCase.count(), 0, text); }
    void typeAll(std::initializer_list<const char*> texts) {
        for (const char* t : texts) {
            type(t);
        }
    }
    std::string text(int row, int col = 0) const { return grid->rawCellText(row, col); }
    std::int32_t number(int entry) const { return theCase.entry(entry).number; }

    Case theCase;
    std::unique_ptr<CaseGrid> grid;
};

} // namespace tessalyn::test
