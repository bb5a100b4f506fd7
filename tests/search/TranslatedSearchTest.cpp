#include "search/TextSearch.h"

#include "SearchTestContent.h"
#include "data/Cp1252.h"
#include "search/Folding.h"
#include "search/Vocabulary.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessalyn;
using tessalyn::testing::builtInContent;

namespace {

std::string cp(std::string_view utf8) {
    return utf8ToCp1252(utf8);
}

std::vector<int> numbers(const TextSearch& search) {
    std::vector<int> out;
    for (const TextSearchRow& row : search.rows()) {
        out.push_back(row.number);
    }
    return out;
}

// Hits of a query typed in UTF-8, with or without the built-in vocabulary.
std::vector<int> hits(std::string_view utf8, bool translate, int chapter = kAllChapters) {
    TextSearch search(builtInContent());
    search.setVocabulary(translate ? &builtInVocabulary() : nullptr);
    search.setChapterFilter(chapter);
    search.setSearchText(cp(utf8));
    search.search();
    return numbers(search);
}

bool includes(const std::vector<int>& all, const std::vector<int>& part) {
    return std::includes(all.begin(), all.end(), part.begin(), part.end());
}

// The rule written out plainly, rubric by rubric: each query word's group is
// the word and its entry's alternatives; a rubric is found when each group
// has an alternative all of whose words stand in its symptom or location text.
std::vector<int> referenceHits(const Vocabulary& v, std::string_view query, int chapter) {
    const RepertoryData& data = builtInContent();
    std::vector<std::vector<std::vector<std::string>>> groups;
    for (const std::string& word : splitSearchWords(query)) {
        std::vector<std::vector<std::string>> group{{word}};
        const VocabularyMatch m = v.lookUp(word);
        if (m && m.entry->ignored()) {
            continue;
        }
        if (m) {
            for (const std::vector<std::string>& alternative : m.entry->english) {
                std::vector<std::string> folded;
                for (const std::string& w : alternative) {
                    folded.push_back(foldForSearch(w));
                }
                group.push_back(folded);
            }
        }
        groups.push_back(group);
    }
    std::vector<int> out;
    const RubricRange range = rubricRange(data, chapter);
    for (int k = range.first; k <= range.last && !range.empty(); ++k) {
        const std::string symptom = foldForSearch(data.symptomText(k));
        const std::string location = foldForSearch(data.locationText(k - 1));
        auto holds = [&](const std::string& w) {
            return symptom.find(w) != std::string::npos || location.find(w) != std::string::npos;
        };
        const bool found = std::all_of(groups.begin(), groups.end(), [&](const auto& group) {
            return std::any_of(group.begin(), group.end(), [&](const auto& alternative) {
                return std::all_of(alternative.begin(), alternative.end(), holds);
            });
        });
        if (found) {
            out.push_back(k);
        }
    }
    return out;
}

struct EverydayQuery {
    const char* german;
    const char* english; // what an English speaker types for the same
};

// Everyday queries of a German-speaking practice: single words, compounds,
// inflected forms, umlauts typed as ae/oe/ue/ss, words typed so far, and two-
// and three-word queries mixing German and English.
const EverydayQuery kEverydayQueries[] = {
    {"Kopfschmerz", "head pain"},
    {"Kopfschmerzen", "headache"},
    {"Kopfweh", "head pain"},
    {"Kopfschmerz nachts", "head pain night"},
    {"kopfschmerzen morgens", "headache morning"},
    {"Kopfsch", "headache"},
    {"Schwindel", "vertigo"},
    {"Schwindel morgens", "vertigo morning"},
    {"schwindlig beim Bücken", "vertigo stooping"},
    {"Übelkeit", "nausea"},
    {"Uebelkeit", "nausea"},
    {"Übelkeit nach dem Essen", "nausea after eating"},
    {"Husten", "cough"},
    {"Husten nachts", "cough night"},
    {"Husten schlimmer im Liegen", "cough agg lying"},
    {"husten trocken", "cough dry"},
    {"Schnupfen", "coryza"},
    {"Durchfall", "diarrhoea"},
    {"Durchfall morgens", "diarrhoea morning"},
    {"Verstopfung", "constipation"},
    {"Krämpfe", "cramps"},
    {"Kraempfe", "cramps"},
    {"Waden", "calf"},
    {"Jucken", "itching"},
    {"Jucken in der Wärme", "itching in warmth"},
    {"Ausschlag", "eruptions"},
    {"Hautausschlag juckend", "eruptions itching"},
    {"Schweiß", "sweat"},
    {"Schweiss", "perspiration"},
    {"Nachtschweiß", "night sweat"},
    {"Schweiß nachts", "perspiration night"},
    {"Gehen im Freien", "walking open air"},
    {"schlimmer nach dem Essen", "agg after eating"},
    {"besser bei Bewegung", "amel motion"},
    {"schlechter durch Kälte", "agg from cold"},
    {"Augen", "eyes"},
    {"Augen brennen", "eyes burning"},
    {"Augenschmerzen", "eyes pain"},
    {"Entzündung Auge", "inflammation eyes"},
    {"Ohrenschmerzen", "ear pain"},
    {"Halsschmerzen beim Schlucken", "throat pain swallowing"},
    {"Zahnschmerzen", "toothache"},
    {"Magenschmerzen", "stomach pain"},
    {"Bauchschmerzen", "abdomen pain"},
    {"Rückenschmerzen", "back pain"},
    {"Ruecken Schmerz", "back pain"},
    {"Kreuzschmerzen", "lumbar"},
    {"Fuß", "foot"},
    {"Füße kalt", "feet cold"},
    {"Fuesse kalt", "feet cold"},
    {"Hände", "hands"},
    {"Knie Schmerzen", "knee pain"},
    {"Schulter links", "shoulder left"},
    {"rechte Seite", "right side"},
    {"Herzklopfen", "palpitation"},
    {"Angst", "anxiety"},
    {"Angst vor Hunden", "fear of dogs"},
    {"Traurigkeit", "sadness"},
    {"Weinen", "weeping"},
    {"Reizbarkeit", "irritability"},
    {"Schlaflosigkeit", "sleeplessness"},
    {"Schlaf unruhig", "sleep restlessness"},
    {"Appetit", "appetite"},
    {"Durst", "thirst"},
    {"Stuhl", "stool"},
    {"Urin", "urine"},
    {"Schmerzen vor der Regel", "pain before menses"},
    {"Menses vor", "menses before"},
    {"Schwäche", "weakness"},
    {"Schwaeche", "weakness"},
    {"Zittern", "trembling"},
    {"Lähmung", "paralysis"},
    {"Hitze Kopf", "heat head"},
    {"Kälte Hände", "coldness hands"},
    {"Blähungen", "flatulence"},
    {"Erbrechen", "vomiting"},
    {"Fieber", "fever"},
    {"Zahnfleisch", "gums"},
    {"Zunge", "tongue"},
    {"Nasenbluten", "epistaxis"},
    {"Heiserkeit", "hoarseness"},
    {"Lärm schlimmer", "noise agg"},
    {"Berührung", "touch"},
    {"Ärger", "anger"},
    {"Aerger", "vexation"},
    {"Kummer", "grief"},
    {"Schreck", "fright"},
    {"Wetterwechsel", "change weather"},
    {"feuchtes Wetter", "wet weather"},
    {"Sonne", "sun"},
    {"Kaffee", "coffee"},
    {"Milch", "milk"},
    {"Schwangerschaft", "pregnancy"},
    {"Kinder", "children"},
    {"Wechseljahre", "climacteric"},
    {"Gelenke", "joints"},
    {"Rheuma", "rheumatism"},
    {"Warzen", "warts"},
    {"Geschwür", "ulcers"},
    {"pain Kopf", "pain head"},
    {"burning Magen", "burning stomach"},
    {"Schmerz head night", "pain head night"},
    {"cough nachts", "cough night"},
};

} // namespace

