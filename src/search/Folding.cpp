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

std::string spellUmlautsOut(std::string_view foldedText) {
    std::string out;
    out.reserve(foldedText.size() + 4);
    for (const char c : foldedText) {
        switch (static_cast<unsigned char>(c)) {
        case 0xC4: // Ä
            out += "AE";
            break;
        case 0xD6: // Ö
            out += "OE";
            break;
        case 0xDC: // Ü
            out += "UE";
            break;
        default:
            out += c;
        }
    }
    return out;
}

std::string foldSpellingsAlike(std::string_view text) {
    return spellUmlautsOut(foldForSearch(text));
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

std::vector<std::string_view> cutSearchWords(std::string_view query) {
    std::vector<std::string_view> words;
    std::size_t pos = 0;
    while (pos < query.size()) {
        if (query[pos] == ' ') {
            ++pos; // an empty piece: it would match every text
            continue;
        }
        if (static_cast<int>(words.size()) == kMaxSearchWords - 1) {
            std::string_view rest = query.substr(pos);
            words.push_back(rest.substr(0, rest.find_last_not_of(' ') + 1));
            break;
        }
        const std::size_t blank = query.find(' ', pos);
        const std::size_t end = blank == std::string_view::npos ? query.size() : blank;
        words.push_back(query.substr(pos, end - pos));
        pos = end;
    }
    return words;
}

std::vector<std::string> splitSearchWords(std::string_view query) {
    std::vector<std::string> words;
    for (const std::string_view word : cutSearchWords(query)) {
        words.push_back(foldForSearch(word));
    }
    return words;
}

} // namespace tessalyn
