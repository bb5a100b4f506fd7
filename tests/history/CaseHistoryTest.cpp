#include "history/CaseHistory.h"
#include "history/QuoteCoding.h"
#include "support/FileBytes.h"
#include "support/HistoryFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <random>
#include <sstream>
#include <string>
#include <vector>

using namespace tessalyn;
using tessalyn::test_support::readBytes;
using tessalyn::test_support::writeBytes;
using test_support::filingEntries;
using test_support::kKopfschmerz;
using test_support::kNoEntries;

namespace {

CaseHistory loaded(const std::string& bytes, CollectingHistoryReporter* reporter = nullptr) {
    CaseHistory h;
    h.loadBytes(bytes, "h.xml", reporter);
    return h;
}

std::vector<std::string> names(const CaseHistory& h) {
    std::vector<std::string> list;
    for (const auto& c : h.cases()) {
        list.push_back(c->name);
    }
    return list;
}

} // namespace

TEST(CaseHistoryFile, KopfschmerzIsEightLinesByteForByte) {
    const test_support::TempFolder dir("tessalyn-history");
    const std::string path = dir.file("historie.xml");
    CaseHistory h(path);
    EXPECT_EQ(h.loadStatus(), HistoryLoadStatus::NoFile);
    EXPECT_FALSE(h.loadOk());
    h.fileCase("Kopfschmerz", "erste Sitzung", filingEntries({{12, 0}, {-7, 2}}),
               "06.12.2026 16:05");
    ASSERT_TRUE(h.save());
    EXPECT_EQ(readBytes(path), kKopfschmerz);

    CaseHistory back(path);
    EXPECT_TRUE(back.loadOk());
    ASSERT_EQ(back.caseCount(), 1u);
    const Treatment& t = *back.cases()[0]->treatments.at(0);
    EXPECT_EQ(t.date, "06.12.2026 16:05");
    EXPECT_EQ(t.comment, "erste Sitzung");
    EXPECT_EQ(t.preferred, 0);
    EXPECT_EQ(t.symptoms, (std::vector<SymptomRef>{{12, 0}, {-7, 2}}));
}

TEST(CaseHistoryFile, EmptyHistoryIsTwoLines) {
    EXPECT_EQ(CaseHistory().fileBytes(),
              "<Fallhistorie AnzahlFaelle=\"0\">\r\n</Fallhistorie>\r\n");
    EXPECT_TRUE(loaded("<Fallhistorie AnzahlFaelle=\"0\">\r\n</Fallhistorie>\r\n").loadOk());
}

TEST(CaseHistoryFile, FilingFindsTheCaseIgnoringCaseUmlautsIncluded) {
    CaseHistory h;
    h.fileCase("Kopfschmerz", "", filingEntries({{1, 0}}), "01.01.2026 10:00");
    h.fileCase("\xC4rger", "", filingEntries({{2, 0}}), "01.01.2026 10:00"); // Ärger
    h.fileCase("kopfschmerz", "", filingEntries({{3, 0}}), "02.01.2026 10:00");
    h.fileCase("\xE4RGER", "", filingEntries({{4, 0}}), "02.01.2026 10:00"); // äRGER
    h.fileCase("", "", kNoEntries, "03.01.2026 10:00");
    EXPECT_EQ(names(h), (std::vector<std::string>{"Kopfschmerz", "\xC4rger", ""}));
    EXPECT_EQ(h.cases()[0]->treatments.size(), 2u);
    EXPECT_EQ(h.cases()[0]->treatments[1]->symptoms[0].number, 3);
    EXPECT_EQ(h.cases()[1]->treatments.size(), 2u);
    EXPECT_EQ(h.findCase("KOPFSCHMERZ"), h.cases()[0].get());
    EXPECT_EQ(h.findCase("Kopf"), nullptr);
}

