#include "support/CliProcess.h"
#include "support/CliRun.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <algorithm>
#include <cstdio>
#include <sys/wait.h>

using namespace tessalyn;
using test_support::CliOutcome;
using test_support::runCli;
using test_support::TempFolder;
using ::testing::HasSubstr;
using ::testing::IsEmpty;

namespace {

using Args = std::vector<std::string>;

// Every spelling must give exactly the result of the first one.
void expectSameResults(const std::vector<Args>& spellings) {
    const CliOutcome first = runCli(spellings.front());
    EXPECT_EQ(first.rc, 0) << first.err;
    EXPECT_FALSE(first.out.empty());
    for (const Args& args : spellings) {
        const CliOutcome r = runCli(args);
        std::string call;
        for (const std::string& a : args) {
            call += a + ' ';
        }
        EXPECT_EQ(r.rc, first.rc) << call << r.err;
        EXPECT_EQ(r.out, first.out) << call;
        EXPECT_EQ(r.err, first.err) << call;
    }
}

int lineCount(const std::string& text) {
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

} // namespace

TEST(CommandLine, OptionsMayStandBeforeBetweenOrAfterThePositionals) {
    expectSameResults({
        {"evaluate", "--mode", "0", "--summary", "1", "-40", "12+34"},
        {"evaluate", "1", "--mode=0", "-40", "--summary", "12+34"},
        {"evaluate", "1", "-40", "12+34", "--summary", "--mode", "0"},
        {"evaluate", "--summary", "--mode=0", "--", "1", "-40", "12+34"},
        {"--content", std::string(TESSALYN_SOURCE_DIR) + "/data/repertory.tsv", "evaluate",
         "--summary", "1", "-40", "12+34", "--mode", "0"},
        {"evaluate", "--summary", "1", "-40",
         "--content=" + std::string(TESSALYN_SOURCE_DIR) + "/data/repertory.tsv", "12+34", "--mode",
         "0"},
    });
    expectSameResults({
        {"search", "--chapter", "3", "air"},
        {"search", "air", "--chapter=3"},
        {"search", "--chapter=3", "--", "air"},
    });
    expectSameResults({
        {"remedy", "--size", "1", "5", "--others", "--chapter", "4", "acon"},
        {"remedy", "acon", "--others", "--size", "1", "5", "--chapter=4"},
        {"remedy", "--others", "acon", "--chapter", "4", "--size", "1", "5"},
    });
    expectSameResults({{"rubric", "-5"}, {"rubric", "--", "-5"}});
}

TEST(CommandLine, HistoryOptionsMayStandAnywhereAndFileTheSameBytes) {
    TempFolder folder("cli-option-order");
    const std::string date = "06.12.2026 16:05";
    const std::vector<Args> spellings = {
        {"--date", date, "F", "Kopfschmerz", "erste Sitzung", "--", "12", "-7"},
        {"F", "--date=" + date, "Kopfschmerz", "erste Sitzung", "12", "-7"},
        {"F", "Kopfschmerz", "erste Sitzung", "12", "-7", "--date", date},
        {"F", "Kopfschmerz", "--date", date, "erste Sitzung", "--", "12", "-7"},
    };
    std::string expected;
    for (std::size_t i = 0; i < spellings.size(); ++i) {
        const std::string file = folder.file("h" + std::to_string(i) + ".xml");
        Args args = {"history", "add"};
        for (const std::string& a : spellings[i]) {
            args.push_back(a == "F" ? file : a);
        }
        const CliOutcome r = runCli(args);
        ASSERT_EQ(r.rc, 0) << r.err;
        const std::string bytes = test_support::readBytes(file);
        if (i == 0) {
            expected = bytes;
            EXPECT_THAT(bytes, HasSubstr("<Fall Name=\"Kopfschmerz\""));
            EXPECT_THAT(bytes, HasSubstr("Datum=\"06.12.2026 16:05\" Kommentar=\"erste Sitzung\""));
            EXPECT_THAT(bytes, HasSubstr("<Symptom Nummer=\"-7\"/>"));
        }
        EXPECT_EQ(bytes, expected) << i;
    }
    EXPECT_EQ(folder.names().size(), spellings.size());

    const std::string file = folder.file("h0.xml");
    expectSameResults(
        {{"history", "show", "--sort", "name", file}, {"history", "show", file, "--sort=name"}});
}

TEST(CommandLine, UnknownOptionsAndStrayArgumentsAreWrongCallsThatWriteNothing) {
    TempFolder folder("cli-unknown-options");
    const std::string file = folder.file("h.xml");
    const std::vector<Args> calls = {
        {"history", "add", "--bogus", file, "A", "B", "--", "1"},
        {"history", "add", file, "--bogus", "A", "B", "1"},
        {"history", "add", file, "A", "B", "1", "--bogus=1"},
        // The date option swallowing the file name must not make "--date" a file.
        {"history", "add", "--date", file, "Kopfschmerz", "Sitzung", "--", "12"},
        {"history", "export", file, folder.file("ziel.xml"), "--ziel"},
        {"history", "remove", "-x", file, "A"},
        {"evaluate", "1", "--summery"},
        {"evaluate", "1", "-abc"},
        {"search", "air", "--chapter=3", "-v"},
        {"--bogus", "info"},
        {"info", "--bogus"},
        // An argument before the subcommand would be dropped unread.
        {"history", file, "add", folder.file("b.xml"), "A", "B", "1"},
    };
    for (const Args& args : calls) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.rc, 2) << args[1];
        EXPECT_THAT(r.out, IsEmpty());
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
        EXPECT_THAT(r.err, ::testing::StartsWith("tessalyn-cli: ")) << r.err;
        EXPECT_THAT(folder.names(), IsEmpty()) << r.err;
    }
    EXPECT_THAT(runCli({"evaluate", "1", "--summery"}).err,
                HasSubstr("unbekannte Option --summery"));
    EXPECT_THAT(runCli({"frobnicate"}).err, HasSubstr("unbekannter Befehl frobnicate"));
    EXPECT_THAT(runCli({"history", "h.xml", "add", "b.xml", "A", "B", "1"}).err,
                HasSubstr("unerwartetes Argument h.xml vor add"));
}

