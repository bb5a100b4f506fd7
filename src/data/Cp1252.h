#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

namespace tessalyn {

// All texts of the program are single-byte Windows-1252. These are the only
// conversions to and from Unicode; the user interface and the command-line
// companion call them at their edges, the core never does.

// Unicode code point of one Windows-1252 byte. The five bytes that Windows-1252
// leaves undefined (0x81, 0x8D, 0x8F, 0x90, 0x9D) map to the C1 controls of the
// same value, as Windows does.
char32_t cp1252ToCodePoint(unsigned char byte);

// Windows-1252 byte for a code point, or -1 when the code page has none.
int codePointToCp1252(char32_t codePoint);

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
