#include "support/CliRun.h"

#include <gtest/gtest.h>

#include <sstream>
#include <vector>

using namespace tessalyn;

namespace {

struct CliRun {
    int rc = -1;
    std::vector<std::string> lines;
    std::string err;
};

// The companion's run with its output as lines.
CliRun runCommand(const std::vector<std::string>& args) {
    const test_support::CliOutcome outcome = test_support::runCli(args);
    CliRun run;
    run.rc = outcome.rc;
    std::istringstream in(outcome.out);
    for (std::string line; std::getline(in, line);) {
        run.lines.push_back(line);
    }
    run.err = outcome.err;
    return run;
}

std::vector<std::string> cells(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (std::size_t tab; (tab = line.find('\t', start)) != std::string::npos; start = tab + 1) {
        out.push_back(line.substr(start, tab - start));
    }
    out.push_back(line.substr(start));
    return out;
}

} // namespace

TEST(SearchCli, PrintsCaptionThenOneLinePerHit) {
    const CliRun run = runCommand({"search", "open air"});
    ASSERT_EQ(run.rc, 0) << run.err;
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0], run.lines.size() == 2
                                ? "Textuelle Symptomsuche: 1 gefundenes Symptom"
                                : "Textuelle Symptomsuche: " +
                                      std::to_string(run.lines.size() - 1) + " gefundene Symptome");
    const auto first = cells(run.lines[1]);
    ASSERT_EQ(first.size(), 3u);
    EXPECT_EQ(first[0], "2");
    EXPECT_EQ(first[1], "Air, - While in the Open {0016} [82]");
}

TEST(SearchCli, EmptyTextListsTheRangeAndUtf8QueriesAreFolded) {
    CliRun run = runCommand({"search", ""});
    ASSERT_EQ(run.rc, 0);
    EXPECT_EQ(run.lines.size(), 8386u);
    EXPECT_EQ(run.lines[0], "Textuelle Symptomsuche: 8385 gefundene Symptome");

    run = runCommand({"search", "--chapter", "31", ""});
    ASSERT_EQ(run.rc, 0);
    EXPECT_EQ(run.lines.size(), 402u);
    EXPECT_EQ(cells(run.lines.back())[0], "8385");

    // A one-letter text is searched too.
    EXPECT_GT(runCommand({"search", "x"}).lines.size(), 1u);
    EXPECT_EQ(runCommand({"search", "zzqqxx"}).lines,
              std::vector<std::string>{"Textuelle Symptomsuche: Kein Symptom gefunden"});
    EXPECT_EQ(runCommand({"search", "Fu\xC3\x9F"}).lines, runCommand({"search", "FUSS"}).lines);
}

TEST(SearchCli, RemedyRowsKeepTheBlankAfterTheNumber) {
    CliRun run = runCommand({"remedy", "acon"});
    ASSERT_EQ(run.rc, 0) << run.err;
    ASSERT_GE(run.lines.size(), 2u);
    EXPECT_EQ(run.lines[0], "Mittel\xC3\xBC"
                            "bersicht: acon., gefundene Symptome: " +
                                std::to_string(run.lines.size() - 1));
    auto row = cells(run.lines[1]);
    ASSERT_EQ(row.size(), 3u);
    EXPECT_EQ(row[0], "1 ");
    EXPECT_EQ(row[1], "Afternoon, - In {0004} [101]");

    // --others alone adds nothing; with --size the fourth column appears.
    EXPECT_EQ(cells(runCommand({"remedy", "--others", "acon"}).lines[1]).size(), 3u);
    run = runCommand({"remedy", "--size", "1", "99", "--others", "Acon."});
    ASSERT_EQ(run.rc, 0);
    ASSERT_GE(run.lines.size(), 2u);
    row = cells(run.lines[1]);
    ASSERT_EQ(row.size(), 4u);
    EXPECT_EQ(row[0], "2 ");
    EXPECT_EQ(row[3].rfind("Acon.(1) ", 0), 0u);

    EXPECT_EQ(runCommand({"remedy", "nosuch"}).lines,
              std::vector<std::string>{"Mittel\xC3\xBC"
                                       "bersicht: nosuch., gefundene Symptome: 0"});
}

TEST(SearchCli, BadArgumentsAreUsageErrors) {
    for (const auto& args : std::vector<std::vector<std::string>>{
             {"search"},
             {"search", "a", "b"},
             {"search", "--chapter", "32", "a"},
             {"search", "--chapter"},
             {"search", "--bogus", "a"},
             {"remedy"},
             {"remedy", "--size", "1", "acon"},
             {"remedy", "--size", "1", "100", "acon"},
             {"remedy", "--chapter", "-1", "acon"},
         }) {
        const CliRun run = runCommand(args);
        EXPECT_EQ(run.rc, 2) << args[0] << " " << (args.size() > 1 ? args[1] : "");
        EXPECT_FALSE(run.err.empty());
    }
    // After "--" a text may start with a dash.
    EXPECT_EQ(runCommand({"search", "--", "-- compare"}).rc, 0);
}
