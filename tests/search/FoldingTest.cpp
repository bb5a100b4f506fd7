#include "search/Folding.h"

#include <gtest/gtest.h>

using namespace tessalyn;

TEST(FoldForSearch, SharpSBecomesSsAndLettersBecomeCapitals) {
    EXPECT_EQ(foldForSearch("Fu\xDF"), "FUSS");
    EXPECT_EQ(foldForSearch("fuss"), "FUSS");
    EXPECT_EQ(foldForSearch("\xDF\xDF"), "SSSS");
    // Umlauts and the other accented letters get their capitals, not expanded.
    EXPECT_EQ(foldForSearch("\xE4\xF6\xFC\xE9\xFF\x9A"), "\xC4\xD6\xDC\xC9\x9F\x8A");
    EXPECT_EQ(foldForSearch("ae"), "AE");
    // Everything else stays: digits, brackets, the division sign, the micro sign, NBSP.
    EXPECT_EQ(foldForSearch("[101] {0004} \xF7\xB5\xA0-"), "[101] {0004} \xF7\xB5\xA0-");
    EXPECT_EQ(foldForSearch(""), "");
}

TEST(SplitSearchWords, CutsAtSingleBlanksAndLeavesOutEmptyPieces) {
    using W = std::vector<std::string>;
    EXPECT_EQ(splitSearchWords("open air"), (W{"OPEN", "AIR"}));
    EXPECT_EQ(splitSearchWords("  open   Fu\xDF "), (W{"OPEN", "FUSS"}));
    EXPECT_TRUE(splitSearchWords("").empty());
    EXPECT_TRUE(splitSearchWords("   ").empty());
    EXPECT_EQ(splitSearchWords("[101]"), (W{"[101]"}));
}

TEST(SplitSearchWords, NoWordOfALongQueryIsLeftOut) {
    std::string twenty;
    for (char c = 'a'; c < 'a' + 20; ++c) {
        twenty += c;
        twenty += ' ';
    }
    // Exactly 20 words (and a trailing blank): each is a word of its own.
    auto words = splitSearchWords(twenty);
    ASSERT_EQ(words.size(), 20u);
    EXPECT_EQ(words[18], "S");
    EXPECT_EQ(words[19], "T");

    // More than 20: the 20th word carries the rest of the text, blanks inside kept.
    words = splitSearchWords(twenty + "u  v  ");
    ASSERT_EQ(words.size(), 20u);
    EXPECT_EQ(words[18], "S");
    EXPECT_EQ(words[19], "T U  V");

    // Empty pieces do not use up any of the 20 places.
    words = splitSearchWords("a" + std::string(40, ' ') + "b");
    EXPECT_EQ(words, (std::vector<std::string>{"A", "B"}));
}

TEST(HoldsAtWordStart, OnlyWhereNoLetterOrDigitStandsBefore) {
    const struct {
        const char* text;
        const char* word;
        bool held;
    } cases[] = {
        {"COUGH", "COUGH", true},
        {"HICCOUGH", "COUGH", false},
        {"HICCOUGH, - COUGHING", "COUGH", true}, // a later occurrence counts
        {"DRY-COUGH", "COUGH", true},
        {"{4253}COUGH", "COUGH", true},
        {"3COUGH", "COUGH", false},
        {"\xC4"
         "COUGH",
         "COUGH", false}, // after an accented letter
        {"\x9C"
         "COUGH",
         "COUGH", false}, // after the letter oe
        {"COUG", "COUGH", false},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(holdsAtWordStart(c.text, c.word), c.held) << c.text;
    }
}
