#include "data/RepertoryData.h"
#include "TestContent.h"

#include <gtest/gtest.h>

using namespace tessalyn;
using tessalyn::test::builtIn;

TEST(RemedyEntryBits, GradePrecedenceAndFlags) {
    EXPECT_EQ(entryGrade(0), 1);
    EXPECT_EQ(entryGrade(kEntryGrade2), 2);
    EXPECT_EQ(entryGrade(kEntryGrade5 | kEntryGrade4), 5);
    EXPECT_EQ(entryGrade(kEntryGrade3 | kEntryGrade2), 3);
    EXPECT_EQ(entryGrade(kEntryGrade4 | kEntryGrade3), 4);
    EXPECT_EQ(entryRemedy(357 | kEntryBdMark | kEntryGrade5), 357);
    EXPECT_TRUE(entryHasBdMark(12 | kEntryBdMark));
    EXPECT_FALSE(entryHasBdMark(12 | kEntryGrade2));
}

TEST(RemedyEntryBits, GradeFilterTestsEachFlagOnItsOwn) {
    GradeSelection onlyGrade4;
    onlyGrade4.grade[0] = false;
    onlyGrade4.grade[3] = true;
    // Grade 5 wins the precedence, but the grade-4 flag still passes a grade-4 filter.
    EXPECT_TRUE(passesGradeFilter(kEntryGrade5 | kEntryGrade4, onlyGrade4));
    EXPECT_FALSE(passesGradeFilter(kEntryGrade5, onlyGrade4));
    EXPECT_FALSE(passesGradeFilter(0, onlyGrade4));

    GradeSelection gradeOne; // grade 1 only, BD ignored
    EXPECT_TRUE(passesGradeFilter(7, gradeOne));
    EXPECT_TRUE(passesGradeFilter(7 | kEntryBdMark, gradeOne));
    EXPECT_FALSE(passesGradeFilter(7 | kEntryGrade2, gradeOne));

    GradeSelection bdOnly;
    bdOnly.ignoreBd = false;
    bdOnly.bdWanted = true;
    EXPECT_FALSE(passesGradeFilter(7, bdOnly));
    EXPECT_TRUE(passesGradeFilter(7 | kEntryBdMark, bdOnly));
}

TEST(SymptomRefs, ValidityAndRubricIndex) {
    EXPECT_TRUE((SymptomRef{12, 0}).isValid());
    EXPECT_TRUE((SymptomRef{-8385, 0}).isValid());
    EXPECT_FALSE((SymptomRef{0, 0}).isValid());
    EXPECT_FALSE((SymptomRef{8386, 0}).isValid());
    EXPECT_FALSE((SymptomRef{12, 1}).isValid());
    EXPECT_EQ(rubricIndexOf(12, 0), 11);
    EXPECT_EQ(rubricIndexOf(-12, 0), 11);
    EXPECT_EQ(rubricIndexOf(12, 3), -1);
    EXPECT_EQ(rubricIndexOf(0, 0), -1);
    EXPECT_EQ(rubricIndexOf(9000, 0), -1);
    EXPECT_EQ(numberText(12, 0), "12");
    EXPECT_EQ(numberText(-40, 0), "-40");
    EXPECT_EQ(numberText(12, 2), "");
}

TEST(DerivedTexts, SymptomAndLocationOfPositiveAndNegativeNumbers) {
    const RepertoryData& d = builtIn();
    EXPECT_EQ(d.symptomText(1), "Afternoon, - In {0004} [101]");
    EXPECT_EQ(d.symptomText(-1), d.symptomText(1));
    EXPECT_EQ(d.symptomText(0), "");
    EXPECT_EQ(d.symptomText(8386), "");
    EXPECT_EQ(d.symptomText(-8386), "");
    const std::string location = d.locationText(0);
    EXPECT_EQ(location.rfind(d.chapter(0).text, 0), 0u) << location;
    EXPECT_EQ(location,
              std::string(d.chapter(0).text) + " " + d.heading(d.headingOfRubric(0)).text);
    EXPECT_EQ(d.locationText(-1), "");
    EXPECT_EQ(d.locationText(kRubricCount), "");
}

TEST(DerivedTexts, RemedyListBreaksAfterEveryFifthButTheLast) {
    RepertoryData d = builtIn();
    Rubric& r = d.tables().rubrics[0];
    r.entryCount = 5;
    EXPECT_EQ(d.remedyListText(0), "Acon.       Aesc.       Agar.       Alet.       Aloe.       ");
    r.entryCount = 6;
    EXPECT_EQ(d.remedyListText(0),
              "Acon.       Aesc.       Agar.       Alet.       Aloe.       \r\nAlum.       ");
    r.entryCount = 10;
    const std::string ten = d.remedyListText(0);
    EXPECT_EQ(ten.size(), 10u * 12 + 2); // one break only: none after the last
    EXPECT_EQ(d.remedyListText(-1), "");
}

TEST(Lookups, ChapterAndHeadingBoundaries) {
    const RepertoryData& d = builtIn();
    EXPECT_EQ(d.chapterOfHeading(0), 0);
    EXPECT_EQ(d.chapterOfHeading(228), 0);
    EXPECT_EQ(d.chapterOfHeading(229), 1);
    EXPECT_EQ(d.chapterOfHeading(2314), 31);
    EXPECT_EQ(d.chapterOfHeading(2315), -1);
    EXPECT_EQ(d.chapterOfHeading(-1), -1);
    EXPECT_EQ(d.headingOfRubric(kRubricCount), -1);
    EXPECT_EQ(d.headingOfRubric(-5), -1);
    EXPECT_EQ(d.chapterTitleOfHeading(2315), "");
    // A heading without rubrics is never the heading of a rubric.
    for (int h = 0; h < kHeadingCount; ++h) {
        const int begin = h == 0 ? 0 : d.heading(h - 1).rubricEnd;
        for (int r = begin; r < d.heading(h).rubricEnd; ++r) {
            ASSERT_EQ(d.headingOfRubric(r), h) << "rubric index " << r;
        }
    }
}