TEST(CommandLine, MissingOrBadOptionValuesAreWrongCalls) {
    const std::vector<std::pair<Args, std::string>> calls = {
        {{"evaluate", "1", "--mode"}, "--mode braucht einen Wert"},
        {{"evaluate", "--mode", "-1", "1"}, "--mode erwartet 0, 1 oder 2, nicht -1"},
        {{"evaluate", "--mode=010", "1"}, "--mode erwartet 0, 1 oder 2, nicht 010"},
        {{"remedy", "acon", "--size", "3"}, "--size erwartet zwei ganze Zahlen"},
        {{"remedy", "acon", "--size", "3", "x"}, "--size erwartet zwei ganze Zahlen"},
        {{"search", "air", "--chapter", "32"}, "--chapter erwartet eine Kapitelnummer"},
        {{"history", "show", "h.xml", "--sort", "alter"}, "--sort erwartet name oder date"},
        {{"--content"}, "--content braucht einen Wert"},
    };
    for (const auto& [args, message] : calls) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.rc, 2) << message;
        EXPECT_THAT(r.err, HasSubstr(message));
        EXPECT_EQ(lineCount(r.err), 1) << r.err;
    }
}

TEST(CommandLine, AfterTheMarkEverythingIsAnArgument) {
    // "--summary" after "--" is a typed entry, which names no rubric.
    const CliOutcome marked = runCli({"evaluate", "--summary", "--", "1", "--table"});
    const CliOutcome plain = runCli({"evaluate", "--summary", "1"});
    EXPECT_EQ(marked.rc, 0) << marked.err;
    EXPECT_EQ(marked.out, plain.out);

    const CliOutcome search = runCli({"search", "--", "-x"});
    EXPECT_EQ(search.rc, 0) << search.err;
    EXPECT_THAT(search.out, HasSubstr("Kein Symptom gefunden"));

    // A negative number is a value where the command takes one, never an option.
    EXPECT_EQ(runCli({"evaluate", "--summary", "1", "-7"}).out,
              runCli({"evaluate", "--summary", "--", "1", "-7"}).out);
}

TEST(CommandLine, HelpAnywhereShowsTheCommandsGermanText) {
    const CliOutcome before = runCli({"search", "--help", "air"});
    const CliOutcome after = runCli({"search", "air", "-h"});
    EXPECT_EQ(before.rc, 0);
    EXPECT_EQ(before.out, after.out);
    EXPECT_THAT(before.out, ::testing::StartsWith("Aufruf: tessalyn-cli search"));

    TempFolder folder("cli-help");
    const CliOutcome history =
        runCli({"history", "add", folder.file("h.xml"), "A", "B", "1", "--help"});
    EXPECT_EQ(history.rc, 0);
    EXPECT_THAT(history.out, ::testing::StartsWith("Aufruf: tessalyn-cli history show"));
    EXPECT_THAT(folder.names(), IsEmpty());

    const CliOutcome top = runCli({"--help"});
    EXPECT_THAT(top.out, HasSubstr("Befehle:\n  info"));
    EXPECT_THAT(top.out, HasSubstr("Rückgabewerte: 0 Erfolg, 1 Fehler, 2 falscher Aufruf."));
}

