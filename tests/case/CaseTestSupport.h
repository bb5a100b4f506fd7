#pragma once

#include "case/Case.h"
#include "case/CaseGrid.h"
#include "data/ContentLoader.h"
#include "data/TestContent.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tessalyn::test {


// A copy of the built-in content in which rubric `number` has a counter-polarity.
inline RepertoryData withOpposite(const RepertoryData& base, int number, int opposite,
                                  int oppositeBd = 0) {
    RepertoryData d = base;
    d.tables().rubrics[number - 1].oppositeNumber = opposite;
    d.tables().rubrics[number - 1].oppositeBd = oppositeBd;
    return d;
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
