#include "search/RemedySearch.h"

#include "SearchTestContent.h"

#include <gtest/gtest.h>

#include <cstdio>

using namespace tessalyn;
using tessalyn::testing::builtInContent;

namespace {

std::vector<int> numbers(const RemedySearch& search) {
    std::vector<int> out;
    for (const RemedyRow& row : search.rows()) {
        out.push_back(row.number);
    }
    return out;
}

// Symptom numbers of the rubrics that list a remedy, counted straight from the tables.
std::vector<int> rubricsWith(const RepertoryData& data, int remedy, int minSize = 0,
                             int maxSize = 1000) {
    std::vector<int> out;
    for (int i = 0; i < data.rubricCount(); ++i) {
        const int size = data.rubric(i).entryCount;
        if (size < minSize || size > maxSize) {
            continue;
        }
        for (RemedyEntry e : data.entriesOf(i)) {
            if (entryRemedy(e) == remedy) {
                out.push_back(i + 1);
            }
        }
    }
    return out;
}

// First rubric index with exactly `size` entries.
int rubricOfSize(const RepertoryData& data, int size) {
    for (int i = 0; i < data.rubricCount(); ++i) {
        if (data.rubric(i).entryCount == size) {
            return i;
        }
    }
    return -1;
}

} // namespace

TEST(RemedyText, CompletedAndMatchedIgnoringCase) {
    const RepertoryData& data = builtInContent();
    EXPECT_EQ(completeRemedyText("acon"), "acon.");
    EXPECT_EQ(completeRemedyText("Acon."), "Acon.");
    EXPECT_EQ(completeRemedyText(""), "");
    EXPECT_EQ(remedyIndexByText(data, "acon."), 0);
    EXPECT_EQ(remedyIndexByText(data, "AM-C."), 7);
    EXPECT_EQ(remedyIndexByText(data, "Rhus-a."), 357);
    EXPECT_EQ(remedyIndexByText(data, "acon"), kNoRemedy);
    EXPECT_EQ(remedyIndexByText(data, ""), kNoRemedy);
}

TEST(RemedySearch, FindsEveryRubricOfTheRemedyWithCaption) {
    const RepertoryData& data = builtInContent();
    RemedySearch search(data);
    search.remedyText = "acon";
    search.run();
    EXPECT_EQ(search.remedyIndex(), 0);
    EXPECT_EQ(search.searchedText(), "acon.");
    const std::vector<int> expected = rubricsWith(data, 0);
    EXPECT_EQ(numbers(search), expected);
    EXPECT_EQ(search.caption(), "Mittel\xFC"
                                "bersicht: acon., gefundene Symptome: " +
                                    std::to_string(expected.size()));
    EXPECT_EQ(search.columnCount(), 3);
    ASSERT_FALSE(search.rows().empty());
    const RemedyRow& first = search.rows().front();
    EXPECT_EQ(first.numberText, "1 ");
    EXPECT_EQ(first.symptomText, "Afternoon, - In {0004} [101]");
    EXPECT_EQ(first.locationText, data.locationText(0));
    EXPECT_EQ(first.otherRemedies, "");
}

TEST(RemedySearch, UnknownRemedyFindsNothing) {
    RemedySearch search(builtInContent());
    search.remedyText = "Nosuch";
    search.run();
    EXPECT_EQ(search.remedyIndex(), kNoRemedy);
    EXPECT_TRUE(search.rows().empty());
    EXPECT_EQ(search.caption(), "Mittel\xFC"
                                "bersicht: Nosuch., gefundene Symptome: 0");
}

TEST(RemedySearch, SizeFilterBoundsAreInclusive) {
    const RepertoryData& data = builtInContent();
    const int of30 = rubricOfSize(data, 30);
    const int of31 = rubricOfSize(data, 31);
    ASSERT_GE(of30, 0);
    ASSERT_GE(of31, 0);
    RemedySearch search(data);
    search.sizeFilter = {true, 1, 30};
    for (int rubric : {of30, of31}) {
        const int remedy = entryRemedy(data.entriesOf(rubric)[0]);
        search.remedyText = data.abbreviation(remedy);
        search.run();
        EXPECT_EQ(numbers(search), rubricsWith(data, remedy, 1, 30));
        const auto found = numbers(search);
        EXPECT_EQ(std::find(found.begin(), found.end(), rubric + 1) != found.end(), rubric == of30);
    }
}

