#include "data/ContentLoader.h"
#include "TestContent.h"
#include "support/FileBytes.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <utility>

using namespace tessalyn;
using tessalyn::test::builtIn;

namespace {

std::string withoutComments(const std::string& text) {
    std::string out;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (!line.empty() && line[0] != '#') {
            out += line;
            out += '\n';
        }
    }
    return out;
}

// Replaces the first line that starts with `prefix` by `replacement`.
std::string replaceLine(std::string text, const std::string& prefix,
                        const std::string& replacement) {
    const std::size_t at = text.find("\n" + prefix);
    EXPECT_NE(at, std::string::npos) << prefix;
    const std::size_t end = text.find('\n', at + 1);
    return text.replace(at + 1, end - at - 1, replacement);
}

std::string lineStartingWith(const std::string& text, const std::string& prefix) {
    const std::size_t at = text.find("\n" + prefix);
    const std::size_t end = text.find('\n', at + 1);
    return text.substr(at + 1, end - at - 1);
}

// Loads `text` and expects it to be refused with a message containing `rule`.
void expectRefused(const std::string& text, const std::string& rule) {
    RepertoryData data = builtIn();
    const std::string before = dumpContent(data);
    ContentError error;
    EXPECT_FALSE(loadContent(text, data, error)) << rule;
    EXPECT_NE(error.message().find(rule), std::string::npos) << error.message();
    EXPECT_EQ(dumpContent(data), before) << "a refused content must not change the tables";
}

} // namespace

TEST(ContentLoader, BuiltInContentHasTheFixedSizes) {
    const RepertoryData& d = builtIn();
    long sum = 0;
    for (int i = 0; i < kRubricCount; ++i) {
        EXPECT_EQ(d.rubric(i).firstEntry, sum);
        sum += d.rubric(i).entryCount;
    }
    EXPECT_EQ(sum, kEntryCount);
    EXPECT_EQ(d.chapter(kChapterCount - 1).headingEnd, kHeadingCount);
    EXPECT_EQ(d.heading(kHeadingCount - 1).rubricEnd, kRubricCount);
}

TEST(ContentLoader, DumpEqualsTheCommittedFileWithoutComments) {
    const std::string file =
        test_support::readBytes(std::string(TESSALYN_SOURCE_DIR) + "/data/repertory.tsv");
    ASSERT_FALSE(file.empty());
    EXPECT_EQ(dumpContent(builtIn()), withoutComments(file));
}

TEST(ContentLoader, DumpLoadsBackToTheSameTables) {
    const std::string dump = dumpContent(builtIn());
    RepertoryData again;
    ContentError error;
    ASSERT_TRUE(loadContent(dump, again, error)) << error.message();
    EXPECT_EQ(dumpContent(again), dump);
}

TEST(ContentLoader, AcceptsCrLfAndCommentsAndBlankLines) {
    std::string dump = dumpContent(builtIn());
    std::string crlf = "# comment\n\n";
    for (char c : dump) {
        if (c == '\n') {
            crlf += '\r';
        }
        crlf += c;
    }
    RepertoryData d;
    ContentError error;
    ASSERT_TRUE(loadContent(crlf, d, error)) << error.message();
    EXPECT_EQ(dumpContent(d), dump);
}