TEST(CaseHistoryFile, AutoAddedEntriesAndChainsAreNotFiled) {
    CaseHistory h;
    std::vector<FilingEntry> onlyAdded = {{{-40, 0}, true}, {{-41, 0}, true}};
    const Treatment& none = h.fileCase("A", "", onlyAdded, "01.01.2026 10:00");
    EXPECT_TRUE(none.symptoms.empty());
    EXPECT_NE(h.fileBytes().find("AnzahlSymptome=\"0\">\r\n\t\t</Behandlung>"), std::string::npos);

    // A row typed as "12+34" files only 12.
    std::vector<CaseEntry> caseEntries;
    caseEntries.emplace_back(12, 0);
    caseEntries.back().next = std::make_unique<CaseEntry>(34, 0);
    caseEntries.emplace_back(-40, 0, true);
    caseEntries.emplace_back(7, 3);
    const Treatment& t = h.fileCase("B", "", std::span<const CaseEntry>(caseEntries), "x");
    EXPECT_EQ(t.symptoms, (std::vector<SymptomRef>{{12, 0}, {7, 3}}));
}

TEST(CaseHistoryFile, TextsRoundTripExactly) {
    const test_support::TempFolder dir("tessalyn-history");
    const std::string path = dir.file("historie.xml");
    const std::vector<std::string> texts = {"it's",
                                            "\"",
                                            ".'",
                                            ".''",
                                            "a\r\nb\r\n",
                                            "  f\xFChrende Blanks",
                                            "\r\nvorn",
                                            "<>&= \t\xDF",
                                            "'\".'.\"'",
                                            "",
                                            "\xE4\xF6\xFC\xC4\xD6\xDC"};
    CaseHistory h(path);
    for (const std::string& t : texts) {
        h.fileCase(t + "#", t, filingEntries({{1, 0}}), "01.01.2026 10:00");
    }
    ASSERT_TRUE(h.save());
    // A comment's line break goes to disk as CR CR LF.
    EXPECT_NE(readBytes(path).find("Kommentar=\"a\r\r\nb\r\r\n\""), std::string::npos);
    EXPECT_NE(readBytes(path).find("Name=\"it.'s#\""), std::string::npos);
    CaseHistory back(path);
    ASSERT_TRUE(back.loadOk());
    ASSERT_EQ(back.caseCount(), texts.size());
    for (std::size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(back.cases()[i]->name, texts[i] + "#");
        EXPECT_EQ(back.cases()[i]->treatments[0]->comment, texts[i]);
    }
    EXPECT_EQ(back.fileBytes(), h.fileBytes());
}

TEST(CaseHistoryFile, QuoteCodingIsAnExactInverse) {
    EXPECT_EQ(encodeQuotes("it's"), "it.'s");
    EXPECT_EQ(encodeQuotes("\""), ".''");
    EXPECT_EQ(decodeQuotes(".''"), "\"");
    EXPECT_EQ(decodeQuotes("no quote ."), "no quote .");
    // Every text over the characters that matter, up to length 6.
    const std::string alphabet = ".'\"a";
    std::mt19937 random(5);
    for (int n = 0; n < 20000; ++n) {
        std::string t;
        for (int k = static_cast<int>(random() % 7); k > 0; --k) {
            t += alphabet[random() % alphabet.size()];
        }
        ASSERT_EQ(decodeQuotes(encodeQuotes(t)), t) << t;
        ASSERT_EQ(encodeQuotes(t).find('"'), std::string::npos) << t;
    }
}

TEST(CaseHistoryFile, OtherSpellingsReadTheSame) {
    const std::string upper =
        "<FALLHISTORIE ANZAHLFAELLE=\"1\"><FALL NAME=\"Kopfschmerz\" ANZAHLBEHANDLUNGEN=\"1\">"
        "<BEHANDLUNG DATUM=\"06.12.2026 16:05\" KOMMENTAR=\"erste Sitzung\" PREFERIERT=\"0\" "
        "ANZAHLSYMPTOME=\"2\"><SYMPTOM NUMMER=\"12\"/><SYMPTOM NUMMER=\"-7\" bd=\"2\"/>"
        "</BEHANDLUNG></FALL></FALLHISTORIE>";
    const std::string spread =
        "<\n Fallhistorie\tAnzahlFaelle =\r\n\"1\"\f>\v< Fall Name= \"Kopfschmerz\" "
        "AnzahlBehandlungen=\" 1x\"><Behandlung Datum=\"06.12.2026 16:05\" Kommentar=\"erste "
        "Sitzung\" Preferiert=\"+0\" AnzahlSymptome=\"2\"><Symptom Nummer=\"12\" / ><Symptom "
        "Nummer=\"-7\" BD=\"2\"/></Behandlung></Fall></Fallhistorie> Rest wird nicht gelesen <<";
    for (const std::string& text : {upper, spread}) {
        CaseHistory h = loaded(text);
        EXPECT_TRUE(h.loadOk()) << text;
        EXPECT_EQ(h.fileBytes(), kKopfschmerz) << text;
    }
}

