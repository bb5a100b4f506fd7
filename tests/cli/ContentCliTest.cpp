#include "data/ContentLoader.h"
#include "support/CliRun.h"
#include "support/TempFolder.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include <sys/stat.h>

using namespace tessalyn;
using test_support::CliOutcome;
using test_support::runCli;
using test_support::TempFolder;
using ::testing::HasSubstr;

namespace {

// Replaces the text (last field but the remedy list, or the last field) of
// the first record that starts with `prefix`.
void replaceField(std::string& dump, const std::string& prefix, int field,
                  const std::string& text) {
    const std::size_t line = dump.find("\n" + prefix);
    ASSERT_NE(line, std::string::npos) << prefix;
    std::size_t start = line + 1;
    for (int f = 0; f < field; ++f) {
        start = dump.find('\t', start) + 1;
    }
    const std::size_t end = dump.find_first_of("\t\n", start);
    dump.replace(start, end - start, text);
}

// `length` bytes of Windows-1252 text with umlauts, ß and the euro sign.
std::string germanText(std::size_t length) {
    const std::string pattern = "\xC4rger \xFC"
                                "ber \xF6"
                                "de Gr\xFC\xDF"
                                "e \x80 ";
    std::string text;
    while (text.size() < length) {
        text += pattern;
    }
    text.resize(length);
    return text;
}

} // namespace

TEST(ContentCli, DumpWritesTheBytesTheLoaderReadsBack) {
    TempFolder folder("cli-dump");
    std::string content = runCli({"dump"}).out;
    // Umlauts and texts that fill their fields, NUL excepted.
    replaceField(content, "chapter\t0\t", 3, germanText(kChapterTextSize - 1));
    replaceField(content, "heading\t0\t", 3, germanText(kHeadingTextSize - 1));
    replaceField(content, "rubric\t1\t", 6, germanText(kRubricTextSize - 1));
    const std::string file = folder.file("inhalt-\xC3\xA4.tsv"); // "inhalt-ä.tsv"
    std::ofstream(file, std::ios::binary) << content;

    const CliOutcome dumped = runCli({"--content", file, "dump"});
    ASSERT_EQ(dumped.rc, 0) << dumped.err;
    EXPECT_EQ(dumped.out, content);

    // The other commands still speak UTF-8 to the terminal.
    const CliOutcome rubric = runCli({"rubric", "1", "--content", file});
    EXPECT_EQ(rubric.rc, 0) << rubric.err;
    EXPECT_THAT(rubric.out, HasSubstr("symptom\t\xC3\x84rger \xC3\xBC"
                                      "ber \xC3\xB6"
                                      "de Gr\xC3\xBC\xC3\x9F"
                                      "e \xE2\x82\xAC "));
}

TEST(ContentCli, FilesThatAreNoContentAreRefusedWithAReason) {
    TempFolder folder("cli-content-files");
    const std::string fifo = folder.file("pipe");
    ASSERT_EQ(::mkfifo(fifo.c_str(), 0600), 0);
    const std::string large = folder.file("gross.tsv");
    std::ofstream(large, std::ios::binary) << "remedy\t0\tAcon.\n";
    std::filesystem::resize_file(large, kMaxContentFileSize + 1); // sparse, nothing written

    const std::vector<std::pair<std::string, std::string>> cases = {
        {folder.path().string(), "ein Verzeichnis"},
        {"/dev/zero", "keine gewöhnliche Datei"},
        {fifo, "keine gewöhnliche Datei"},
        {large, "größer als 64 MiB"},
        {folder.file("fehlt.tsv"), "gibt es nicht"},
        {folder.file("fehlt.tsv") + "/x", "gibt es nicht"},
    };
    for (const auto& [path, reason] : cases) {
        const CliOutcome r = runCli({"--content", path, "info"});
        EXPECT_EQ(r.rc, 1) << path;
        EXPECT_TRUE(r.out.empty()) << path;
        EXPECT_THAT(r.err, ::testing::StartsWith("tessalyn-cli: " + path + ": ")) << r.err;
        EXPECT_THAT(r.err, HasSubstr(reason)) << r.err;
    }
}

TEST(ContentCli, ACaseHoldsAtMostItsRowsAndSaysSo) {
    std::vector<std::string> args = {"evaluate", "--summary"};
    for (int i = 1; i <= 3000; ++i) {
        args.push_back(std::to_string(i));
    }
    const CliOutcome full = runCli(args);
    EXPECT_EQ(full.rc, 0) << full.err;
    EXPECT_THAT(full.out, HasSubstr("entries 3000\n"));

    args.push_back("3001");
    const CliOutcome over = runCli(args);
    EXPECT_EQ(over.rc, 2);
    EXPECT_TRUE(over.out.empty());
    EXPECT_THAT(over.err, HasSubstr("höchstens 3000 Zeilen"));

    TempFolder folder("cli-case-limit");
    const std::string file = folder.file("h.xml");
    std::vector<std::string> add = {"history", "add", file, "Fall", "zu lang"};
    add.insert(add.end(), args.begin() + 2, args.end());
    const CliOutcome filed = runCli(add);
    EXPECT_EQ(filed.rc, 2);
    EXPECT_THAT(filed.err, HasSubstr("höchstens 3000 Zeilen"));
    EXPECT_TRUE(folder.names().empty());
}
