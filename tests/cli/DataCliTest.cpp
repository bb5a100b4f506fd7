#include "data/ContentLoader.h"
#include "support/CliProcess.h"
#include "support/CliRun.h"
#include "support/FileBytes.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include <sys/stat.h>

using namespace tessalyn;
using test_support::CliOutcome;
using test_support::readBytes;
using test_support::runCli;

TEST(CliData, InfoPrintsTheFiveCounts) {
    const CliOutcome r = runCli({"info"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out, "chapters 32\nheadings 2315\nrubrics 8385\nremedies 358\nentries 159125\n");
}

TEST(CliData, DumpEqualsTheCommittedFile) {
    const CliOutcome r = runCli({"dump"});
    EXPECT_EQ(r.rc, 0);
    std::string expected;
    std::istringstream in(readBytes(std::string(TESSALYN_SOURCE_DIR) + "/data/repertory.tsv"));
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') {
            expected += line + "\n";
        }
    }
    EXPECT_EQ(r.out, expected);
}

TEST(CliData, RubricPrintsFourItemsAndNegativeNumbersShowThePositiveRubric) {
    const CliOutcome r = runCli({"rubric", "1"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(r.out.rfind("number\t1\nsymptom\tAfternoon, - In {0004} [101]\nlocation\t", 0), 0u)
        << r.out;
    EXPECT_NE(r.out.find("\nremedies\tAcon.       Aesc."), std::string::npos);
    EXPECT_EQ(r.out.find('\r'), std::string::npos);
    // 101 remedies in lines of five: 20 breaks inside the item.
    const std::string remedies = r.out.substr(r.out.find("remedies\t"));
    EXPECT_EQ(std::count(remedies.begin(), remedies.end(), '\n'), 21);

    const CliOutcome neg = runCli({"rubric", "-1"});
    EXPECT_EQ(neg.rc, 0);
    EXPECT_EQ(neg.out.substr(neg.out.find('\n')), r.out.substr(r.out.find('\n')));
    EXPECT_EQ(neg.out.rfind("number\t-1\n", 0), 0u);
}

TEST(CliData, RubricNumbersOutsideTheRepertoryAreWrongCalls) {
    for (const char* n : {"0", "8386", "-8386", "99999999999"}) {
        const CliOutcome r = runCli({"rubric", n});
        EXPECT_EQ(r.rc, 2) << n;
        EXPECT_TRUE(r.out.empty()) << n;
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
    EXPECT_NE(runCli({"rubric", "0"}).err.find("von 1 bis 8385 oder von -8385 bis -1"),
              std::string::npos);
    for (const char* n : {"8385", "-8385"}) {
        const CliOutcome r = runCli({"rubric", n});
        EXPECT_EQ(r.rc, 0) << n;
        EXPECT_NE(r.out.find("symptom\tWarts, - With Vomiting {6769}"), std::string::npos) << n;
    }
}

TEST(CliData, UsageErrorsExitTwoWithOneLine) {
    for (const auto& args : std::vector<std::vector<std::string>>{{},
                                                                  {"frobnicate"},
                                                                  {"--bogus", "info"},
                                                                  {"rubric"},
                                                                  {"rubric", "x"},
                                                                  {"info", "extra"},
                                                                  {"--content"}}) {
        const CliOutcome r = runCli(args);
        EXPECT_EQ(r.rc, 2);
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(CliData, ContentOptionLoadsAFileAndRefusesABrokenOne) {
    const test_support::TempFolder folder("tessalyn-cli-content");
    const std::filesystem::path& dir = folder.path();
    const std::string good = (dir / "good.tsv").string();
    const std::string bad = (dir / "bad.tsv").string();
    std::string dump = runCli({"dump"}).out;
    // Rename rubric 1 in the copy.
    const std::size_t at = dump.find("Afternoon, - In {0004}");
    ASSERT_NE(at, std::string::npos);
    std::string changed = dump;
    changed.replace(at, 9, "Forenoon");
    std::ofstream(good, std::ios::binary) << changed;
    const CliOutcome r = runCli({"--content", good, "rubric", "1"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_NE(r.out.find("symptom\tForenoon, - In {0004} [101]"), std::string::npos) << r.out;

    std::ofstream(bad, std::ios::binary) << dump.substr(0, dump.size() / 2);
    const CliOutcome b = runCli({"--content", bad, "info"});
    EXPECT_EQ(b.rc, 1);
    EXPECT_TRUE(b.out.empty());
    EXPECT_NE(b.err.find("bad.tsv"), std::string::npos) << b.err;
}

TEST(CliData, AnOverlayThatIsNoRegularFileIsSaidAndSkippedWithoutWaiting) {
    test_support::TempFolder folder("cli-overlay-special");
    const std::string overlay = folder.file("orvento.lang");
    const std::string plain = runCli({"info"}).out;
    const std::vector<std::pair<std::string, std::function<void()>>> kinds = {
        {"FIFO", [&] { ASSERT_EQ(::mkfifo(overlay.c_str(), 0600), 0); }},
        {"link to /dev/zero", [&] { std::filesystem::create_symlink("/dev/zero", overlay); }},
    };
    for (const auto& [kind, make] : kinds) {
        std::filesystem::remove(overlay);
        make();
        const test_support::CliRun run = test_support::runCliProcess(
            {"info"}, {false, -1, folder.file("out.txt")}, {folder.path().string(), 60});
        ASSERT_TRUE(run.exited) << kind << ": still waiting after a minute";
        EXPECT_EQ(run.rc, 0) << kind << run.output;
        EXPECT_EQ(run.output, "tessalyn-cli: „orvento.lang“ ist keine gewöhnliche Datei und wird "
                              "nicht gelesen; die Kapitel I bis VII behalten ihre eingebauten "
                              "Texte.\n" +
                                  plain)
            << kind;
    }
}