TEST(CaseHistoryFile, SyntaxErrorsAreReportedOnceAndKeepOnlyWholeCases) {
    struct Case {
        std::string text;
        std::string error;
        std::vector<std::string> kept;
    };
    const std::string head = "<Fallhistorie AnzahlFaelle=\"2\">\r\n";
    const std::string one = "\t<Fall Name=\"Eins\" AnzahlBehandlungen=\"0\">\r\n\t</Fall>\r\n";
    const std::vector<Case> cases = {
        // A count larger than the cases that follow.
        {head + one + "</Fallhistorie>\r\n",
         "Zeile: 4 Spalte: 2 Erwartet: IDS_Identifier\n",
         {"Eins"}},
        // A value without quotes on the third line.
        {std::string(kKopfschmerz).replace(std::string(kKopfschmerz).find("\"0\""), 3, "0"),
         "Zeile: 3 Spalte: 91 Erwartet: IDS_String\n",
         {}},
        // An attribute Grad after Nummer; the unfinished second case is dropped.
        {head + one +
             "\t<Fall Name=\"Zwei\" AnzahlBehandlungen=\"1\">\r\n\t\t<Behandlung Datum=\"\" "
             "Kommentar=\"\" Preferiert=\"0\" AnzahlSymptome=\"1\">\r\n\t\t\t<Symptom "
             "Nummer=\"3\" Grad=\"2\"/>",
         "Zeile: 6 Spalte: 48 Erwartet: IDS_Identifier\n",
         {"Eins"}},
        // A negative count fails and reads nothing more.
        {"<Fallhistorie AnzahlFaelle=\"-1\">\r\n</Fallhistorie>\r\n",
         "Zeile: 1 Spalte: 30 Erwartet: Integer\n",
         {}},
        {head + one + "\t<Fall Name=\"Zwei\" AnzahlBehandlungen=\"-2\"></Fall></Fallhistorie>",
         "Zeile: 4 Spalte: 49 Erwartet: Integer\n",
         {"Eins"}},
    };
    for (const Case& c : cases) {
        CollectingHistoryReporter reporter;
        CaseHistory h = loaded(c.text, &reporter);
        EXPECT_FALSE(h.loadOk()) << c.text;
        EXPECT_EQ(h.loadStatus(), HistoryLoadStatus::SyntaxError);
        ASSERT_EQ(reporter.messages().size(), 1u) << c.text;
        EXPECT_EQ(reporter.messages()[0], "Fehler:\nSyntax Error in Datei: h.xml\n" + c.error)
            << c.text;
        EXPECT_EQ(h.errorText(), reporter.messages()[0]);
        EXPECT_EQ(names(h), c.kept) << c.text;
    }
}

TEST(CaseHistoryFile, MissingAndEmptyFilesAreEmptyWithoutMessage) {
    const test_support::TempFolder dir("tessalyn-history");
    writeBytes(dir.file("leer.xml"), "");
    for (const std::string& path : {dir.file("fehlt.xml"), dir.file("leer.xml")}) {
        CollectingHistoryReporter reporter;
        CaseHistory h(path, &reporter);
        EXPECT_EQ(h.loadStatus(), HistoryLoadStatus::NoFile);
        EXPECT_EQ(h.caseCount(), 0u);
        EXPECT_TRUE(reporter.messages().empty());
        EXPECT_EQ(h.fileName(), path);
    }
}

