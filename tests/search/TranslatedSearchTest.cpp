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

// Whether `part` lies within `all`, both in any order.
bool includes(std::vector<int> all, std::vector<int> part) {
    std::sort(all.begin(), all.end());
    std::sort(part.begin(), part.end());
    return std::includes(all.begin(), all.end(), part.begin(), part.end());
}

struct Reference {
    std::vector<int> hits;
    int ownText = 0; // the first hits, whose symptom text holds every group
};

// The rule written out plainly, rubric by rubric: each query word's group is
// the word and, for a vocabulary word, its entry's alternatives, these found
// only at the start of a word (every word so when `allAtWordStart`); a rubric
// is found when each group has an alternative all of whose words stand in its
// symptom or location text. Once a word is translated, the hits whose symptom
// text alone does so come first.
Reference referenceHits(const Vocabulary* v, std::string_view query, int chapter,
                        bool allAtWordStart = false) {
    const RepertoryData& data = builtInContent();
    struct Group {
        std::vector<std::vector<std::string>> alternatives;
        bool atWordStart;
    };
    std::vector<Group> groups;
    bool translated = false;
    for (const std::string& word : splitSearchWords(query)) {
        Group group{{{word}}, allAtWordStart};
        const VocabularyMatch m = v != nullptr ? v->lookUp(word) : VocabularyMatch{};
        if (m && m.entry->ignored()) {
            continue;
        }
        if (m) {
            translated = true;
            group.atWordStart = true;
            for (const std::vector<std::string>& alternative : m.entry->english) {
                std::vector<std::string> folded;
                for (const std::string& w : alternative) {
                    folded.push_back(foldForSearch(w));
                }
                group.alternatives.push_back(folded);
            }
        }
        groups.push_back(group);
    }
    auto matchesAll = [&](const std::vector<std::string>& texts) {
        return std::all_of(groups.begin(), groups.end(), [&](const Group& group) {
            auto holds = [&](const std::string& w) {
                return std::any_of(texts.begin(), texts.end(), [&](const std::string& text) {
                    return group.atWordStart ? holdsAtWordStart(text, w)
                                             : text.find(w) != std::string::npos;
                });
            };
            return std::any_of(
                group.alternatives.begin(), group.alternatives.end(), [&](const auto& alternative) {
                    return std::all_of(alternative.begin(), alternative.end(), holds);
                });
        });
    };
    Reference own;
    std::vector<int> locationOnly;
    const RubricRange range = rubricRange(data, chapter);
    for (int k = range.first; k <= range.last && !range.empty(); ++k) {
        const std::string symptom = foldForSearch(data.symptomText(k));
        const std::string location = foldForSearch(data.locationText(k - 1));
        if (translated && matchesAll({symptom})) {
            own.hits.push_back(k);
        } else if (matchesAll({symptom, location})) {
            locationOnly.push_back(k);
        }
    }
    own.ownText = static_cast<int>(own.hits.size());
    own.hits.insert(own.hits.end(), locationOnly.begin(), locationOnly.end());
    return own;
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
    {"Husten im Liegen", "cough lying"},
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
        // The English words, found where a word starts as translated ones are.
        const std::vector<int> english =
            referenceHits(nullptr, cp(q.english), kAllChapters, true).hits;
        EXPECT_FALSE(english.empty()) << q.english;
        EXPECT_TRUE(includes(translated, english)) << q.german << " / " << q.english;
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
            EXPECT_EQ(hits(q, true, chapter),
                      referenceHits(&builtInVocabulary(), cp(q), chapter).hits)
                << q << " in chapter " << chapter;
        }
    }
}

TEST(TranslatedSearch, TranslatedWordsStartAWordAndOwnTextHitsComeFirst) {
    // Searches of a practice whose hits used to come through a word inside
    // another ("cough" in the stomach chapter's "Hiccough") or mostly through
    // their heading alone.
    constexpr int kStomach = 12;
    const RubricRange stomach = rubricRange(builtInContent(), kStomach);
    const struct {
        const char* query;
        bool someOwnText; // some hits hold every word in their own text
    } searches[] = {
        {"Husten", true},
        {"Husten schlimmer im Liegen", false},
        {"Kopfschmerz nachts", true},
        {"Angst vor Hunden", false},
    };
    for (const auto& s : searches) {
        TextSearch search(builtInContent());
        search.setVocabulary(&builtInVocabulary());
        search.setSearchText(cp(s.query));
        search.search();
        const std::vector<int> found = numbers(search);
        const int own = search.ownTextHits();
        EXPECT_TRUE(search.ownTextFirst()) << s.query;
        EXPECT_TRUE(std::none_of(found.begin(), found.end(), [&](int k) {
            return k >= stomach.first && k <= stomach.last;
        })) << s.query;
        EXPECT_EQ(own > 0, s.someOwnText) << s.query;
        EXPECT_TRUE(std::is_sorted(found.begin(), found.begin() + own)) << s.query;
        EXPECT_TRUE(std::is_sorted(found.begin() + own, found.end())) << s.query;
        const Reference expected = referenceHits(&builtInVocabulary(), cp(s.query), kAllChapters);
        EXPECT_EQ(found, expected.hits) << s.query;
        EXPECT_EQ(own, expected.ownText) << s.query;
        EXPECT_EQ(search.caption(), textSearchCaption(static_cast<int>(found.size()), own));
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
    std::vector<int> found = hits("Kopfschmerz", true);
    std::sort(found.begin(), found.end());
    for (int k = 1; k <= data.rubricCount(); ++k) {
        const std::string texts =
            foldForSearch(data.symptomText(k)) + '\n' + foldForSearch(data.locationText(k - 1));
        const bool expected = holdsAtWordStart(texts, "KOPFSCHMERZ") ||
                              holdsAtWordStart(texts, "HEADACHE") ||
                              (holdsAtWordStart(texts, "HEAD") && holdsAtWordStart(texts, "PAIN"));
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

// German words the vocabulary does not know are named: a word with an
// umlaut or "ß", or one no text of the content holds; never an English word
// of the content, a number, or a word the vocabulary completes.
TEST(TranslatedSearch, NamesTheGermanWordsTheVocabularyDoesNotKnow) {
    TextSearch search(builtInContent());
    search.setVocabulary(&builtInVocabulary());
    search.setSearchText(cp("Gänseblümchen head Kopfschm Zehennagel 12 Bein-Weh gänseblümchen "
                            "Fuß"));
    search.search();
    EXPECT_EQ(search.unknownWords(), (std::vector<std::string>{cp("Gänseblümchen"), "Zehennagel"}));
    EXPECT_TRUE(search.rows().empty());

    search.setVocabulary(nullptr);
    search.search();
    EXPECT_TRUE(search.unknownWords().empty());
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
