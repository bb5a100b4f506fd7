#include "data/ContentLoader.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <sys/wait.h>
#include <vector>

using namespace tessalyn;
using tessalyn::test_support::TempFolder;

namespace {

using EvalRun = test_support::CliOutcome;

EvalRun evaluate(std::vector<std::string> args) {
    args.insert(args.begin(), "evaluate");
    return test_support::runCli(std::move(args));
}

std::vector<std::string> lines(const std::string& text) {
    std::vector<std::string> out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        out.push_back(line);
    }
    return out;
}

std::vector<std::string> fields(const std::string& line) {
    std::vector<std::string> out;
    std::size_t start = 0;
    for (;;) {
        const std::size_t tab = line.find('\t', start);
        out.push_back(line.substr(start, tab - start));
        if (tab == std::string::npos) {
            return out;
        }
        start = tab + 1;
    }
}

// A content file in `folder` in which rubric 12 has the counter-polarity 40.
std::string contentWithOpposite(const std::filesystem::path& folder) {
    RepertoryData data;
    ContentError error;
    EXPECT_TRUE(loadBuiltInContent(data, error)) << error.message();
    data.tables().rubrics[11].oppositeNumber = 40;
    const auto path = folder / "gegenpol.tsv";
    std::ofstream(path, std::ios::binary) << dumpContent(data);
    return path.string();
}

} // namespace

TEST(CliEvaluate, RankingListsEveryRemedyWithAHitInOrder) {
    const EvalRun r = evaluate({"1", "2"});
    EXPECT_EQ(r.rc, 0) << r.err;
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 128u);
    EXPECT_EQ(out[0], "Acon.\t2\t2\t0");
    EXPECT_EQ(fields(out[7])[0], "Bell.");
    EXPECT_EQ(fields(out[127])[1], "1");
}

TEST(CliEvaluate, SummaryCountsTheScoredEntries) {
    const EvalRun r = evaluate({"--summary", "1", "0", "abc", "2"});
    EXPECT_EQ(r.rc, 0);
    EXPECT_EQ(lines(r.out)[1], "separatorRow -1");
    EXPECT_EQ(lines(r.out)[2], "entries 2");

    // Items may start with "-"; after "--" even an option's name is an item.
    const EvalRun neg = evaluate({"--summary", "5", "-40"});
    EXPECT_EQ(neg.out, evaluate({"--summary", "--", "5", "-40"}).out);
    EXPECT_EQ(lines(neg.out)[1], "separatorRow 2");
    EXPECT_EQ(lines(neg.out)[2], "entries 2");
    const EvalRun dashes = evaluate({"--summary", "--", "--table", "7"});
    EXPECT_EQ(lines(dashes.out)[2], "entries 1");

    const EvalRun none = evaluate({"--summary"});
    EXPECT_EQ(none.out, "lastScoreIndex -1\nseparatorRow -1\nentries 0\n");
}

TEST(CliEvaluate, TableHasOneLinePerRowAndOneFieldPerColumn) {
    const EvalRun summary = evaluate({"--summary", "5", "-40"});
    const int last = std::stoi(lines(summary.out)[0].substr(15));
    const EvalRun r = evaluate({"--table", "5", "-40"});
    EXPECT_EQ(r.rc, 0);
    const std::vector<std::string> out = lines(r.out);
    ASSERT_EQ(out.size(), 4u);
    for (const std::string& line : out) {
        EXPECT_EQ(fields(line).size(), static_cast<std::size_t>(last + 3)) << line;
    }
    EXPECT_EQ(fields(out[1])[0], "Anzahl der Treffer");
    EXPECT_EQ(fields(out[1])[1], "");
    EXPECT_EQ(fields(out[3]).at(0).substr(0, 2), "- ");
}

TEST(CliEvaluate, ModesDecideWhereCounterPolaritiesGo) {
    const TempFolder folder;
    const std::string content = contentWithOpposite(folder.path());
    auto summary = [&](const std::string& mode) {
        std::vector<std::string> args = {"tessalyn-cli", "--content", content,
                                         "evaluate",     "--summary", "--mode",
                                         mode,           "12",        "5"};
        std::vector<const char*> argv;
        for (const std::string& a : args) {
            argv.push_back(a.c_str());
        }
        std::ostringstream out, err;
        EXPECT_EQ(cli::runCli(static_cast<int>(argv.size()), argv.data(), out, err), 0)
            << err.str();
        return lines(out.str());
    };
    EXPECT_EQ(summary("0")[1], "separatorRow -1"); // 12, -40, 5
    EXPECT_EQ(summary("0")[2], "entries 3");
    EXPECT_EQ(summary("1")[1], "separatorRow 3"); // 12, 5, -40
    EXPECT_EQ(summary("1")[2], "entries 3");
    EXPECT_EQ(summary("2")[2], "entries 2");
    std::filesystem::remove(content);
}