TEST(ContentLoader, RefusesBrokenInvariantsNamingLineAndRule) {
    const std::string dump = dumpContent(builtIn());
    // Remedy index out of range in rubric 5's entries.
    {
        std::string line = lineStartingWith(dump, "rubric\t5\t");
        const std::size_t lastBlank = line.rfind(' ');
        line = line.substr(0, lastBlank + 1) + "358";
        expectRefused(replaceLine(dump, "rubric\t5\t", line), "remedy index 358");
    }
    // Non-contiguous entry runs.
    {
        std::string line = lineStartingWith(dump, "rubric\t2\t");
        line.replace(line.find("\t101\t"), 5, "\t102\t");
        const std::string text = replaceLine(dump, "rubric\t2\t", line);
        RepertoryData d;
        ContentError error;
        EXPECT_FALSE(loadContent(text, d, error));
        EXPECT_EQ(error.line, kRemedyCount + kChapterCount + kHeadingCount + 2);
        EXPECT_NE(error.rule.find("firstEntry"), std::string::npos) << error.rule;
    }
    // Decreasing heading ends.
    expectRefused(replaceLine(dump, "chapter\t1\t410\t", "chapter\t1\t200\tX"), "headingEnd 200");
    // Text longer than its field.
    expectRefused(replaceLine(dump, "chapter\t0\t", "chapter\t0\t229\t" + std::string(128, 'x')),
                  "chapter text longer than 127");
    // Duplicate abbreviation ignoring case.
    expectRefused(replaceLine(dump, "remedy\t1\t", "remedy\t1\tACON."), "repeats remedy 0");
    // A missing rubric line.
    {
        std::string text = dump;
        const std::string last = lineStartingWith(dump, "rubric\t8385\t");
        text.erase(text.find(last), last.size() + 1);
        expectRefused(text, "8384 rubrics");
    }
    // Remedy indexes must appear in order of first appearance.
    expectRefused(replaceLine(dump, "rubric\t1\t", "rubric\t1\t0\t101\t0\t0\tX\t5 1 2"),
                  "first appearance");
    // Garbage.
    expectRefused("rubric\tx\n", "rubric record needs 8");
    expectRefused("gibberish\n", "unknown record kind");
    expectRefused("", "0 remedies");
}

// Chapters and headings are two levels of one outline and are checked by the
// same rules; each message names its own level.
TEST(ContentLoader, ChapterAndHeadingRecordsAreRefusedAlike) {
    const std::string dump = dumpContent(builtIn());
    const auto chapterLine = [](int c) { return kRemedyCount + c + 1; };
    const auto headingLine = [](int h) { return kRemedyCount + kChapterCount + h + 1; };
    const auto refusal = [](const std::string& text) {
        RepertoryData d;
        ContentError error;
        EXPECT_FALSE(loadContent(text, d, error));
        return std::make_pair(error.line, error.rule);
    };
    using Refusal = std::pair<int, std::string>;

    EXPECT_EQ(refusal(replaceLine(dump, "chapter\t4\t", "chapter\t5\t700\tX")),
              Refusal(chapterLine(4), "chapter index 5 out of order, expected 4"));
    EXPECT_EQ(refusal(replaceLine(dump, "heading\t3\t", "heading\t4\t20\tX")),
              Refusal(headingLine(3), "heading index 4 out of order, expected 3"));
    EXPECT_EQ(refusal(replaceLine(dump, "heading\t3\t", "heading\t3\t20")),
              Refusal(headingLine(3), "heading record needs 4 tab-separated fields, found 3"));
    EXPECT_EQ(refusal(replaceLine(dump, "chapter\t2\t", "chapter\t2\t-1\tX")),
              Refusal(chapterLine(2), "headingEnd is not a non-negative decimal number: \"-1\""));
    EXPECT_EQ(
        refusal(replaceLine(dump, "heading\t7\t", "heading\t7\t20\t" + std::string(200, 'x'))),
        Refusal(headingLine(7), "heading text longer than 199 characters"));
    EXPECT_EQ(refusal(replaceLine(dump, "heading\t9\t", "heading\t9\t1\tX")),
              Refusal(headingLine(9), "rubricEnd 1 decreases or exceeds 8385"));
    EXPECT_EQ(refusal(replaceLine(dump, "chapter\t31\t", "chapter\t31\t2316\tX")),
              Refusal(chapterLine(31), "headingEnd 2316 decreases or exceeds 2315"));
    EXPECT_EQ(refusal(replaceLine(dump, "heading\t2314\t", "heading\t2314\t8384\tX")),
              Refusal(headingLine(2314), "the last rubricEnd must be 8385"));
    EXPECT_EQ(refusal(replaceLine(dump, "heading\t2314\t",
                                  lineStartingWith(dump, "heading\t2314\t") +
                                      "\nheading\t2315\t8385\tX")),
              Refusal(headingLine(2315), "more than 2315 headings"));
}

TEST(ContentLoader, MissingFileIsAnError) {
    RepertoryData d;
    ContentError error;
    EXPECT_FALSE(loadContentFile("/nonexistent/repertory.tsv", d, error));
    EXPECT_EQ(error.message(), "Die Datei gibt es nicht.");
}
