#include "CaseTestSupport.h"

#include "case/ResultTable.h"

#include <gtest/gtest.h>

#include <string>

using namespace tessalyn;
using tessalyn::test::builtIn;
using tessalyn::test::GridFixture;
using tessalyn::test::withOpposite;

namespace {

struct Filled {
    GridFixture fixture;
    EvaluationResult result;
    TableLogic table;

    Filled(const RepertoryData& data, PolarityMode mode, std::initializer_list<const char*> typed)
        : fixture(data, mode) {
        fixture.typeAll(typed);
        EXPECT_TRUE(fixture.grid->evaluate(result));
        fillResultTable(table, result);
    }
};

} // namespace

TEST(ResultTable, CounterPolarCaseHasHeadersHitsGradesAndAGreyRow) {
    const RepertoryData& data = builtIn();
    Filled f(data, PolarityMode::None, {"5", "-40"});
    const TableLogic& t = f.table;
    const int remedies = data.rubric(4).entryCount;
    ASSERT_EQ(f.result.lastScoreIndex, remedies - 1);
    EXPECT_EQ(t.columnCount(), remedies + 2);
    EXPECT_EQ(t.columnCount(), 14); // rubric 5 of the delivered content has 12 remedies
    EXPECT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.headerRowCount(), 2);
    EXPECT_EQ(t.headerColumnCount(), 2);

    EXPECT_EQ(t.rawCellText(0, 0), "");
    EXPECT_EQ(t.rawCellText(0, 1), "");
    EXPECT_EQ(t.rawCellText(1, 0), "Anzahl der Treffer");
    EXPECT_EQ(t.cellBackground(1, 0), kHitsBackground);
    EXPECT_EQ(t.rawCellText(1, 1), "");
    EXPECT_EQ(t.cellBackground(1, 1), std::nullopt);

    EXPECT_EQ(t.rawCellText(2, 0), data.symptomText(5) + " (5)");
    EXPECT_EQ(t.rawCellText(2, 1), data.locationText(4));
    EXPECT_EQ(t.rawCellText(3, 0), "- " + data.symptomText(40) + " (40)");
    EXPECT_EQ(t.rawCellText(3, 1), data.locationText(39));

    for (int c = 0; c < remedies; ++c) {
        const RemedyScore& s = f.result.scores[static_cast<std::size_t>(c)];
        EXPECT_EQ(t.rawCellText(0, c + 2), data.abbreviation(s.remedy));
        EXPECT_EQ(t.rawCellText(1, c + 2), "1");
        EXPECT_EQ(t.cellBackground(1, c + 2), kHitsBackground);
        EXPECT_EQ(t.rawCellText(2, c + 2), "1");
        EXPECT_EQ(t.cellBackground(2, c + 2), std::nullopt);
        // Grey across the whole counter-polar row, also where the cell is empty.
        EXPECT_EQ(t.cellBackground(3, c + 2), kCounterPolarBackground);
    }
    EXPECT_EQ(t.separatorRow(), 2);
    EXPECT_FALSE(t.isEditable());
    EXPECT_TRUE(t.sortByHeaderClick());
}

TEST(ResultTable, CounterPolarRowTextIsBuiltFromTheAbsoluteNumber) {
    const RepertoryData& data = builtIn();
    EXPECT_EQ(resultRowText(data, CaseEntry(-1, 0)), "- Afternoon, - In {0004} [101] (1)");
    EXPECT_EQ(resultRowText(data, CaseEntry(1, 0)), "Afternoon, - In {0004} [101] (1)");
    // A BD value leaves the number text empty.
    EXPECT_EQ(resultRowText(data, CaseEntry(-1, 2)), "- Afternoon, - In {0004} [101] ()");
}