TEST(CliEvaluate, BadOptionsAreUsageErrors) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--mode", "3", "1"},
                                                 {"--mode"},
                                                 {"--mode", "x"},
                                                 {"--summary", "--table", "1"}}) {
        const EvalRun r = evaluate(args);
        EXPECT_EQ(r.rc, 2) << args[0];
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
    }
}

TEST(CliEvaluate, RunsAsAWholeProcess) {
    const std::string command = std::string(TESSALYN_CLI_PATH) + " evaluate --summary 1 2 -- -7";
    FILE* pipe = ::popen(command.c_str(), "r");
    ASSERT_NE(pipe, nullptr);
    std::string out;
    char buffer[256];
    while (std::fgets(buffer, sizeof buffer, pipe) != nullptr) {
        out += buffer;
    }
    const int status = ::pclose(pipe);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    EXPECT_EQ(lines(out).at(1), "separatorRow 3");
    EXPECT_EQ(lines(out).at(2), "entries 3");
}

TEST(CliEvaluate, WeightsAndEliminationChangeTheRankingAndShowInTheTable) {
    // Rubric 12: Bell. Calc. Ferr. Ruta.; rubric 8: Asaf. Calc. Elaps. Merc. Nux-v. Petr.
    const EvalRun weighted = evaluate({"--weight", "12=3", "12", "8", "--weight=8=0"});
    EXPECT_EQ(weighted.rc, 0) << weighted.err;
    EXPECT_EQ(lines(weighted.out), (std::vector<std::string>{"Bell.\t3\t3\t0", "Calc.\t3\t3\t0",
                                                             "Ferr.\t3\t3\t0", "Ruta.\t3\t3\t0"}));

    const EvalRun eliminated = evaluate({"--eliminate", "8", "12", "8", "-12"});
    EXPECT_EQ(eliminated.rc, 0) << eliminated.err;
    const std::vector<std::string> out = lines(eliminated.out);
    ASSERT_EQ(out.size(), 6u);
    EXPECT_EQ(out[0], "Calc.\t2\t2\t0");

    // The counter-polar entry -12 keeps no mark; the marks follow the row text.
    const EvalRun table =
        evaluate({"--table", "--weight", "12=2", "--eliminate", "12", "12", "-12", "5"});
    const std::vector<std::string> rows = lines(table.out);
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(fields(rows[2])[0], "Alcoholism, - After Operations {0021} [4] (12) ×2 [E]");
    EXPECT_EQ(fields(rows[3])[0], "- Alcoholism, - After Operations {0021} [4] (12)");
    EXPECT_EQ(fields(rows[4])[0].find("×"), std::string::npos);

    // Weight 1 and no mark change nothing at all.
    EXPECT_EQ(evaluate({"--table", "--weight", "1=1", "1", "2"}).out,
              evaluate({"--table", "1", "2"}).out);
}

TEST(CliEvaluate, BadWeightsAndEliminationsAreUsageErrors) {
    for (const std::vector<std::string>& args : {std::vector<std::string>{"--weight", "12=5", "12"},
                                                 {"--weight", "12=-1", "12"},
                                                 {"--weight", "0=1", "12"},
                                                 {"--weight", "8386=1", "12"},
                                                 {"--weight", "12", "12"},
                                                 {"--weight", "12=2=3", "12"},
                                                 {"--weight", "=2", "12"},
                                                 {"--weight", "12=", "12"},
                                                 {"--weight", "x=1", "12"},
                                                 {"12", "--weight"},
                                                 {"--eliminate", "0", "12"},
                                                 {"--eliminate", "8386", "12"},
                                                 {"--eliminate", "abc", "12"},
                                                 {"--eliminate", "12=1", "12"}}) {
        const EvalRun r = evaluate(args);
        EXPECT_EQ(r.rc, 2) << args[0] << " " << args[1];
        EXPECT_TRUE(r.out.empty());
        EXPECT_EQ(std::count(r.err.begin(), r.err.end(), '\n'), 1) << r.err;
        EXPECT_NE(r.err.find(args[0] == "12" ? "--weight" : args[0]), std::string::npos) << r.err;
    }
}