TEST(CaseHistoryModel, RemovingKeepsTheRestInOrder) {
    CaseHistory h;
    for (const char* name : {"A", "B", "C"}) {
        h.fileCase(name, "1", kNoEntries, "01.01.2026 10:00");
        h.fileCase(name, "2", kNoEntries, "01.01.2026 10:00");
        h.fileCase(name, "3", kNoEntries, "01.01.2026 10:00");
    }
    FiledCase& b = *h.cases()[1];
    h.removeTreatment(b, b.treatments[1].get());
    ASSERT_EQ(b.treatments.size(), 2u);
    EXPECT_EQ(b.treatments[0]->comment, "1");
    EXPECT_EQ(b.treatments[1]->comment, "3");
    h.removeCase(h.cases()[0].get());
    EXPECT_EQ(names(h), (std::vector<std::string>{"B", "C"}));

    // The last treatment deleted: the case stays, with a count of 0.
    FiledCase& c = *h.cases()[1];
    while (!c.treatments.empty()) {
        h.removeTreatment(c, c.treatments.back().get());
    }
    EXPECT_EQ(names(h), (std::vector<std::string>{"B", "C"}));
    EXPECT_NE(h.fileBytes().find("\t<Fall Name=\"C\" AnzahlBehandlungen=\"0\">\r\n\t</Fall>\r\n"),
              std::string::npos);
}

TEST(CaseHistoryModel, SortByNameIsTheQuicksortOrderIgnoringCase) {
    // findCase would merge equal names, so file distinct ones and cut them.
    CaseHistory four;
    for (const char* name : {"b1", "a1", "B2", "A2"}) {
        four.fileCase(name, "", kNoEntries, "01.01.2026 10:00");
    }
    for (const auto& c : four.cases()) {
        c->name.pop_back();
    }
    four.sortCases(true);
    EXPECT_TRUE(four.orderByName());
    // Equal names end in the order the partitioning leaves them, not stably.
    EXPECT_EQ(names(four), (std::vector<std::string>{"A", "a", "b", "B"}));

    CaseHistory umlauts;
    for (const char* name : {"\xFC"
                             "bel1",
                             "Zahn2",
                             "\xDC"
                             "belkeit3",
                             "abend4", "Abend5"}) {
        umlauts.fileCase(name, "", kNoEntries, "");
    }
    for (const auto& c : umlauts.cases()) {
        c->name.pop_back();
    }
    umlauts.sortCases(true);
    const std::vector<std::string> expected = {"Abend", "abend", "Zahn",
                                               "\xFC"
                                               "bel",
                                               "\xDC"
                                               "belkeit"};
    EXPECT_EQ(names(umlauts), expected);
}

TEST(CaseHistoryModel, SortByDateUsesTheLastTreatment) {
    CaseHistory h;
    h.fileCase("Leer", "", kNoEntries, "x");
    h.removeTreatment(*h.cases()[0], h.cases()[0]->treatments[0].get());
    // Alt has a newer first treatment, but its last one is older than Neu's.
    h.fileCase("Alt", "", kNoEntries, "05.03.2026 09:00");
    h.fileCase("Alt", "", kNoEntries, "01.02.2026 08:00");
    h.fileCase("Neu", "", kNoEntries, "28.02.2026 23:59");
    h.fileCase("Minute", "", kNoEntries, "28.02.2026 23:58");
    h.fileCase("Jahr", "", kNoEntries, "01.01.2027 00:00");
    h.sortCases(false);
    EXPECT_FALSE(h.orderByName());
    EXPECT_EQ(names(h), (std::vector<std::string>{"Jahr", "Neu", "Minute", "Alt", "Leer"}));
}

TEST(CaseHistoryModel, LabelsAndDates) {
    Treatment t;
    t.date = "06.12.2026 16:05";
    t.comment = "erste\r\nSitzung\r\n";
    EXPECT_EQ(treatmentLabel(t), "06.12.2026 16:05 (erste Sitzung )");
    t.comment.clear();
    EXPECT_EQ(treatmentLabel(t), "06.12.2026 16:05 ()");

    std::tm time{};
    time.tm_mday = 6;
    time.tm_mon = 11;
    time.tm_year = 126;
    time.tm_hour = 16;
    time.tm_min = 5;
    EXPECT_EQ(formatHistoryDate(time), "06.12.2026 16:05");
}
