#include "search/TextSearch.h"

#include "SearchTestContent.h"
#include "search/Folding.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>

using namespace tessalyn;
using tessalyn::testing::builtInContent;

namespace {

std::vector<int> numbers(const TextSearch& search) {
    std::vector<int> out;
    for (const TextSearchRow& row : search.rows()) {
        out.push_back(row.number);
    }
    return out;
}

std::vector<int> searchFor(const RepertoryData& data, std::string_view text,
                           int chapter = kAllChapters) {
    TextSearch search(data);
    search.setChapterFilter(chapter);
    search.setSearchText(text);
    search.search();
    return numbers(search);
}

// Whether rubric k's symptom or location text holds an upper-case word.
bool holdsWord(const RepertoryData& data, int k, const std::string& word) {
    return foldForSearch(data.symptomText(k)).find(word) != std::string::npos ||
           foldForSearch(data.locationText(k - 1)).find(word) != std::string::npos;
}

bool contains(const std::vector<int>& v, int n) {
    return std::find(v.begin(), v.end(), n) != v.end();
}

} // namespace

TEST(TextSearchCaption, NoHitOneHitMany) {
    EXPECT_EQ(textSearchCaption(0), "Textuelle Symptomsuche: Kein Symptom gefunden");
    EXPECT_EQ(textSearchCaption(1), "Textuelle Symptomsuche: 1 gefundenes Symptom");
    EXPECT_EQ(textSearchCaption(8385), "Textuelle Symptomsuche: 8385 gefundene Symptome");
    // After a translated word: how many hold every word in their own text.
    const std::string location = "nur im Kapiteltext";
    EXPECT_EQ(textSearchCaption(0, 0), "Textuelle Symptomsuche: Kein Symptom gefunden");
    EXPECT_EQ(textSearchCaption(1, 1),
              "Textuelle Symptomsuche: 1 gefundenes Symptom, im Symptomtext");
    EXPECT_EQ(textSearchCaption(1, 0), "Textuelle Symptomsuche: 1 gefundenes Symptom, " + location);
    EXPECT_EQ(textSearchCaption(12, 9),
              "Textuelle Symptomsuche: 12 gefundene Symptome, 9 im Symptomtext, 3 " + location);
    EXPECT_EQ(textSearchCaption(12, 12),
              "Textuelle Symptomsuche: 12 gefundene Symptome, alle im Symptomtext");
    EXPECT_EQ(textSearchCaption(12, 0),
              "Textuelle Symptomsuche: 12 gefundene Symptome, alle " + location);
}

TEST(TextSearchRule, TypingSearchesFromTheThirdCharacter) {
    TextSearch search(builtInContent());
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche");

    EXPECT_FALSE(search.textChanged("ai"));
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche");
    EXPECT_TRUE(search.rows().empty());
    EXPECT_EQ(search.lastSearchedText(), "");

    EXPECT_TRUE(search.textChanged("air"));
    EXPECT_EQ(search.lastSearchedText(), "air");
    const std::vector<int> airHits = numbers(search);
    ASSERT_FALSE(airHits.empty());
    EXPECT_EQ(search.caption(), textSearchCaption(static_cast<int>(airHits.size())));
    // Leaving the field for a hit: the count stays with the hits it counts.
    EXPECT_FALSE(search.focusLost("air"));
    EXPECT_EQ(search.caption(), textSearchCaption(static_cast<int>(airHits.size())));

    // Deleting back to two characters: caption reset, the table keeps "air".
    EXPECT_FALSE(search.textChanged("ai"));
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche");
    EXPECT_EQ(numbers(search), airHits);
    EXPECT_EQ(search.lastSearchedText(), "air");

    // Retyping the text searched last runs nothing; its count comes back.
    EXPECT_FALSE(search.textChanged("air"));
    EXPECT_EQ(search.caption(), textSearchCaption(static_cast<int>(airHits.size())));

    // Once the window has emptied its table, the same text searches again.
    search.clearResults();
    EXPECT_TRUE(search.rows().empty());
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche");
    EXPECT_TRUE(search.textChanged("air"));
    EXPECT_EQ(numbers(search), airHits);
}

TEST(TextSearchRule, LeavingTheFieldSearchesAnyChangedText) {
    TextSearch search(builtInContent());
    EXPECT_TRUE(search.focusLost("a"));
    EXPECT_FALSE(search.rows().empty());
    EXPECT_FALSE(search.focusLost("a"));

    // Emptied field: every rubric is listed.
    EXPECT_TRUE(search.focusLost(""));
    ASSERT_EQ(search.rows().size(), 8385u);
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche: 8385 gefundene Symptome");

    // A new chapter with the unchanged empty text: caption reset, table unchanged.
    EXPECT_FALSE(search.chapterSelected("SECTION IV : VERTIGO --- Dizziness"));
    EXPECT_EQ(search.chapterFilter(), 3);
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche");
    EXPECT_EQ(search.rows().size(), 8385u);

    // A new chapter with a non-empty unchanged text searches again.
    EXPECT_TRUE(search.focusLost("in"));
    EXPECT_TRUE(search.chapterSelected(""));
    EXPECT_EQ(search.chapterFilter(), kAllChapters);
    const std::size_t all = search.rows().size();
    EXPECT_TRUE(search.chapterSelected("SECTION IV : VERTIGO --- Dizziness"));
    EXPECT_LT(search.rows().size(), all);
    const auto found = numbers(search);
    EXPECT_TRUE(
        std::all_of(found.begin(), found.end(), [](int k) { return k >= 1454 && k <= 1523; }));
}

