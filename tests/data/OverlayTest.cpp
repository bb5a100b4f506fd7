#include "data/Overlay.h"
#include "TestContent.h"
#include "support/TempFolder.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <random>

using namespace tessalyn;
using tessalyn::test::builtIn;

namespace {

constexpr int kOverlayHeadings = 687;
constexpr int kOverlayRubrics = 2141;
constexpr int kOverlayLines = kOverlayChapterCount + kOverlayHeadings + kOverlayRubrics;

class OverlayTest : public ::testing::Test {
protected:
    void SetUp() override {
        dir_ = temp_.path();
        path_ = (dir_ / "orvento.lang").string();
        data_ = builtIn();
    }

    void write(const std::string& bytes) {
        std::ofstream out(path_, std::ios::binary);
        out << bytes;
    }

    test_support::TempFolder temp_{"tessalyn-overlay"};
    std::filesystem::path dir_;
    std::string path_;
    RepertoryData data_;
};

// The line of the overlay that holds record number `n` (0-based) in walk order.
std::string lineFor(int n) {
    return "L" + std::to_string(n);
}

} // namespace

TEST_F(OverlayTest, MissingOrEmptyFileChangesNothing) {
    const std::string before = dumpContent(data_);
    EXPECT_FALSE(loadOverlay(data_, (dir_ / "absent.lang").string()));
    EXPECT_EQ(dumpContent(data_), before);
    write("");
    EXPECT_FALSE(loadOverlay(data_, path_));
    EXPECT_EQ(dumpContent(data_), before);
    // A folder is no regular file: it is named and left alone.
    EXPECT_EQ(loadOverlay(data_, dir_.string()).value_or(""),
              "\x84" + dir_.string() +
                  "\x93 ist keine gew\xF6hnliche Datei und wird nicht gelesen; die Kapitel I bis "
                  "VII behalten ihre eingebauten Texte.");
    EXPECT_EQ(dumpContent(data_), before);
}

TEST_F(OverlayTest, FullFileReplacesChaptersOneToSevenOnly) {
    std::string text;
    for (int i = 0; i < kOverlayLines; ++i) {
        text += lineFor(i) + "\r\n";
    }
    text += "ignored\r\n";
    write(text);
    loadOverlay(data_, path_);
    const RepertoryData& d = data_;
    // Walk order: chapter title, then each heading followed by its rubrics.
    EXPECT_STREQ(d.chapter(0).text, "L0");
    EXPECT_STREQ(d.heading(0).text, "L1");
    EXPECT_STREQ(d.rubric(0).text, "L2");
    EXPECT_STREQ(d.chapter(1).text, lineFor(1 + d.chapter(0).headingEnd +
                                            d.heading(d.chapter(0).headingEnd - 1).rubricEnd)
                                        .c_str());
    EXPECT_STREQ(d.rubric(kOverlayRubrics - 1).text, lineFor(kOverlayLines - 1).c_str());
    EXPECT_STREQ(d.chapter(7).text, builtIn().chapter(7).text);
    EXPECT_STREQ(d.heading(kOverlayHeadings).text, builtIn().heading(kOverlayHeadings).text);
    EXPECT_STREQ(d.rubric(kOverlayRubrics).text, builtIn().rubric(kOverlayRubrics).text);
    // Numbers and links never change.
    EXPECT_EQ(d.rubric(0).entryCount, builtIn().rubric(0).entryCount);
}