TEST(RemedySearch, FourthColumnNeedsSizeFilterAndOtherRemedies) {
    const RepertoryData& data = builtInContent();
    RemedySearch search(data);
    search.remedyText = "Acon.";
    search.otherRemedies = true;
    search.run();
    EXPECT_EQ(search.columnCount(), 3);
    ASSERT_FALSE(search.rows().empty());
    EXPECT_EQ(search.rows()[0].otherRemedies, "");

    search.sizeFilter = {true, 0, 99};
    search.otherRemedies = false;
    search.run();
    EXPECT_EQ(search.columnCount(), 3);

    search.otherRemedies = true;
    search.run();
    EXPECT_EQ(search.columnCount(), 4);
    // Rubric 2 (82 entries, starting with Acon.) lists all its remedies with grade 1.
    const auto rows = search.rows();
    const auto row2 = std::find_if(rows.begin(), rows.end(), [](auto& r) { return r.number == 2; });
    ASSERT_NE(row2, rows.end());
    EXPECT_EQ(row2->otherRemedies.rfind("Acon.(1) ", 0), 0u);
    EXPECT_EQ(row2->otherRemedies.back(), ' ');
    std::size_t count = 0;
    for (std::size_t p = 0; (p = row2->otherRemedies.find("(1) ", p)) != std::string::npos; ++p) {
        ++count;
    }
    EXPECT_EQ(count, 82u);
}

TEST(RemedySearch, LastChapterReachesTheLastRubric) {
    const RepertoryData& data = builtInContent();
    RemedySearch search(data);
    search.remedyText = data.abbreviation(entryRemedy(data.entriesOf(8384)[0]));
    search.chapterFilter = 31;
    search.run();
    ASSERT_FALSE(search.rows().empty());
    EXPECT_EQ(search.rows().back().number, 8385);
    EXPECT_GE(search.rows().front().number, 7985);
    search.selectChapter("");
    EXPECT_EQ(search.chapterFilter, kAllChapters);
    search.run();
    EXPECT_EQ(search.rows().back().number, 8385);
}

TEST(GradeFilter, FlagsAreTestedOnTheirOwnAndBdRestricts) {
    GradeFilter f; // as "Hoch&wertig": 3, 4, 5
    EXPECT_FALSE(f.passes(0));
    EXPECT_FALSE(f.passes(kEntryGrade2));
    EXPECT_TRUE(f.passes(kEntryGrade3));
    EXPECT_TRUE(f.passes(kEntryGrade2 | kEntryGrade5)); // grade 5 ticked
    f.grade[0] = true;
    EXPECT_TRUE(f.passes(0));
    EXPECT_TRUE(f.passes(kEntryBdMark));
    f.bdOnly = true;
    EXPECT_FALSE(f.passes(0));
    EXPECT_TRUE(f.passes(kEntryBdMark));
    f.selectAll();
    EXPECT_TRUE(f.passes(kEntryGrade2));
    EXPECT_TRUE(f.passes(0));
    f.selectHighGrades();
    EXPECT_FALSE(f.passes(kEntryGrade2));
    EXPECT_FALSE(f.bdOnly);
}