TEST(ResultTable, GradesStandWhereTheRemedyStandsInTheRubric) {
    RepertoryData data = builtIn();
    const int first = data.rubric(0).firstEntry;
    data.tables().entryList[first] |= kEntryGrade4;
    Filled f(data, PolarityMode::None, {"1", "2"});
    const TableLogic& t = f.table;
    for (int c = 0; c <= f.result.lastScoreIndex; ++c) {
        const int remedy = f.result.scores[static_cast<std::size_t>(c)].remedy;
        for (int row = 2; row < 4; ++row) {
            std::string expected;
            for (const RemedyEntry e : data.entriesOf(row - 2)) {
                if (entryRemedy(e) == remedy) {
                    expected = std::to_string(entryGrade(e));
                }
            }
            EXPECT_EQ(t.rawCellText(row, c + 2), expected) << row << "," << c;
        }
    }
    // The remedy with grade 4 ranks first and shows it.
    EXPECT_EQ(f.result.scores[0].remedy, entryRemedy(data.entry(first)));
    EXPECT_EQ(t.rawCellText(2, 2), "4");
}

TEST(ResultTable, AppendedEntryWithABdValueHasNoGradesOrLocation) {
    const RepertoryData data = withOpposite(builtIn(), 12, 40, 2);
    Filled f(data, PolarityMode::AtEnd, {"12"});
    const TableLogic& t = f.table;
    ASSERT_EQ(t.rowCount(), 4);
    EXPECT_EQ(t.rawCellText(3, 0), "- " + data.symptomText(40) + " ()");
    EXPECT_EQ(t.rawCellText(3, 1), "");
    for (int c = 2; c < t.columnCount(); ++c) {
        EXPECT_EQ(t.rawCellText(3, c), "");
        EXPECT_EQ(t.cellBackground(3, c), kCounterPolarBackground);
    }
}

TEST(ResultTable, NoHitLeavesOnlyTheHeaderColumns) {
    Filled f(builtIn(), PolarityMode::None, {"-40"});
    EXPECT_EQ(f.result.lastScoreIndex, -1);
    EXPECT_EQ(f.table.columnCount(), 2);
    EXPECT_EQ(f.table.rowCount(), 3);
    EXPECT_EQ(f.table.rawCellText(1, 0), "Anzahl der Treffer");
}

TEST(ResultTable, ColumnScoresFollowTheColumnsWhenTheyAreSorted) {
    const RepertoryData& data = builtIn();
    Filled f(data, PolarityMode::None, {"5", "1"});
    TableLogic& t = f.table;
    const int remedies = t.columnCount() - 2;
    ASSERT_GT(remedies, 2);

    const auto scoreOf = [&](const std::string& abbreviation) {
        for (int c = 0; c <= f.result.lastScoreIndex; ++c) {
            const RemedyScore& s = f.result.scores[static_cast<std::size_t>(c)];
            if (data.abbreviation(s.remedy) == abbreviation) {
                return s;
            }
        }
        return RemedyScore{};
    };
    const auto expectColumnsMatchTheirScores = [&](const std::vector<ColumnScore>& columns) {
        for (const ColumnScore& c : columns) {
            EXPECT_EQ(c.abbreviation, t.rawCellText(0, c.column));
            EXPECT_EQ(c.hits, scoreOf(c.abbreviation).hits) << c.abbreviation;
            EXPECT_EQ(c.gradeSum, scoreOf(c.abbreviation).gradeSum) << c.abbreviation;
        }
    };

    std::vector<ColumnScore> columns = columnScores(t, f.result, data);
    ASSERT_EQ(static_cast<int>(columns.size()), remedies);
    for (int i = 0; i < remedies; ++i) {
        EXPECT_EQ(columns[static_cast<std::size_t>(i)].column, i + 2);
    }
    expectColumnsMatchTheirScores(columns);

    // The header click on the abbreviations reverses their order.
    const std::string firstBefore = columns.front().abbreviation;
    ASSERT_TRUE(t.sorting().sortColumnsByRow(0));
    columns = columnScores(t, f.result, data);
    ASSERT_EQ(static_cast<int>(columns.size()), remedies);
    EXPECT_NE(columns.front().abbreviation, firstBefore);
    expectColumnsMatchTheirScores(columns);

    // A column whose text names no scored remedy has no bar.
    t.setCellText(0, 2, "Xyz.");
    columns = columnScores(t, f.result, data);
    ASSERT_EQ(static_cast<int>(columns.size()), remedies - 1);
    EXPECT_EQ(columns.front().column, 3);
}