TEST(TextSearch, EmptyQueryListsEveryRubricWithItsTexts) {
    const RepertoryData& data = builtInContent();
    TextSearch search(data);
    search.search();
    ASSERT_EQ(search.rows().size(), 8385u);
    const TextSearchRow& first = search.rows().front();
    EXPECT_EQ(first.numberText, "1");
    EXPECT_EQ(first.symptomText, "Afternoon, - In {0004} [101]");
    EXPECT_EQ(first.locationText, data.locationText(0));
    const TextSearchRow& last = search.rows().back();
    EXPECT_EQ(last.number, 8385);
    EXPECT_EQ(last.numberText, "8385");
    EXPECT_EQ(last.symptomText, data.symptomText(8385));
    EXPECT_EQ(last.locationText, data.locationText(8384));
    // Every row carries exactly the data's derived texts.
    for (std::size_t i = 0; i < search.rows().size(); ++i) {
        const TextSearchRow& row = search.rows()[i];
        const int k = static_cast<int>(i) + 1;
        ASSERT_EQ(row.number, k);
        ASSERT_EQ(row.numberText, numberText(k));
        ASSERT_EQ(row.symptomText, data.symptomText(k));
        ASSERT_EQ(row.locationText, data.locationText(k - 1));
    }
    // The last chapter alone still reaches rubric 8385.
    const auto lastChapter = searchFor(data, "", 31);
    ASSERT_EQ(lastChapter.size(), 401u);
    EXPECT_EQ(lastChapter.front(), 7985);
    EXPECT_EQ(lastChapter.back(), 8385);
}

TEST(TextSearch, WordsMatchInAnyOrderAndCase) {
    const RepertoryData& data = builtInContent();
    const auto hits = searchFor(data, "open air");
    EXPECT_TRUE(contains(hits, 2)); // "Air, - While in the Open {0016}"
    EXPECT_EQ(searchFor(data, "AIR Open"), hits);
    EXPECT_TRUE(std::all_of(hits.begin(), hits.end(), [&](int k) {
        return holdsWord(data, k, "OPEN") && holdsWord(data, k, "AIR");
    }));
    EXPECT_TRUE(searchFor(data, "zzqqxx").empty());
}

TEST(TextSearch, SharpSAndSsFindTheSameRubrics) {
    const RepertoryData& data = builtInContent();
    const auto fuss = searchFor(data, "fuss");
    EXPECT_FALSE(fuss.empty());
    EXPECT_EQ(searchFor(data, "Fu\xDF"), fuss);
    EXPECT_EQ(searchFor(data, "FUSS"), fuss);
}

TEST(TextSearch, ChapterTitleWordListsTheWholeChapter) {
    const RepertoryData& data = builtInContent();
    const auto hits = searchFor(data, "vertigo");
    for (int k = 1454; k <= 1523; ++k) {
        ASSERT_TRUE(contains(hits, k)) << k;
    }
    EXPECT_TRUE(std::all_of(hits.begin(), hits.end(),
                            [&](int k) { return holdsWord(data, k, "VERTIGO"); }));
}

TEST(TextSearch, EntryCountInBracketsIsSearched) {
    const RepertoryData& data = builtInContent();
    std::vector<int> expected;
    for (int i = 0; i < 8385; ++i) {
        if (data.rubric(i).entryCount == 101) {
            expected.push_back(i + 1);
        }
    }
    ASSERT_FALSE(expected.empty());
    EXPECT_EQ(expected.front(), 1);
    EXPECT_EQ(searchFor(data, "[101]"), expected);
}

TEST(TextSearch, WordsSplitBetweenHeadingAndRubricAcrossHeadingChanges) {
    RepertoryData data = builtInContent();
    // Two neighbouring headings with at least two rubrics each.
    auto rubricsOf = [&](int h) {
        return data.heading(h).rubricEnd - (h > 0 ? data.heading(h - 1).rubricEnd : 0);
    };
    int h = 0;
    while (rubricsOf(h) < 2 || rubricsOf(h + 1) < 2) {
        ++h;
    }
    const int first = h > 0 ? data.heading(h - 1).rubricEnd + 1 : 1; // symptom numbers
    const int firstOfNext = data.heading(h).rubricEnd + 1;
    auto& t = data.tables();
    std::strcpy(t.headings[h].text, "Zebraqz Crossingqz");
    std::strcpy(t.rubrics[first - 1].text, "Quokkaqz, - Left {0001}");
    std::strcpy(t.rubrics[first].text, "Stra\xDF"
                                       "eqz {0002}");
    std::strcpy(t.rubrics[firstOfNext - 1].text, "Quokkaqz, - Right {0003}");
    std::strcpy(t.rubrics[firstOfNext].text, "Zebraqz {0004}");

    // One word in the heading, the other in the rubric text; the next heading's
    // rubrics must not inherit the heading's words.
    EXPECT_EQ(searchFor(data, "quokkaqz zebraqz"), (std::vector<int>{first}));
    std::vector<int> wholeHeading;
    for (int k = first; k < firstOfNext; ++k) {
        wholeHeading.push_back(k);
    }
    EXPECT_EQ(searchFor(data, "crossingqz"), wholeHeading);
    EXPECT_EQ(searchFor(data, "STRASSEqz crossingQZ"), (std::vector<int>{first + 1}));
    EXPECT_EQ(searchFor(data, "quokkaqz zebraqz", data.chapterOfHeading(h)),
              (std::vector<int>{first}));
}

