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

// The messages are UTF-8 in the source and Windows-1252 in the program: the
// compile-time conversion gives every character of the code page its byte (the
// text holds a no-break and a soft hyphen after Ÿ and ¬), and a message keeps
// the bytes it had when it was written with escapes.
TEST(Cp1252, LiteralsAreConvertedAtCompileTime) {
    constexpr std::string_view kEveryCharacter = "€‚ƒ„…†‡ˆ‰Š‹ŒŽ‘’“”•–—˜™š›œžŸ ¡¢£¤¥¦§¨©ª«¬"
                                                 "­®¯°±²³´µ¶·¸¹º»¼½¾¿ÀÁÂÃÄÅÆÇÈÉÊËÌÍÎÏÐÑÒÓÔ"
                                                 "ÕÖ×ØÙÚÛÜÝÞßàáâãäåæçèéêëìíîïðñòóôõö÷øùúûü"
                                                 "ýþÿ"_cp1252;
    constexpr std::string_view kTheirBytes =
        "\x80\x82\x83\x84\x85\x86\x87\x88\x89\x8A\x8B\x8C\x8E\x91\x92\x93"
        "\x94\x95\x96\x97\x98\x99\x9A\x9B\x9C\x9E\x9F\xA0\xA1\xA2\xA3\xA4"
        "\xA5\xA6\xA7\xA8\xA9\xAA\xAB\xAC\xAD\xAE\xAF\xB0\xB1\xB2\xB3\xB4"
        "\xB5\xB6\xB7\xB8\xB9\xBA\xBB\xBC\xBD\xBE\xBF\xC0\xC1\xC2\xC3\xC4"
        "\xC5\xC6\xC7\xC8\xC9\xCA\xCB\xCC\xCD\xCE\xCF\xD0\xD1\xD2\xD3\xD4"
        "\xD5\xD6\xD7\xD8\xD9\xDA\xDB\xDC\xDD\xDE\xDF\xE0\xE1\xE2\xE3\xE4"
        "\xE5\xE6\xE7\xE8\xE9\xEA\xEB\xEC\xED\xEE\xEF\xF0\xF1\xF2\xF3\xF4"
        "\xF5\xF6\xF7\xF8\xF9\xFA\xFB\xFC\xFD\xFE\xFF";
    static_assert(kEveryCharacter == kTheirBytes);
    static_assert(std::string_view("Die Datei ist gr\xF6\xDF"
                                   "er als 64 MiB."
                                   " \xD7"
                                   "2") == "Die Datei ist größer als 64 MiB. ×2"_cp1252);
    static_assert(std::string_view("ASCII \t\"\\"_cp1252) == "ASCII \t\"\\");
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