TEST(TranslatedSearch, EverydayGermanQueriesFindWhatTheirEnglishFinds) {
    const int rubricCount = builtInContent().rubricCount();
    int count = 0;
    for (const EverydayQuery& q : kEverydayQueries) {
        const std::vector<int> translated = hits(q.german, true);
        const std::vector<int> english = hits(q.english, false);
        const std::vector<int> plain = hits(q.german, false);
        EXPECT_FALSE(english.empty()) << q.english;
        EXPECT_TRUE(includes(translated, english)) << q.german << " / " << q.english;
        EXPECT_TRUE(includes(translated, plain)) << q.german;
        // A translation narrows to the symptom asked about: a fraction of
        // the repertory, never everything.
        EXPECT_LT(translated.size(), static_cast<std::size_t>(rubricCount / 4))
            << q.german << ": " << translated.size();
        ++count;
    }
    EXPECT_GE(count, 60);
}

TEST(TranslatedSearch, FollowsTheRuleRubricByRubric) {
    // Including queries of more than 64 searched words in all, which the
    // search takes in several batches, and queries under a chapter filter.
    const char* queries[] = {
        "Kopfschmerz nachts",
        "Gehen im Freien",
        "Kopf Augen Ohren Nase Hals Brust Bauch Rücken Arme Beine",
        "Schmerz brennend stechend drückend ziehend reißend Kopf Magen",
        "Kopf Kopf Kopf Kopf Kopf Kopf Kopf Kopf Kopf Kopf Kopf Kopf",
        "im am der die Kopf",
        "head Kopfschm pain",
        "Schweiss Nacht",
    };
    const int chapters[] = {kAllChapters, 2, 27, 31};
    for (const char* q : queries) {
        for (const int chapter : chapters) {
            EXPECT_EQ(hits(q, true, chapter), referenceHits(builtInVocabulary(), cp(q), chapter))
                << q << " in chapter " << chapter;
        }
    }
}

