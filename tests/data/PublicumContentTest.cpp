#include "support/PublicumContent.h"
#include "data/Cp1252.h"

#include <gtest/gtest.h>

#include <array>
#include <cstring>

using namespace tessalyn;

// The Repertorium Publicum content as the program's own loader reads it: the
// figures of its source (41 chapters, 74,487 rubrics, 735,556 entries, 694
// remedy names, grades 1/2/3: 465,380 / 198,498 / 71,678) less what
// tools/gen_publicum.py mended: a path written a second time with a separator
// after its last level (one rubric, 3 entries), 27 remedies named twice in
// one list, "NAT-M (4)" read as Nat-m, 51 entries in capitals among grade 2.
TEST(PublicumContent, LoadsWithTheFiguresOfItsSource) {
    TESSALYN_PUBLICUM_CONTENT_OR_SKIP(data);
    EXPECT_EQ(data.chapterCount(), 41);
    EXPECT_EQ(data.headingCount(), 5029 + 41); // second-level names, bare chapter rubrics
    EXPECT_EQ(data.rubricCount(), 74486);
    EXPECT_EQ(data.remedyCount(), 693);

    std::array<long, 6> grades{};
    for (int i = 0; i < data.rubricCount(); ++i) {
        for (const RemedyEntry e : data.entriesOf(i)) {
            ++grades[static_cast<std::size_t>(entryGrade(e))];
        }
    }
    EXPECT_EQ(grades, (std::array<long, 6>{0, 465356, 198544, 71626, 0, 0}));
    EXPECT_EQ(grades[1] + grades[2] + grades[3], 735526);
}

TEST(PublicumContent, EachChapterBeginsWithItsBareRubricUnderAHeadingOfItsOwn) {
    TESSALYN_PUBLICUM_CONTENT_OR_SKIP(data);
    for (int c = 0; c < data.chapterCount(); ++c) {
        const int heading = c == 0 ? 0 : data.chapter(c - 1).headingEnd;
        const int rubric = heading == 0 ? 0 : data.heading(heading - 1).rubricEnd;
        const std::string title = data.rubric(rubric).text;
        EXPECT_EQ(data.heading(heading).text, title);
        EXPECT_EQ(data.heading(heading).rubricEnd, rubric + 1) << title;
        EXPECT_EQ(data.chapter(c).text, cp1252ToUpper(title));
        EXPECT_EQ(data.locationText(rubric), cp1252ToUpper(title) + " " + title);
    }
}
