#include "search/RubricRange.h"

#include "SearchTestContent.h"

#include <gtest/gtest.h>

using namespace tessalyn;
using tessalyn::testing::builtInContent;
using tessalyn::testing::kChapterLastRubric;

TEST(RubricRange, AllChaptersScanUpToTheBound) {
    const RepertoryData& data = builtInContent();
    EXPECT_EQ(rubricRange(data, kAllChapters), (RubricRange{1, 8385}));
    // A value naming no chapter scans everything rather than reading past the table.
    EXPECT_EQ(rubricRange(data, 32), (RubricRange{1, 8385}));
    EXPECT_EQ(rubricRange(data, -7), (RubricRange{1, 8385}));
}

TEST(RubricRange, ChapterRangesFollowTheChapterTable) {
    const RepertoryData& data = builtInContent();
    EXPECT_EQ(rubricRange(data, 0), (RubricRange{1, 833}));
    EXPECT_EQ(rubricRange(data, 3), (RubricRange{1454, 1523}));
    EXPECT_EQ(rubricRange(data, 31), (RubricRange{7985, 8385}));
    int total = 0;
    for (int c = 0; c < 32; ++c) {
        const RubricRange r = rubricRange(data, c);
        EXPECT_EQ(r.first, c == 0 ? 1 : kChapterLastRubric[c - 1] + 1) << "chapter " << c;
        EXPECT_EQ(r.last, kChapterLastRubric[c]) << "chapter " << c;
        total += r.size();
    }
    EXPECT_EQ(total, 8385);
}

TEST(RubricRange, EmptyChapterGivesAnEmptyRange) {
    RepertoryData data = builtInContent();
    // Chapter 5 loses its headings to chapter 4.
    data.tables().chapters[4].headingEnd = data.chapter(5).headingEnd;
    const RubricRange r = rubricRange(data, 5);
    EXPECT_TRUE(r.empty());
    EXPECT_EQ(r.size(), 0);
    EXPECT_EQ(rubricRange(data, 6).first, kChapterLastRubric[5] + 1);
}

TEST(ChapterFilterList, EmptyEntryThenTitlesAndBackToIndexes) {
    const RepertoryData& data = builtInContent();
    const auto list = chapterFilterList(data);
    ASSERT_EQ(list.size(), 33u);
    EXPECT_EQ(list[0], "");
    EXPECT_EQ(list[4], "SECTION IV : VERTIGO --- Dizziness");
    for (int c = 0; c < 32; ++c) {
        EXPECT_EQ(chapterIndexByTitle(data, list[static_cast<std::size_t>(c) + 1]), c);
    }
    EXPECT_EQ(chapterIndexByTitle(data, ""), kAllChapters);
    EXPECT_EQ(chapterIndexByTitle(data, "SECTION IV : VERTIGO"), kAllChapters);
}

TEST(TreeStructure, HeadingsAndRubricsCoverTheTablesInOrder) {
    const RepertoryData& data = builtInContent();
    int nextHeading = 0;
    int nextRubric = 0;
    for (int c = 0; c < 32; ++c) {
        const IndexRange headings = headingsOfChapter(data, c);
        EXPECT_EQ(headings.begin, nextHeading);
        for (int h = headings.begin; h < headings.end; ++h) {
            const IndexRange rubrics = rubricsOfHeading(data, h);
            EXPECT_EQ(rubrics.begin, nextRubric);
            nextRubric = rubrics.end;
        }
        nextHeading = headings.end;
    }
    EXPECT_EQ(nextHeading, 2315);
    EXPECT_EQ(nextRubric, 8385);
    EXPECT_EQ(headingsOfChapter(data, 32).end, 0);
    EXPECT_EQ(rubricsOfHeading(data, -1).end, 0);
}
