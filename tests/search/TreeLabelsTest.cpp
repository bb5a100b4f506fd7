#include "search/TreeLabels.h"

#include "SearchTestContent.h"
#include "search/RubricRange.h"

#include <gtest/gtest.h>

using namespace tessalyn;
using tessalyn::testing::builtInContent;

TEST(TreeLabel, SymptomTextNoBreakSpaceAndNumber) {
    const RepertoryData& data = builtInContent();
    EXPECT_EQ(treeLabel(data, 0), "Afternoon, - In {0004} [101]\xA0"
                                  "1");
    EXPECT_EQ(treeLabel(data, 8385), "");
}

TEST(TreeLabel, BuildingTheTreeNumbersEveryRubricInOrder) {
    const RepertoryData& data = builtInContent();
    int items = 0;
    int expectedNumber = 1;
    std::string lastLabel;
    for (int c = 0; c < data.chapterCount(); ++c) {
        ++items;
        const IndexRange headings = headingsOfChapter(data, c);
        for (int h = headings.begin; h < headings.end; ++h) {
            ++items;
            const IndexRange rubrics = rubricsOfHeading(data, h);
            for (int r = rubrics.begin; r < rubrics.end; ++r, ++items) {
                lastLabel = treeLabel(data, r);
                const auto read = readTreeItem(lastLabel);
                ASSERT_TRUE(read.has_value());
                ASSERT_EQ(read->ref.number, expectedNumber++);
            }
            EXPECT_FALSE(readTreeItem(data.heading(h).text).has_value());
        }
        EXPECT_FALSE(readTreeItem(data.chapter(c).text).has_value());
    }
    EXPECT_EQ(items, 10732);
    EXPECT_EQ(lastLabel, data.symptomText(8385) + "\xA0"
                                                  "8385");
}

TEST(ReadTreeItem, TakesTheTextAfterTheLastNoBreakSpace) {
    EXPECT_FALSE(readTreeItem("").has_value());
    EXPECT_FALSE(readTreeItem("\xA0"
                              "12")
                     .has_value()); // marker at the start
    auto read = readTreeItem("a\xA0"
                             "b\xA0"
                             "12");
    ASSERT_TRUE(read.has_value());
    EXPECT_EQ(read->ref, (SymptomRef{12, 0}));
    EXPECT_TRUE(read->valid);
    read = readTreeItem("x\xA0"
                        "9000");
    ASSERT_TRUE(read.has_value());
    EXPECT_FALSE(read->valid);
    EXPECT_EQ(read->ref.number, 9000);
}

TEST(TreeCaption, AncestorsEachFollowedByABlank) {
    EXPECT_EQ(treeCaption({}), "Symptomsuche");
    EXPECT_EQ(treeCaption({"SECTION IV : VERTIGO --- Dizziness"}),
              "Symptomsuche - SECTION IV : VERTIGO --- Dizziness ");
    EXPECT_EQ(treeCaption({"SECTION IV : VERTIGO --- Dizziness", "Vertigo -- Morning"}),
              "Symptomsuche - SECTION IV : VERTIGO --- Dizziness Vertigo -- Morning ");
}