// The search checked against the plain rule, rubric by rubric: every word in
// the folded symptom text or in the folded location text. Among the queries
// are texts that run across the end of one rubric's text into the next one's
// ("[101]AIR"), which must not match.
TEST(TextSearch, AgreesWithTheRuleRubricByRubric) {
    const RepertoryData& data = builtInContent();
    std::vector<std::string> symptoms;
    std::vector<std::string> locations;
    for (int k = 1; k <= 8385; ++k) {
        symptoms.push_back(foldForSearch(data.symptomText(k)));
        locations.push_back(foldForSearch(data.locationText(k - 1)));
    }
    std::vector<std::string> queries = {"in",
                                        "a",
                                        "air",
                                        "open air",
                                        "in -",
                                        "[101]",
                                        "{0004} [101]",
                                        "[101]AIR",
                                        "]air",
                                        "] ",
                                        "whole generalities",
                                        "y gen",
                                        "Air\xA0",
                                        "left right",
                                        "pain, - night",
                                        "e i o u",
                                        "zz",
                                        ")",
                                        "SKIN AFFECTIONS",
                                        "warts --- eruptions"};
    // The last words of the scanned texts test the ends of the buffers.
    auto lastWord = [](const std::string& text) { return text.substr(text.rfind(' ') + 1); };
    queries.push_back(lastWord(data.symptomText(8385)));
    queries.push_back(lastWord(data.locationText(8384)));
    TextSearch search(data);
    for (const std::string& query : queries) {
        for (int chapter : {kAllChapters, 0, 3, 30, 31}) {
            const RubricRange range = rubricRange(data, chapter);
            const auto words = splitSearchWords(query);
            std::vector<int> expected;
            for (int k = range.first; k <= range.last; ++k) {
                const auto& symptom = symptoms[static_cast<std::size_t>(k) - 1];
                const auto& location = locations[static_cast<std::size_t>(k) - 1];
                if (std::all_of(words.begin(), words.end(), [&](const std::string& w) {
                        return symptom.find(w) != std::string::npos ||
                               location.find(w) != std::string::npos;
                    })) {
                    expected.push_back(k);
                }
            }
            search.setChapterFilter(chapter);
            search.setSearchText(query);
            search.search();
            EXPECT_EQ(numbers(search), expected) << query << " in chapter " << chapter;
        }
    }
}

TEST(TextSearch, LongQueryKeepsEveryWord) {
    const RepertoryData& data = builtInContent();
    std::string nineteen;
    for (int i = 0; i < 19; ++i) {
        nineteen += "in ";
    }
    // Leaving out the word between the 19th and the 20th blank would find rubric 1.
    EXPECT_TRUE(searchFor(data, nineteen + "zzqq afternoon").empty());
    EXPECT_TRUE(contains(searchFor(data, nineteen + "afternoon, - in"), 1));
}

TEST(TextSearch, ReloadTextsPicksUpChangedTexts) {
    RepertoryData data = builtInContent();
    TextSearch search(data);
    std::strcpy(data.tables().rubrics[4].text, "Xylophonqz {0001}");
    search.reloadTexts();
    EXPECT_TRUE(search.focusLost("xylophonqz"));
    EXPECT_EQ(numbers(search), (std::vector<int>{5}));
    EXPECT_EQ(search.caption(), "Textuelle Symptomsuche: 1 gefundenes Symptom");
}

TEST(TextColumnSplit, TextColumnsKeepTheirProportionWithinTheFreeWidth) {
    // 870 - 60 - 20 = 790 pixels, shared 372 : 200.
    EXPECT_EQ(splitTextColumnWidths(870, 60, 372, 200), (TextColumnWidths{513, 276}));
    EXPECT_EQ(splitTextColumnWidths(680, 60, 300, 300), (TextColumnWidths{300, 300}));
    // Two empty columns: the location column takes everything.
    EXPECT_EQ(splitTextColumnWidths(680, 60, 0, 0), (TextColumnWidths{0, 600}));
    // Narrower than column 0 and the margin: nothing to share out.
    EXPECT_EQ(splitTextColumnWidths(70, 60, 372, 200), (TextColumnWidths{0, 0}));
}
