#include "data/Cp1252.h"

namespace tessalyn {

namespace {

void appendUtf8(std::string& out, char32_t cp) {
    if (cp < 0x80) {
        out += static_cast<char>(cp);
    } else if (cp < 0x800) {
        out += static_cast<char>(0xC0 | (cp >> 6));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else if (cp < 0x10000) {
        out += static_cast<char>(0xE0 | (cp >> 12));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (cp >> 18));
        out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (cp & 0x3F));
    }
}

} // namespace

std::string cp1252ToUtf8(std::string_view text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    for (char c : text) {
        appendUtf8(out, cp1252ToCodePoint(static_cast<unsigned char>(c)));
    }
    return out;
}

std::string utf8ToCp1252(std::string_view text, char replacement) {
    std::string out;
    out.reserve(text.size());
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        std::size_t len = 0;
        const int byte = detail::decodeUtf8(text, i, cp, len) ? codePointToCp1252(cp) : -1;
        out += byte < 0 ? replacement : static_cast<char>(byte);
        i += len;
    }
    return out;
}

std::optional<Utf8Span> firstNonCp1252Character(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size()) {
        char32_t cp = 0;
        std::size_t len = 0;
        if (!detail::decodeUtf8(text, i, cp, len)) {
            return Utf8Span{i, len, true, 0};
        }
        if (codePointToCp1252(cp) < 0) {
            return Utf8Span{i, len, false, cp};
        }
        i += len;
    }
    return std::nullopt;
}

bool isCp1252Representable(std::u16string_view text) {
    for (const char16_t unit : text) {
        if ((unit >= 0xD800 && unit <= 0xDFFF) || codePointToCp1252(unit) < 0) {
            return false;
        }
    }
    return true;
}

bool isCp1252Control(unsigned char byte) {
    const char32_t c = cp1252ToCodePoint(byte);
    return c < 0x20 || (c >= 0x7F && c <= 0x9F);
}

std::string withVisibleControls(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (std::size_t i = 0; i < text.size(); ++i) {
        const auto b = static_cast<unsigned char>(text[i]);
        if (b == '\\') {
            out += '\\';
            if (i + 1 < text.size()) {
                const auto next = static_cast<unsigned char>(text[i + 1]);
                if (next == 'r' || next == 'n' || next == 't' || next == 'x' || next == '\\' ||
                    isCp1252Control(next)) {
                    out += '\\';
                }
            }
        } else if (b == '\r') {
            out += "\\r";
        } else if (b == '\n') {
            out += "\\n";
        } else if (b == '\t') {
            out += "\\t";
        } else if (isCp1252Control(b)) {
            static constexpr char kHex[] = "0123456789ABCDEF";
            out += "\\x";
            out += kHex[b >> 4];
            out += kHex[b & 15];
        } else {
            out += static_cast<char>(b);
        }
    }
    return out;
}

bool isCp1252Letter(char c) {
    const auto b = static_cast<unsigned char>(c);
    return (b >= 'A' && b <= 'Z') || (b >= 'a' && b <= 'z') ||
           (b >= 0xC0 && b != 0xD7 && b != 0xF7) || b == 0x8A || b == 0x8C || b == 0x8E ||
           b == 0x9A || b == 0x9C || b == 0x9E || b == 0x9F;
}

char cp1252ToUpper(char c) {
    const auto b = static_cast<unsigned char>(c);
    if (b >= 'a' && b <= 'z') {
        return static_cast<char>(b - 0x20);
    }
    if (b >= 0xE0 && b <= 0xFE && b != 0xF7) {
        return static_cast<char>(b - 0x20);
    }
    switch (b) {
    case 0x9A:
        return static_cast<char>(0x8A); // š
    case 0x9C:
        return static_cast<char>(0x8C); // œ
    case 0x9E:
        return static_cast<char>(0x8E); // ž
    case 0xFF:
        return static_cast<char>(0x9F); // ÿ
    default:
        return c;
    }
}

std::string cp1252ToUpper(std::string_view text) {
    std::string out(text);
    for (char& c : out) {
        c = cp1252ToUpper(c);
    }
    return out;
}

bool cp1252EqualsIgnoreCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (cp1252ToUpper(a[i]) != cp1252ToUpper(b[i])) {
            return false;
        }
    }
    return true;
}

} // namespace tessalyn
