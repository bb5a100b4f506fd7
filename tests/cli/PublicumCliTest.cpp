#include "support/CliProcess.h"
#include "support/FileBytes.h"
#include "support/PublicumContent.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>
#include <string>
#include <vector>

// The companion on the Repertorium Publicum content, as a process of its own,
// against what a reading of the source of its own says
// (tests/content/publicum_sample.txt, made by tests/content/publicum_sample.py).

using namespace tessalyn;

namespace {

std::vector<std::string> split(const std::string& text, char separator) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find(separator, start)) != std::string::npos; start = at + 1) {
        parts.push_back(text.substr(start, at - start));
    }
    parts.push_back(text.substr(start));
    return parts;
}

// The records of the sample of one kind, each as its tab-separated fields
// after the kind.
std::vector<std::vector<std::string>> sample(const std::string& kind) {
    std::vector<std::vector<std::string>> records;
    std::istringstream in(test_support::readBytes(std::string(TESSALYN_SOURCE_DIR) +
                                                  "/tests/content/publicum_sample.txt"));
    for (std::string line; std::getline(in, line);) {
        std::vector<std::string> fields = split(line, '\t');
        if (fields[0] == kind) {
            fields.erase(fields.begin());
            records.push_back(fields);
        }
    }
    EXPECT_FALSE(records.empty()) << kind;
    return records;
}

// "name:value" items of a sample field; an empty field has none.
std::vector<std::pair<std::string, std::string>> items(const std::string& field) {
    std::vector<std::pair<std::string, std::string>> out;
    for (const std::string& item : split(field, ' ')) {
        if (!item.empty()) {
            const std::size_t colon = item.find(':');
            out.emplace_back(item.substr(0, colon), item.substr(colon + 1));
        }
    }
    return out;
}

// The lines of a run of the companion on the Publicum content.
class PublicumCli {
public:
    std::vector<std::string> run(std::vector<std::string> args) {
        args.insert(args.begin(), {"--content", test_support::publicumContentPath()});
        const test_support::CliRun r =
            test_support::runCliProcess(args, {false, -1, folder_.file("out.txt")});
        EXPECT_EQ(r.rc, 0) << args[2] << ": " << r.output;
        std::vector<std::string> lines = split(r.output, '\n');
        lines.pop_back(); // after the last line feed
        return lines;
    }

private:
    test_support::TempFolder folder_;
};

// The first cell of each result row (the symptom number; the remedy overview
// puts a blank after it), after the caption.
std::vector<std::string> rowNumbers(const std::vector<std::string>& lines) {
    std::vector<std::string> numbers;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        std::string number = split(lines[i], '\t')[0];
        numbers.push_back(number.substr(0, number.find(' ')));
    }
    return numbers;
}

} // namespace

TEST(PublicumCli, InfoRubricTextsAndGradesAreTheSources) {
    TESSALYN_SKIP_UNLESS_PUBLICUM_LOADS();
    PublicumCli cli;
    const std::vector<std::string> info = sample("info").front();
    EXPECT_EQ(cli.run({"info"}),
              (std::vector<std::string>{"chapters " + info[0], "headings " + info[1],
                                        "rubrics " + info[2], "remedies " + info[3],
                                        "entries " + info[4]}));

    // Each rubric: its texts and its remedies in list order.
    const auto rubrics = sample("rubric");
    std::vector<std::string> numbers;
    for (const std::vector<std::string>& r : rubrics) {
        numbers.push_back(r[0]);
        const std::vector<std::string> lines = cli.run({"rubric", r[0]});
        ASSERT_GE(lines.size(), 4u) << r[0];
        EXPECT_EQ(lines[0], "number\t" + r[0]);
        EXPECT_EQ(lines[1], "symptom\t" + r[1]);
        EXPECT_EQ(lines[2], "location\t" + r[2]);
        // Five abbreviations a line, each padded to 11 characters.
        std::string list = lines[3].substr(lines[3].find('\t') + 1);
        for (std::size_t i = 4; i < lines.size(); ++i) {
            list += " " + lines[i];
        }
        std::vector<std::string> listed;
        std::istringstream remedies(list);
        for (std::string a; remedies >> a;) {
            listed.push_back(a);
        }
        std::vector<std::string> expected;
        for (const auto& [abbreviation, grade] : items(r[3])) {
            expected.push_back(abbreviation);
        }
        EXPECT_EQ(listed, expected) << r[0];
    }

    // All of them as one case: the result table's rows hold each rubric's
    // texts and its remedies' grades under their columns.
    std::vector<std::string> args = {"evaluate", "--table", "--"};
    args.insert(args.end(), numbers.begin(), numbers.end());
    const std::vector<std::string> table = cli.run(args);
    ASSERT_EQ(table.size(), rubrics.size() + 2);
    const std::vector<std::string> header = split(table[0], '\t');
    for (std::size_t i = 0; i < rubrics.size(); ++i) {
        const std::vector<std::string>& r = rubrics[i];
        const std::vector<std::string> cells = split(table[i + 2], '\t');
        ASSERT_EQ(cells.size(), header.size());
        EXPECT_EQ(cells[0], r[1] + " (" + r[0] + ")");
        EXPECT_EQ(cells[1], r[2]);
        std::map<std::string, std::string> grades;
        for (std::size_t c = 2; c < cells.size(); ++c) {
            if (!cells[c].empty()) {
                grades[header[c]] = cells[c];
            }
        }
        const auto expected = items(r[3]);
        EXPECT_EQ(grades, (std::map<std::string, std::string>(expected.begin(), expected.end())))
            << r[0];
    }
}

TEST(PublicumCli, EvaluationRanksAsTheSourcesGradesGive) {
    TESSALYN_SKIP_UNLESS_PUBLICUM_LOADS();
    PublicumCli cli;
    std::vector<std::string> args = {"evaluate", "--"};
    for (const std::vector<std::string>& r : sample("rubric")) {
        args.push_back(r[0]);
    }
    std::vector<std::string> expected;
    for (const auto& [abbreviation, score] : items(sample("ranking").front()[0])) {
        const std::size_t colon = score.find(':');
        // No Publicum rubric has a counter-polar link: polarity differences are 0.
        expected.push_back(abbreviation + "\t" + score.substr(0, colon) + "\t" +
                           score.substr(colon + 1) + "\t0");
    }
    EXPECT_EQ(cli.run(args), expected);
}

TEST(PublicumCli, RemedyOverviewAndTextSearchFindWhatTheSourceHolds) {
    TESSALYN_SKIP_UNLESS_PUBLICUM_LOADS();
    PublicumCli cli;
    for (const std::vector<std::string>& r : sample("remedy")) {
        // The overview lets grade 1 and the grades of „Hochwertig“ (3, 4, 5)
        // through: rubrics where the remedy has grade 2 are not listed.
        std::vector<std::string> expected;
        for (const auto& [number, grade] : items(r[1])) {
            if (grade != "2") {
                expected.push_back(number);
            }
        }
        const std::vector<std::string> lines = cli.run({"remedy", "--", r[0]});
        ASSERT_FALSE(lines.empty());
        EXPECT_EQ(lines[0], "Mittel\xC3\xBC"
                            "bersicht: " +
                                r[0] + ", gefundene Symptome: " + std::to_string(expected.size()));
        EXPECT_EQ(rowNumbers(lines), expected) << r[0];
    }
    for (const std::vector<std::string>& s : sample("search")) {
        EXPECT_EQ(rowNumbers(cli.run({"search", "--", s[0]})), split(s[1], ' ')) << s[0];
    }
}