TEST(RemedySearch, GradesAndBdMarksOnChangedContent) {
    RepertoryData data = builtInContent();
    RemedyEntry* rubric1 = data.tables().entryList; // rubric 1: remedies 0..100
    rubric1[0] |= kEntryGrade2;                     // Acon. grade 2
    rubric1[2] |= kEntryGrade3;                     // Agar. grade 3
    rubric1[5] |= kEntryGrade2 | kEntryGrade5;      // Alum. grade 5 (and the grade-2 flag)
    rubric1[6] |= kEntryGrade2 | kEntryBdMark;      // Ambr. grade 2 with BD mark
    rubric1[7] |= kEntryBdMark;                     // Am-c. grade 1 with BD mark

    RemedySearch search(data);
    search.remedyText = "acon";
    search.run();
    // Grade 2 is not among the grades every search lets through.
    ASSERT_FALSE(search.rows().empty());
    EXPECT_NE(search.rows().front().number, 1);

    search.remedyText = "agar";
    search.sizeFilter = {true, 0, 200}; // wider than the dialog allows, to reach rubric 1
    search.run();
    ASSERT_FALSE(search.rows().empty());
    const std::string& others = search.rows().front().otherRemedies;
    EXPECT_EQ(search.rows().front().number, 1);
    EXPECT_EQ(others.find("Acon."), std::string::npos);
    EXPECT_NE(others.find("Agar.(3) "), std::string::npos);
    EXPECT_NE(others.find("Alum.(5) "), std::string::npos);
    EXPECT_EQ(others.find("Ambr."), std::string::npos);
    EXPECT_NE(others.find("Am-c.(1) "), std::string::npos);

    // Grade 1 is forced on even when its box is cleared; "nur BD" keeps only marked entries.
    RemedyControls controls;
    controls.remedyText = "am-c";
    controls.grade[0] = false;
    controls.bdOnly = true;
    EXPECT_EQ(search.readControls(controls), FieldCheck::Ok);
    EXPECT_TRUE(search.gradeFilter.grade[0]);
    search.run();
    EXPECT_EQ(numbers(search), (std::vector<int>{1}));
    search.remedyText = "ambr";
    search.run();
    EXPECT_TRUE(search.rows().empty()); // marked, but grade 2

    search.gradeFilter.selectAll();
    search.run();
    EXPECT_EQ(numbers(search), rubricsWith(data, 6));
}

TEST(RemedyControls, SizeFieldsAreCheckedInReadingOrder) {
    RemedySearch search(builtInContent());
    RemedyControls controls;
    controls.sizeFilterOn = true;
    controls.minimumText = " 5 ";
    controls.maximumText = "40";
    controls.otherRemedies = false;
    EXPECT_EQ(search.readControls(controls), FieldCheck::Ok);
    EXPECT_EQ(search.sizeFilter.minimum, 5);
    EXPECT_EQ(search.sizeFilter.maximum, 40);
    EXPECT_FALSE(search.otherRemedies);

    // Not an integer: the old value stays and the later values are not taken.
    controls.minimumText = "zehn";
    controls.maximumText = "50";
    controls.otherRemedies = true;
    EXPECT_EQ(fieldCheckMessage(search.readControls(controls), 0, kMaxSizeFieldValue),
              "Bitte geben Sie eine ganze Zahl ein.");
    EXPECT_EQ(search.sizeFilter.minimum, 5);
    EXPECT_EQ(search.sizeFilter.maximum, 40);
    EXPECT_FALSE(search.otherRemedies);

    // Out of range: the value entered is kept, the later ones are not taken.
    controls.minimumText = "2";
    controls.maximumText = "100";
    EXPECT_EQ(fieldCheckMessage(search.readControls(controls), 0, kMaxSizeFieldValue),
              "Bitte geben Sie eine ganze Zahl zwischen 0 und 99 ein.");
    EXPECT_EQ(search.sizeFilter.minimum, 2);
    EXPECT_EQ(search.sizeFilter.maximum, 100);
    EXPECT_FALSE(search.otherRemedies);
    EXPECT_TRUE(search.gradeFilter.grade[0]);
}

TEST(RemedyText, AbbreviationsAreListedIgnoringCaseThenByTheirBytes) {
    RepertoryData data = builtInContent();
    const auto setAbbreviation = [&data](int remedy, const char* text) {
        std::snprintf(data.tables().abbreviations[remedy], kAbbreviationSize, "%s", text);
    };
    // The other remedies are named "\xDE" ("Þ"), which sorts after them all.
    for (int r = 0; r < data.remedyCount(); ++r) {
        setAbbreviation(r, "\xDE");
    }
    setAbbreviation(0, "bell.");
    setAbbreviation(1, "Acon.");
    setAbbreviation(2, "\xC4th."); // "Äth."
    setAbbreviation(3, "Bell.");
    setAbbreviation(4, "acon.");
    setAbbreviation(5, "\xE4th."); // "äth."
    setAbbreviation(6, "Zinc.");

    const std::vector<std::string> sorted = sortedRemedyAbbreviations(data);
    ASSERT_EQ(static_cast<int>(sorted.size()), data.remedyCount());
    const std::vector<std::string> first(sorted.begin(), sorted.begin() + 7);
    EXPECT_EQ(first, (std::vector<std::string>{"Acon.", "acon.", "Bell.", "bell.", "Zinc.",
                                               "\xC4th.", "\xE4th."}));
    EXPECT_EQ(sorted.back(), "\xDE");
}