TEST_F(OverlayTest, OneLineBlanksTheRestAndEmptyLinesKeepPositions) {
    write("Kapitel eins\r\n");
    loadOverlay(data_, path_);
    EXPECT_STREQ(data_.chapter(0).text, "Kapitel eins");
    EXPECT_STREQ(data_.heading(0).text, "");
    EXPECT_STREQ(data_.rubric(kOverlayRubrics - 1).text, "");
    EXPECT_STREQ(data_.chapter(6).text, "");
    EXPECT_STREQ(data_.rubric(kOverlayRubrics).text, builtIn().rubric(kOverlayRubrics).text);

    data_ = builtIn();
    write("T\r\nH\r\n\r\nnext\r\r\nlast"); // empty line, CR CR LF, last line without end
    loadOverlay(data_, path_);
    EXPECT_STREQ(data_.heading(0).text, "H");
    const int r0 = data_.heading(0).rubricEnd > 0 ? 0 : -1;
    ASSERT_EQ(r0, 0) << "the first heading of the content owns rubrics";
    EXPECT_STREQ(data_.rubric(0).text, "");
    EXPECT_STREQ(data_.rubric(1).text, "next");
    EXPECT_STREQ(data_.rubric(2).text, "last");
    EXPECT_STREQ(data_.rubric(3).text, "");
}

TEST_F(OverlayTest, LongLinesAreCutToTheirFieldAndLfOnlyIsOneLine) {
    const std::string longLine(5000, 'x');
    write(longLine + "\r\n" + longLine + "\r\n" + longLine + "\r\n");
    loadOverlay(data_, path_);
    EXPECT_EQ(std::string(data_.chapter(0).text), std::string(127, 'x'));
    EXPECT_EQ(std::string(data_.heading(0).text), std::string(199, 'x'));
    EXPECT_EQ(std::string(data_.rubric(0).text), std::string(255, 'x'));
    EXPECT_EQ(data_.chapter(0).headingEnd, 229) << "the field next to the text is untouched";

    data_ = builtIn();
    write("a\nb\nc\n");
    loadOverlay(data_, path_);
    EXPECT_STREQ(data_.chapter(0).text, "a\nb\nc\n");
    EXPECT_STREQ(data_.heading(0).text, "");

    // Reading stops after the most bytes the records can hold, so a line
    // longer than that ends the data.
    data_ = builtIn();
    write(std::string(700000, 'x') + "\r\nY\r\n");
    loadOverlay(data_, path_);
    EXPECT_EQ(std::string(data_.chapter(0).text), std::string(127, 'x'));
    EXPECT_STREQ(data_.heading(0).text, "");
}

TEST_F(OverlayTest, BlockBoundariesAtExactMultiplesOfTheBlockSize) {
    // 1000 and 2000 bytes: the end of data is found by a read that yields nothing.
    for (int size : {999, 1000, 1001, 2000}) {
        data_ = builtIn();
        std::string text = "A\r\n";
        text += std::string(static_cast<std::size_t>(size) - text.size() - 3, 'b');
        text += "\r\nZ";
        ASSERT_EQ(text.size(), static_cast<std::size_t>(size));
        write(text);
        loadOverlay(data_, path_);
        EXPECT_STREQ(data_.chapter(0).text, "A");
        EXPECT_EQ(std::string(data_.heading(0).text), std::string(199, 'b')) << size;
        EXPECT_STREQ(data_.rubric(0).text, "Z") << size;
        EXPECT_STREQ(data_.rubric(1).text, "") << size;
    }
}

TEST_F(OverlayTest, RandomBytesNeverWriteOutsideAField) {
    std::mt19937 rng(20261207);
    for (int round = 0; round < 5; ++round) {
        std::string bytes(200000, '\0');
        for (char& c : bytes) {
            const unsigned v = rng() % 300;
            c = v < 20 ? '\r' : v < 30 ? '\n' : static_cast<char>(v);
        }
        write(bytes);
        data_ = builtIn();
        loadOverlay(data_, path_);
        for (int c = 0; c < kChapterCount; ++c) {
            EXPECT_EQ(data_.chapter(c).headingEnd, builtIn().chapter(c).headingEnd);
        }
        for (int r = 0; r < kRubricCount; ++r) {
            ASSERT_EQ(data_.rubric(r).firstEntry, builtIn().rubric(r).firstEntry);
        }
    }
}
