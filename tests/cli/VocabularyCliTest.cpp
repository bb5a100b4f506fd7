// "search --german" and "vocabulary": the German search words from the
// command line.
#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <algorithm>

using namespace tessalyn;
using test_support::runCli;

namespace {

std::size_t lineCount(const std::string& text) {
    return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(GermanSearchCli, TranslatesOnlyWithGermanAndNamesTheTranslationsOnStandardError) {
    const auto plain = runCli({"search", "Kopfschmerz nachts"});
    EXPECT_EQ(plain.rc, 0);
    EXPECT_EQ(plain.out, "Textuelle Symptomsuche: Kein Symptom gefunden\n");
    EXPECT_EQ(plain.err, "");

    const auto german = runCli({"search", "--german", "Kopfschmerz im nachts"});
    ASSERT_EQ(german.rc, 0) << german.err;
    const std::size_t hits = lineCount(german.out) - 1;
    ASSERT_GT(hits, 1u);
    // The two rubrics that name headache and night themselves come first.
    EXPECT_EQ(german.out.substr(0, german.out.find('\n')),
              "Textuelle Symptomsuche: " + std::to_string(hits) +
                  " gefundene Symptome, 2 im Symptomtext, " + std::to_string(hits - 2) +
                  " nur im Kapiteltext");
    EXPECT_EQ(german.out.substr(german.out.find('\n') + 1, 5), "1439\t");
    EXPECT_EQ(german.err, "Übersetzt: Kopfschmerz → headache, head pain, cephalalgia\n"
                          "Übergangen: im\n"
                          "Übersetzt: nachts → night, midnight\n");
    // Every hit of the English words is among them.
    const auto english = runCli({"search", "headache night"});
    std::size_t pos = english.out.find('\n') + 1;
    while (pos < english.out.size()) {
        const std::size_t end = english.out.find('\n', pos);
        EXPECT_NE(german.out.find(english.out.substr(pos, end - pos + 1)), std::string::npos);
        pos = end + 1;
    }

    // The option may stand after the text and with the chapter filter; an
    // English query gives exactly the plain output.
    const auto chapter = runCli({"search", "Schweiss", "--chapter", "30", "--german"});
    ASSERT_EQ(chapter.rc, 0);
    EXPECT_EQ(chapter.err, "Übersetzt: Schweiß → sweat, perspiration\n");
    EXPECT_NE(chapter.out.find("SECTION XXXIV : PERSPIRATION"), std::string::npos);
    EXPECT_EQ(chapter.out.find("SECTION XXXIII"), std::string::npos);
    EXPECT_EQ(runCli({"search", "--german", "open air"}).out, runCli({"search", "open air"}).out);
    EXPECT_EQ(runCli({"search", "--german", "--", "--german"}).out,
              runCli({"search", "--", "--german"}).out);
}

TEST(GermanSearchCli, HelpNamesTheOption) {
    const auto help = runCli({"search", "--help"});
    EXPECT_EQ(help.rc, 0);
    EXPECT_EQ(help.out.rfind("Aufruf: tessalyn-cli search [--german] [--chapter C] [--] TEXT\n", 0),
              0u);
}

TEST(VocabularyCli, ListsEveryEntryInTheFormOfTheVocabularyFile) {
    const auto all = runCli({"vocabulary"});
    ASSERT_EQ(all.rc, 0) << all.err;
    EXPECT_GE(lineCount(all.out), 600u);
    EXPECT_EQ(all.out.rfind("Kopf, Köpfe → head, scalp, occiput, vertex, forehead, temples\n", 0),
              0u);
    EXPECT_NE(all.out.find("\nKopfschmerz, Kopfschmerzen, Kopfweh → headache, head + pain, "
                           "cephalalgia\n"),
              std::string::npos);
    EXPECT_NE(all.out.find(" → -\n"), std::string::npos); // ignored words
}

TEST(VocabularyCli, OneWordItsStartOrTheEntriesItBegins) {
    auto run = runCli({"vocabulary", "schweiss"});
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.out, "Schweiß, Schwitzen, schwitzt, Schweiße → sweat, perspiration\n");

    run = runCli({"vocabulary", "Uebelk"});
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.out, "Uebelk: Anfang von \"Übelkeit\"\n"
                       "Übelkeit, übel, Brechübelkeit → nausea, loathing\n");

    run = runCli({"vocabulary", "Schm"});
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.out.rfind("Schm: Anfang von Wörtern mehrerer Einträge", 0), 0u);
    EXPECT_NE(run.out.find("\nSchmerz, Schmerzen, Weh → pain, aching, sore\n"), std::string::npos);

    run = runCli({"vocabulary", "xyzzy"});
    EXPECT_EQ(run.rc, 1);
    EXPECT_EQ(run.out, "");
    EXPECT_EQ(run.err, "tessalyn-cli: \"xyzzy\" steht nicht im Suchwörterbuch\n");

    run = runCli({"vocabulary", "a", "b"});
    EXPECT_EQ(run.rc, 2);
    run = runCli({"vocabulary", "--help"});
    EXPECT_EQ(run.rc, 0);
    EXPECT_EQ(run.out.rfind("Aufruf: tessalyn-cli vocabulary [--] [WORT]\n", 0), 0u);
}