TEST(CommandLine, FileNamesAreBytesAndTextsMustFitTheCodePage) {
    TempFolder folder("cli-file-names");
    // Two names that the code page cannot hold stay two files.
    for (const char* name : {"日記.xml", "病歴.xml"}) {
        const CliOutcome r = runCli({"history", "add", folder.file(name), "Fall", "", "12"});
        EXPECT_EQ(r.rc, 0) << r.err;
    }
    std::vector<std::string> names = folder.names();
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, (std::vector<std::string>{"日記.xml", "病歴.xml"}));

    // An existing file with such a name is read, and its name is said unchanged.
    const std::string russian = folder.file("Случай.xml");
    std::filesystem::copy_file(folder.file("日記.xml"), russian);
    const CliOutcome show = runCli({"history", "show", russian});
    EXPECT_EQ(show.rc, 0) << show.err;
    EXPECT_THAT(show.out, HasSubstr("Fall\n"));
    const CliOutcome missing = runCli({"history", "remove", russian, "Ärger"});
    EXPECT_EQ(missing.rc, 1);
    EXPECT_THAT(missing.err, HasSubstr("kein Fall \"Ärger\" in " + russian));

    // Umlauts go into the single-byte text; a character it lacks is refused by name.
    const std::string file = folder.file("h.xml");
    EXPECT_EQ(runCli({"history", "add", file, "Übelkeit", "süß", "12"}).rc, 0);
    EXPECT_THAT(test_support::readBytes(file), HasSubstr("Name=\"\xDC"
                                                         "belkeit\""));
    const std::string before = test_support::readBytes(file);
    const CliOutcome refused = runCli({"history", "add", file, "Fall", "Kopf 頭", "12"});
    EXPECT_EQ(refused.rc, 2);
    EXPECT_THAT(refused.err, HasSubstr("„頭“ (U+982D)"));
    EXPECT_EQ(test_support::readBytes(file), before);
    EXPECT_EQ(runCli({"search", "€ x"}).rc, 0);
    EXPECT_EQ(runCli({"search", "\xFF"}).rc, 2);
}

TEST(CommandLine, OptionFirstCallRunsAsAWholeProcess) {
    TempFolder folder("cli-process");
    const std::string file = folder.file("historie.xml");
    const std::string command = "cd '" + folder.path().string() + "' && '" + TESSALYN_CLI_PATH +
                                "' history add --date '06.12.2026 16:05' historie.xml "
                                "Kopfschmerz 'erste Sitzung' -- 12 -7 && '" +
                                TESSALYN_CLI_PATH + "' history add --bogus x.xml A B -- 1";
    const int status = std::system(command.c_str());
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 2);
    EXPECT_EQ(folder.names(), std::vector<std::string>{"historie.xml"});
    EXPECT_THAT(test_support::readBytes(file), HasSubstr("<Fall Name=\"Kopfschmerz\""));
}

TEST(CommandLine, EveryArgumentArrivesAsTypedInAWholeProcess) {
    TempFolder folder("cli-as-typed");
    const auto run = [&](const Args& args) {
        return test_support::runCliProcess(args, {false, -1, folder.file("out.txt")});
    };
    // Texts the parser library could take for lists, ends of subcommands or
    // options, filed as name and comment before and after the mark, and read
    // back.
    const std::vector<std::string> texts = {"[Frau, M]", "[101]", "a,b",      "x=y", "{k}",
                                            "\"q\"",     "'s'",   "++",       "%%",  "[]",
                                            "=",         "-x",    "--date=1", "-5"};
    int n = 0;
    for (const std::string& text : texts) {
        for (const bool afterMark : {false, true}) {
            if (!afterMark && text.front() == '-') {
                continue; // before the mark such a text is an option or a number
            }
            const std::string file = folder.file("h" + std::to_string(++n) + ".xml");
            Args args = {"history", "add", "--date", "06.12.2026 16:05", file};
            if (afterMark) {
                args.push_back("--");
            }
            args.insert(args.end(), {"N" + text, text, "12"});
            const test_support::CliRun added = run(args);
            EXPECT_EQ(added.rc, 0) << text << added.output;
            EXPECT_EQ(run({"history", "show", file}).output,
                      "N" + text + "\n\t06.12.2026 16:05 (" + text + ")\n\t\t12\n")
                << text << (afterMark ? " after --" : "");
        }
    }

    // Searches, option values and their messages.
    const std::vector<std::pair<Args, std::string>> calls = {
        {{"search", "--", "[101]"}, "Textuelle Symptomsuche: 5 gefundene Symptome\n"},
        {{"search", "[101]"}, "Textuelle Symptomsuche: 5 gefundene Symptome\n"},
        {{"search", "\x1F"
                    "41\x1F"},
         "Textuelle Symptomsuche: Kein Symptom gefunden\n"},
        {{"remedy", "--size", "1", "30", "acon"},
         "Mittel\xC3\xBC"
         "bersicht: acon."},
        {{"remedy", "acon", "--size", "[1,30]"}, "tessalyn-cli: --size erwartet zwei ganze Zahlen"},
        {{"evaluate", "--mode=[1]", "1"}, "--mode erwartet 0, 1 oder 2, nicht [1]\n"},
        {{"history", "add", folder.file("d.xml"), "--date=", "N", "k", "12"},
         "--date erwartet \"TT.MM.JJJJ HH:MM\", nicht \n"},
    };
    for (const auto& [args, expected] : calls) {
        const test_support::CliRun r = run(args);
        EXPECT_THAT(r.output, HasSubstr(expected)) << args[0] << " " << args[1];
    }
    EXPECT_TRUE(run({"remedy", "--size", "1", "30", "acon"}).output ==
                run({"remedy", "acon", "--size", "1", "30"}).output);
}
