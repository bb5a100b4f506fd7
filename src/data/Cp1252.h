#pragma once

#include <array>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessalyn {

// All texts of the program are single-byte Windows-1252. These are the only
// conversions to and from Unicode; the user interface and the command-line
// companion call them at their edges, the core never does at run time. The
// core's own messages are UTF-8 source text that "..."_cp1252 turns into
// Windows-1252 when the program is compiled.

namespace detail {

// Code points of the bytes 0x80..0x9F; the rest of the code page equals Latin-1.
inline constexpr std::array<char32_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178};

// Decodes the UTF-8 sequence at text[i]: its code point and length in bytes.
// False for a malformed or overlong sequence, whose length is then 1.
constexpr bool decodeUtf8(std::string_view text, std::size_t i, char32_t& cp, std::size_t& len) {
    const auto b0 = static_cast<unsigned char>(text[i]);
    if (b0 < 0x80) {
        cp = b0;
        len = 1;
        return true;
    }
    if ((b0 & 0xE0) == 0xC0) {
        cp = b0 & 0x1F;
        len = 2;
    } else if ((b0 & 0xF0) == 0xE0) {
        cp = b0 & 0x0F;
        len = 3;
    } else if ((b0 & 0xF8) == 0xF0) {
        cp = b0 & 0x07;
        len = 4;
    } else {
        len = 1;
        return false;
    }
    bool ok = i + len <= text.size();
    for (std::size_t k = 1; ok && k < len; ++k) {
        const auto b = static_cast<unsigned char>(text[i + k]);
        if ((b & 0xC0) != 0x80) {
            ok = false;
        } else {
            cp = (cp << 6) | (b & 0x3F);
        }
    }
    // Reject overlong forms so that every code point has one spelling.
    constexpr char32_t kMinimum[5] = {0, 0, 0x80, 0x800, 0x10000};
    if (!ok || cp < kMinimum[len] || cp > 0x10FFFF) {
        len = 1;
        return false;
    }
    return true;
}

} // namespace detail

// Unicode code point of one Windows-1252 byte. The five bytes that Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the
// same value, as Windows does.
constexpr char32_t cp1252ToCodePoint(unsigned char byte) {
    if (byte >= 0x80 && byte <= 0x9F) {
        return detail::kHighControls[byte - 0x80];
    }
    return byte;
}

// Windows-1252 byte for a code point, or -1 when the code page has none.
constexpr int codePointToCp1252(char32_t codePoint) {
    if (codePoint < 0x80 || (codePoint >= 0xA0 && codePoint <= 0xFF)) {
        return static_cast<int>(codePoint);
    }
    for (std::size_t i = 0; i < detail::kHighControls.size(); ++i) {
        if (detail::kHighControls[i] == codePoint) {
            return static_cast<int>(0x80 + i);
        }
    }
    return -1;
}

// A string literal as the source spells it (UTF-8), the parameter of
// _cp1252; a literal longer than 512 bytes stops the build. Every byte here and
// in the converted array is written, none left to a default, and the literal
// is read through its members, not through a member function: clang 14 (the
// fuzz build and clang-tidy) crashes on the other forms when it describes a
// constant in a diagnostic note.
struct Utf8Literal {
    static constexpr std::size_t kCapacity = 512;
    char bytes[kCapacity]{};
    std::size_t size = 0;
    template <std::size_t N> consteval Utf8Literal(const char (&text)[N]) : size(N - 1) {
        static_assert(N <= kCapacity, "a literal longer than Utf8Literal holds");
        for (std::size_t i = 0; i < kCapacity; ++i) {
            bytes[i] = i < size ? text[i] : '\0';
        }
    }
};

namespace detail {

// The number of Windows-1252 bytes of a UTF-8 text. A character the code page
// lacks, or malformed UTF-8, is no constant expression: the build stops there.
consteval std::size_t cp1252Size(std::string_view utf8) {
    std::size_t size = 0;
    for (std::size_t i = 0; i < utf8.size(); ++size) {
        char32_t cp = 0;
        std::size_t len = 0;
        if (!decodeUtf8(utf8, i, cp, len) || codePointToCp1252(cp) < 0) {
            throw "a character Windows-1252 cannot hold";
        }
        i += len;
    }
    return size;
}

// The Windows-1252 bytes of the literal S with a closing NUL.
template <Utf8Literal S> consteval auto cp1252Bytes() {
    const std::string_view utf8(S.bytes, S.size);
    std::array<char, cp1252Size(std::string_view(S.bytes, S.size)) + 1> out{};
    std::size_t o = 0;
    for (std::size_t i = 0; i < utf8.size(); ++o) {
        char32_t cp = 0;
        std::size_t len = 0;
        decodeUtf8(utf8, i, cp, len);
        out[o] = static_cast<char>(codePointToCp1252(cp));
        i += len;
    }
    out[o] = '\0';
    return out;
}

template <Utf8Literal S> inline constexpr auto kCp1252Literal = cp1252Bytes<S>();

} // namespace detail

// "Mittelübersicht"_cp1252: the text written readably in the source, as the
// NUL-terminated Windows-1252 bytes the program uses, converted and checked by
// the compiler.
template <Utf8Literal S> consteval const char* operator""_cp1252() {
    return detail::kCp1252Literal<S>.data();
}

// Windows-1252 text to UTF-8.
std::string cp1252ToUtf8(std::string_view text);

// UTF-8 text to Windows-1252. Characters the code page cannot hold and
// malformed UTF-8 sequences become `replacement`.
std::string utf8ToCp1252(std::string_view text, char replacement = '?');

// One character within a UTF-8 text: where its bytes lie and what it is.
struct Utf8Span {
    std::size_t offset = 0;
    std::size_t length = 0;
    bool malformed = false; // a byte that starts no valid UTF-8 sequence
    char32_t codePoint = 0;
};

// The first character of UTF-8 `text` that Windows-1252 cannot hold, or the
// first malformed byte; nothing when the whole text converts faithfully.
std::optional<Utf8Span> firstNonCp1252Character(std::string_view text);

// Whether every UTF-16 code unit of `text` is a character of the code page;
// false for any surrogate (a character beyond the Basic Multilingual Plane).
bool isCp1252Representable(std::u16string_view text);

// Whether a byte is a letter of the code page: A-Z, a-z and the accented
// letters (not × and ÷).
bool isCp1252Letter(char c);

// Upper case of a letter of the code page (a-z, the accented letters, š œ ž ÿ);
// every other byte is returned unchanged. ß has no single-byte capital.
// Whether the byte is a control character: C0, DEL, or one of the five bytes
// the code page leaves undefined (the C1 controls of the same value).
bool isCp1252Control(unsigned char byte);

// The text with every control character written visibly: "\r", "\n", "\t",
// else "\xHH". A backslash that would read as the start of such a form (one
// followed by r, n, t, x, a backslash or a control character) is doubled;
// every other byte stays as it is.
std::string withVisibleControls(std::string_view text);

char cp1252ToUpper(char c);
std::string cp1252ToUpper(std::string_view text);

// Case-insensitive comparison over the code page's letters.
bool cp1252EqualsIgnoreCase(std::string_view a, std::string_view b);

} // namespace tessalyn