TEST(TranslatedSearch, QueriesWithoutGermanWordsFindExactlyThePlainResult) {
    for (const char* q :
         {"open air", "head pain night", "agg after eating", "", "  ", "xyzzy", "{0281}",
          "vertigo morning stooping", "a b c d e f g h i j k l m n o p q r s t u v"}) {
        for (const int chapter : {kAllChapters, 2}) {
            EXPECT_EQ(hits(q, true, chapter), hits(q, false, chapter)) << q;
        }
    }
}

TEST(TranslatedSearch, ACompoundAlternativeNeedsAllItsWords) {
    // "Kopfschmerz → headache, head + pain": HEAD and PAIN may stand one in
    // the location, one in the symptom text; either alone is no hit.
    const RepertoryData& data = builtInContent();
    const std::vector<int> found = hits("Kopfschmerz", true);
    for (int k = 1; k <= data.rubricCount(); ++k) {
        const std::string texts =
            foldForSearch(data.symptomText(k)) + '\n' + foldForSearch(data.locationText(k - 1));
        const bool expected =
            texts.find("KOPFSCHMERZ") != std::string::npos ||
            texts.find("HEADACHE") != std::string::npos ||
            (texts.find("HEAD") != std::string::npos && texts.find("PAIN") != std::string::npos);
        EXPECT_EQ(std::binary_search(found.begin(), found.end(), k), expected) << k;
    }
}

TEST(TranslatedSearch, IgnoredWordsAloneFindEverything) {
    EXPECT_EQ(hits("im der", true).size(), 8385u);
    EXPECT_EQ(hits("im der", true, 3), hits("", false, 3));
    // Without translation they are plain words.
    EXPECT_LT(hits("im der", false).size(), 8385u);
}

TEST(TranslatedSearch, NamesTheTranslatedWordsOnceInQueryOrder) {
    TextSearch search(builtInContent());
    search.setVocabulary(&builtInVocabulary());
    search.setSearchText(cp("kopfschmerz NACHTS im head Kopfschmerzen kopfschmerz Schweiss"));
    search.search();
    const std::vector<WordTranslation> expected = {
        {"Kopfschmerz", "headache, head pain, cephalalgia"},
        {"nachts", "night, midnight"},
        {"im", ""},
        {"Kopfschmerzen", "headache, head pain, cephalalgia"},
        {cp("Schweiß"), "sweat, perspiration"},
    };
    EXPECT_EQ(search.translations(), expected);
    EXPECT_EQ(search.caption().rfind("Textuelle Symptomsuche: ", 0), 0u);

    // Without the vocabulary nothing is translated.
    search.setVocabulary(nullptr);
    search.search();
    EXPECT_TRUE(search.translations().empty());
}

TEST(TranslatedSearch, TurningTranslationOnWidensAndOffRestoresTheHits) {
    TextSearch search(builtInContent());
    search.setSearchText("Kopfschmerz");
    search.search();
    EXPECT_TRUE(search.rows().empty());
    search.setVocabulary(&builtInVocabulary());
    EXPECT_TRUE(search.runSearch(true, true));
    const std::size_t translated = search.rows().size();
    EXPECT_GT(translated, 0u);
    search.setVocabulary(nullptr);
    EXPECT_TRUE(search.runSearch(true, true));
    EXPECT_TRUE(search.rows().empty());
}

TEST(TranslatedSearch, EveryChapterIsReachedByAGermanWordForIt) {
    // One everyday German word for the region or function of each of the 32
    // chapters; under that chapter's filter it finds rubrics.
    const char* words[32] = {
        "Schwäche",      "Angst",  "Kopf",    "Schwindel", "Gesicht",  "Mund",      "Zähne",
        "Augen",         "Sehen",  "Ohren",   "Nase",      "Hals",     "Magen",     "Bauch",
        "Mastdarm",      "Stuhl",  "Blase",   "Nieren",    "Prostata", "Harnröhre", "Hoden",
        "Kehlkopf",      "Atmung", "Husten",  "Auswurf",   "Brust",    "Rücken",    "Beine",
        "Schüttelfrost", "Fieber", "Schweiß", "Haut"};
    for (int chapter = 0; chapter < 32; ++chapter) {
        EXPECT_FALSE(hits(words[chapter], true, chapter).empty())
            << words[chapter] << " in chapter " << chapter;
    }
}
