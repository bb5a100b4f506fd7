#include "search/Folding.h"

#include "data/Cp1252.h"

namespace tessalyn {

void appendFoldedForSearch(std::string_view text, std::string& out) {
    for (const char c : text) {
        if (static_cast<unsigned char>(c) == 0xDF) {
            out += "SS";
        } else {
            out += cp1252ToUpper(c);
        }
    }
}

std::string foldForSearch(std::string_view text) {
    std::string out;
    out.reserve(text.size() + 4);
    appendFoldedForSearch(text, out);
    return out;
}

bool holdsAtWordStart(std::string_view text, std::string_view word) {
    for (std::size_t pos = text.find(word); pos != std::string_view::npos;
         pos = text.find(word, pos + 1)) {
        if (isWordStart(text, pos)) {
            return true;
        }
    }
    return false;
}

std::vector<std::string> splitSearchWords(std::string_view query) {
    std::vector<std::string> words;
    std::size_t pos = 0;
    while (pos < query.size()) {
        if (query[pos] == ' ') {
            ++pos; // an empty piece: it would match every text
            continue;
        }
        if (static_cast<int>(words.size()) == kMaxSearchWords - 1) {
            std::string_view rest = query.substr(pos);
            rest = rest.substr(0, rest.find_last_not_of(' ') + 1);
            words.push_back(foldForSearch(rest));
            break;
        }
        const std::size_t blank = query.find(' ', pos);
        const std::size_t end = blank == std::string_view::npos ? query.size() : blank;
        words.push_back(foldForSearch(query.substr(pos, end - pos)));
        pos = end;
    }
    return words;
}

} // namespace tessalyn
