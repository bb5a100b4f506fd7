#include "data/Cp1252.h"

#include <gtest/gtest.h>

using namespace tessalyn;

TEST(Cp1252, EveryHighByteRoundTripsThroughUtf8) {
    for (int b = 0x80; b <= 0xFF; ++b) {
        const std::string one(1, static_cast<char>(b));
        const std::string utf8 = cp1252ToUtf8(one);
        EXPECT_GE(utf8.size(), 2u) << "byte " << b;
        EXPECT_EQ(utf8ToCp1252(utf8), one) << "byte " << b;
    }
}

TEST(Cp1252, KnownCodePoints) {
    EXPECT_EQ(cp1252ToCodePoint(0x80), U'\u20AC');
    EXPECT_EQ(cp1252ToCodePoint(0x9F), U'\u0178');
    EXPECT_EQ(cp1252ToCodePoint(0xDF), U'\u00DF');
    EXPECT_EQ(cp1252ToCodePoint(0xA0), U'\u00A0');
    // The five bytes Windows-1252 leaves undefined map to the C1 controls.
    for (unsigned char b : {0x81, 0x8D, 0x8F, 0x90, 0x9D}) {
        EXPECT_EQ(cp1252ToCodePoint(b), static_cast<char32_t>(b));
    }
    EXPECT_EQ(cp1252ToUtf8("Fu\xDF"), "Fu\xC3\x9F");
    EXPECT_EQ(cp1252ToUtf8("\x80"), "\xE2\x82\xAC");
}

TEST(Cp1252, UnmappableAndMalformedUtf8BecomeReplacement) {
    EXPECT_EQ(utf8ToCp1252("a\xE2\x88\x9E"
                           "b"),
              "a?b"); // U+221E has no byte
    EXPECT_EQ(utf8ToCp1252("a\xC3"
                           "b"),
              "a?b");                                      // truncated sequence
    EXPECT_EQ(utf8ToCp1252("\xC0\xAF"), "??");             // overlong
    EXPECT_EQ(utf8ToCp1252("\xF0\x9F\x98\x80", '_'), "_"); // emoji
}

TEST(Cp1252, UpperCaseCoversTheCodePageLetters) {
    EXPECT_EQ(cp1252ToUpper(std::string_view("a\xE4\xF6\xFC\xDF\x9A\xFF\xF7z")),
              "A\xC4\xD6\xDC\xDF\x8A\x9F\xF7Z");
    EXPECT_TRUE(cp1252EqualsIgnoreCase("kopfschmerz \xFC", "KOPFSCHMERZ \xDC"));
    EXPECT_FALSE(cp1252EqualsIgnoreCase("abc", "abd"));
}

TEST(Cp1252, RepresentableUtf16Texts) {
    EXPECT_TRUE(isCp1252Representable(u""));
    EXPECT_TRUE(isCp1252Representable(u"DejaVu Sans \u00C4\u20AC\u0160"));
    EXPECT_FALSE(isCp1252Representable(u"Noto Sans \u0394")); // Greek capital delta
    EXPECT_FALSE(isCp1252Representable(u"Noto \U0001F600"));  // a surrogate pair
    // Code units the code page leaves undefined are kept as C1 controls.
    EXPECT_TRUE(isCp1252Representable(u"\u0081"));
    EXPECT_FALSE(isCp1252Representable(u"\u0080")); // 0x80 is the euro sign's byte
}
