#include "support/CliProcess.h"
#include "support/CliRun.h"
#include "support/FileBytes.h"
#include "support/HistoryFixtures.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include <unistd.h>

using namespace tessalyn;
using test_support::CliOutcome;
using test_support::kKopfschmerz;
using test_support::readBytes;
using test_support::runCli;

namespace {

class HistoryCli : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        file_ = path("historie.xml");
    }
    std::string path(const std::string& name) const { return (dir_ / name).string(); }

    test_support::TempFolder temp_{"tessalyn-history-cli"};
    std::filesystem::path dir_;
    std::string file_;
};

} // namespace

TEST_F(HistoryCli, ShowPrintsTheTreeAndSortsOnRequest) {
    std::ofstream(file_, std::ios::binary)
        << "<Fallhistorie AnzahlFaelle=\"2\">"
           "<Fall Name=\"\xDC"
           "belkeit\" AnzahlBehandlungen=\"1\">"
           "<Behandlung Datum=\"01.01.2026 09:00\" Kommentar=\"zwei\r\r\nZeilen\" "
           "Preferiert=\"0\" AnzahlSymptome=\"1\"><Symptom Nummer=\"5\"/></Behandlung></Fall>"
           "<Fall Name=\"Angst\" AnzahlBehandlungen=\"0\"></Fall></Fallhistorie>"
        << "";
    std::ofstream(path("k.xml"), std::ios::binary) << kKopfschmerz;
    const std::string uebelkeit = "\xC3\x9C"
                                  "belkeit\n\t01.01.2026 09:00 (zwei Zeilen)\n\t\t5\n";

    CliOutcome r = runCli({"history", "show", file_});
    EXPECT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(r.out, uebelkeit + "Angst\n");
    r = runCli({"history", "show", file_, "--sort", "name"});
    EXPECT_EQ(r.out, "Angst\n" + uebelkeit);

    r = runCli({"history", "show", path("k.xml")});
    EXPECT_EQ(r.out, "Kopfschmerz\n\t06.12.2026 16:05 (erste Sitzung)\n\t\t12\n\t\t-7 BD 2\n");

    EXPECT_EQ(runCli({"history", "show", file_, "--sort", "size"}).rc, 2);
    EXPECT_EQ(runCli({"history", "show"}).rc, 2);
    EXPECT_EQ(runCli({"history", "frobnicate"}).rc, 2);
}

TEST_F(HistoryCli, ShowOfMissingEmptyAndBrokenFiles) {
    CliOutcome r = runCli({"history", "show", path("fehlt.xml")});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "");
    std::ofstream(file_, std::ios::binary) << "";
    r = runCli({"history", "show", file_});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "");

    // What was read whole is printed; the error goes to standard error.
    std::string broken = kKopfschmerz;
    broken.replace(broken.find("\"1\""), 3, "\"2\"");
    broken.resize(broken.size() - std::string("</Fallhistorie>\r\n").size());
    std::ofstream(file_, std::ios::binary) << broken;
    r = runCli({"history", "show", file_});
    EXPECT_EQ(r.rc, 1);
    EXPECT_EQ(r.out.rfind("Kopfschmerz\n", 0), 0u) << r.out;
    EXPECT_EQ(r.err,
              "Fehler:\nSyntax Error in Datei: " + file_ + "\nZeile: 8 Spalte: 0 Erwartet: <\n");
}

