#include "history/QuoteCoding.h"

namespace tessalyn {

namespace {

// Replaces every occurrence of `from` by `to`, left to right.
std::string replaceAll(std::string_view text, std::string_view from, std::string_view to) {
    std::string out;
    out.reserve(text.size() + text.size() / 4);
    std::size_t start = 0;
    for (std::size_t at = text.find(from); at != std::string_view::npos;
         at = text.find(from, start)) {
        out.append(text.substr(start, at - start));
        out.append(to);
        start = at + from.size();
    }
    out.append(text.substr(start));
    return out;
}

} // namespace

std::string encodeQuotes(std::string_view text) {
    if (text.find_first_of("'\"") == std::string_view::npos) {
        return std::string(text);
    }
    return replaceAll(replaceAll(text, "'", ".'"), "\"", ".''");
}

std::string decodeQuotes(std::string_view text) {
    if (text.find('\'') == std::string_view::npos) {
        return std::string(text);
    }
    return replaceAll(replaceAll(text, ".''", "\""), ".'", "'");
}

} // namespace tessalyn