TEST_F(HistoryCli, AddFilesTheCaseAsTypedAndSaves) {
    CliOutcome r = runCli({"history", "add", file_, "--date", "06.12.2026 16:05", "Kopfschmerz",
                           "erste Sitzung", "12", "-7"});
    ASSERT_EQ(r.rc, 0) << r.err;
    // -7 is a typed counter-polar entry; a BD value cannot be typed validly,
    // so the second symptom is (-7, 0).
    std::string expected = kKopfschmerz;
    expected.replace(expected.find(" BD=\"2\""), 7, "");
    EXPECT_EQ(readBytes(file_), expected);

    // Same case in other letters; "12+34" files 12, "abc" and "0" are empty rows.
    r = runCli({"history", "add", file_, "--date=07.12.2026 08:30", "KOPFSCHMERZ", "zwei\nZeilen",
                "12+34", "abc", "0", "-40"});
    ASSERT_EQ(r.rc, 0) << r.err;
    const std::string bytes = readBytes(file_);
    EXPECT_NE(bytes.find("<Fall Name=\"Kopfschmerz\" AnzahlBehandlungen=\"2\">"),
              std::string::npos);
    EXPECT_NE(bytes.find("Datum=\"07.12.2026 08:30\" Kommentar=\"zwei\r\r\nZeilen\" "
                         "Preferiert=\"0\" AnzahlSymptome=\"2\">\r\n"
                         "\t\t\t<Symptom Nummer=\"12\"/>\r\n"
                         "\t\t\t<Symptom Nummer=\"-40\"/>\r\n"),
              std::string::npos)
        << bytes;

    EXPECT_EQ(runCli({"history", "add", file_, "--date", "6.12.2026", "A", "B", "1"}).rc, 2);
    EXPECT_EQ(runCli({"history", "add", file_, "A"}).rc, 2);
}

TEST_F(HistoryCli, AddLeavesOutCounterPolaritiesTheEvaluationAppends) {
    // Content in which rubric 12 has the counter-polarity 40.
    std::string dump = runCli({"dump"}).out;
    const std::size_t at = dump.find("\nrubric\t12\t");
    ASSERT_NE(at, std::string::npos);
    std::size_t field = at + 1;
    for (int i = 0; i < 4; ++i) {
        field = dump.find('\t', field) + 1;
    }
    const std::size_t end = dump.find('\t', dump.find('\t', field) + 1);
    dump.replace(field, end - field, "40\t0");
    const std::string content = path("content.tsv");
    std::ofstream(content, std::ios::binary) << dump;

    CliOutcome r = runCli({"--content", content, "evaluate", "--summary", "12"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_NE(r.out.find("entries 2"), std::string::npos) << r.out; // -40 appended

    r = runCli({"--content", content, "history", "add", file_, "--date", "01.01.2026 00:00", "P",
                "", "12", "3"});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = runCli({"history", "show", file_});
    EXPECT_EQ(r.out, "P\n\t01.01.2026 00:00 ()\n\t\t12\n\t\t3\n");
}

TEST_F(HistoryCli, BrokenFilesAreNeverWritten) {
    const std::string broken = "<Fallhistorie AnzahlFaelle=3>";
    std::ofstream(file_, std::ios::binary) << broken;
    for (const auto& args :
         std::vector<std::vector<std::string>>{{"history", "add", file_, "A", "B", "1"},
                                               {"history", "remove", file_, "A"},
                                               {"history", "export", file_, path("ziel.xml")}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.rc, 1) << args[1];
        EXPECT_EQ(r.err.rfind("Fehler:\nSyntax Error in Datei: ", 0), 0u) << r.err;
        EXPECT_EQ(readBytes(file_), broken);
    }
    EXPECT_FALSE(std::filesystem::exists(path("ziel.xml")));
}

TEST_F(HistoryCli, RemoveAndExport) {
    for (const char* name : {"A", "B"}) {
        for (const char* comment : {"eins", "zwei", "drei"}) {
            ASSERT_EQ(
                runCli({"history", "add", file_, "--date", "01.01.2026 00:00", name, comment, "1"})
                    .rc,
                0);
        }
    }
    CliOutcome r = runCli({"history", "remove", file_, "a", "1"});
    ASSERT_EQ(r.rc, 0) << r.err;
    r = runCli({"history", "remove", file_, "b"});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(runCli({"history", "show", file_}).out,
              "A\n\t01.01.2026 00:00 (eins)\n\t\t1\n\t01.01.2026 00:00 (drei)\n\t\t1\n");

    const std::string before = readBytes(file_);
    EXPECT_EQ(runCli({"history", "remove", file_, "C"}).rc, 1);
    EXPECT_EQ(runCli({"history", "remove", file_, "A", "2"}).rc, 1);
    EXPECT_EQ(runCli({"history", "remove", file_, "A", "x"}).rc, 2);
    EXPECT_EQ(readBytes(file_), before);

    r = runCli({"history", "export", file_, path("kopie.xml")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(path("kopie.xml")), before);
    r = runCli({"history", "export", path("fehlt.xml"), path("leer.xml")});
    ASSERT_EQ(r.rc, 0) << r.err;
    EXPECT_EQ(readBytes(path("leer.xml")),
              "<Fallhistorie AnzahlFaelle=\"0\">\r\n</Fallhistorie>\r\n");

    r = runCli({"history", "export", file_, path("nicht/da.xml")});
    EXPECT_EQ(r.rc, 1);
    EXPECT_NE(
        r.err.find("Die Fallhistorie konnte nicht gespeichert werden: " + path("nicht/da.xml")),
        std::string::npos)
        << r.err;
}

TEST_F(HistoryCli, NamesAreFiledWithoutBlanksOrControlsAndShownWithControlsVisible) {
    const auto run = [&](const std::vector<std::string>& args) {
        return test_support::runCliProcess(args, {false, -1, path("out.txt")});
    };
    const std::string refusal =
        "tessalyn-cli: Ein Fallname darf keine Zeilenumbrüche oder Steuerzeichen enthalten.\n";
    // Line breaks, other C0 controls, DEL and a C1 control (U+0081, byte 0x81).
    for (const std::string name :
         {"Frau\nM", "Frau\r\nM", "a\tb", "\x1B[2J", "x\x7F", "y\xC2\x81"}) {
        const test_support::CliRun r =
            run({"history", "add", file_, name, "k", "12", "--date", "06.12.2026 16:05"});
        EXPECT_EQ(r.rc, 2) << name;
        EXPECT_EQ(r.output, refusal) << name;
        EXPECT_FALSE(std::filesystem::exists(file_)) << name;
    }
    // Blanks around a name are not part of it: the same name files into one case.
    for (const std::string name : {"  Frau M \xC2\xA0", "Frau M"}) {
        EXPECT_EQ(run({"history", "add", file_, name, "k", "12", "--date", "06.12.2026 16:05"}).rc,
                  0);
    }
    EXPECT_EQ(run({"history", "show", file_}).output,
              "Frau M\n\t06.12.2026 16:05 (k)\n\t\t12\n\t06.12.2026 16:05 (k)\n\t\t12\n");

    // A file that holds such bytes still loads; show writes them visibly and a
    // backslash that would look like such a form is doubled.
    test_support::writeBytes(file_,
                             "<Fallhistorie AnzahlFaelle=\"1\">\r\n"
                             "\t<Fall Name=\"Frau\r\nM\x1B[2J\" AnzahlBehandlungen=\"1\">\r\n"
                             "\t\t<Behandlung Datum=\"06.12.2026 16:05\" "
                             "Kommentar=\"a\r\nb\nc\td\\\\te\\f\x81\x90\\\x7F\" Preferiert=\"0\" "
                             "AnzahlSymptome=\"1\">\r\n"
                             "\t\t\t<Symptom Nummer=\"12\"/>\r\n"
                             "\t\t</Behandlung>\r\n"
                             "\t</Fall>\r\n"
                             "</Fallhistorie>\r\n");
    const test_support::CliRun shown = run({"history", "show", file_});
    EXPECT_EQ(shown.rc, 0) << shown.output;
    EXPECT_EQ(shown.output, "Frau\\r\\nM\\x1B[2J\n"
                            "\t06.12.2026 16:05 (a b\\nc\\td\\\\\\\\te\\f\\x81\\x90\\\\\\x7F)\n"
                            "\t\t12\n");
}
