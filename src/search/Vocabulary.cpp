#include "search/Vocabulary.h"

#include "data/Cp1252.h"
#include "search/Folding.h"

#include <algorithm>

namespace tessalyn {

std::string VocabularyEntry::englishText() const {
    std::string out;
    for (const std::vector<std::string>& alternative : english) {
        if (!out.empty()) {
            out += ", ";
        }
        for (std::size_t i = 0; i < alternative.size(); ++i) {
            if (i > 0) {
                out += ' ';
            }
            out += alternative[i];
        }
    }
    return out;
}

std::string vocabularyKeyOfFolded(std::string_view foldedWord) {
    return spellUmlautsOut(foldedWord);
}

std::string vocabularyKey(std::string_view word) {
    return foldSpellingsAlike(word);
}

namespace {

std::string_view trim(std::string_view s) {
    const std::size_t first = s.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    return s.substr(first, s.find_last_not_of(' ') - first + 1);
}

// Splits at `separator`; the pieces are trimmed of blanks.
std::vector<std::string_view> splitTrimmed(std::string_view s, char separator) {
    std::vector<std::string_view> pieces;
    std::size_t start = 0;
    for (;;) {
        const std::size_t end = s.find(separator, start);
        pieces.push_back(trim(s.substr(start, end == std::string_view::npos ? end : end - start)));
        if (end == std::string_view::npos) {
            return pieces;
        }
        start = end + 1;
    }
}

std::string quoted(std::string_view word) {
    return "\"" + std::string(word) + "\"";
}

class Reader {
public:
    explicit Reader(ContentError& error) : error_(error) {}

    bool fail(int line, std::string reason) {
        error_ = {line, std::move(reason)};
        return false;
    }

    bool readGerman(std::string_view part, int line, VocabularyEntry& entry) {
        if (part.empty()) {
            return fail(line, "kein deutsches Wort vor dem Trennzeichen");
        }
        for (const std::string_view word : splitTrimmed(part, ',')) {
            if (word.empty()) {
                return fail(line, "leeres deutsches Wort (zwei Kommas oder ein Komma am Rand)");
            }
            if (word.find(' ') != std::string_view::npos) {
                return fail(line, "deutsches Wort " + quoted(word) +
                                      " enthält ein Leerzeichen: je Wort ein Eintrag"_cp1252);
            }
            if (!std::all_of(word.begin(), word.end(), isCp1252Letter)) {
                return fail(line, "deutsches Wort " + quoted(word) +
                                      " enthält ein Zeichen, das kein Buchstabe ist"_cp1252);
            }
            entry.german.emplace_back(word);
        }
        return true;
    }

    bool readEnglish(std::string_view part, int line, VocabularyEntry& entry) {
        if (part.empty()) {
            return fail(line, "kein englisches Suchwort nach dem Trennzeichen "
                              "(\"-\", wenn die Wörter nicht gesucht werden)"_cp1252);
        }
        if (part == "-") {
            return true;
        }
        std::size_t wordCount = 0;
        for (const std::string_view alternative : splitTrimmed(part, ',')) {
            if (alternative.empty()) {
                return fail(line,
                            "leere englische Alternative (zwei Kommas oder ein Komma am Rand)");
            }
            std::vector<std::string> words;
            for (const std::string_view word : splitTrimmed(alternative, '+')) {
                if (word.empty()) {
                    return fail(line, "leeres englisches Wort in " + quoted(alternative));
                }
                if (word == "-") {
                    return fail(line,
                                "\"-\" (nicht suchen) muss allein nach dem Trennzeichen stehen");
                }
                if (word.find(' ') != std::string_view::npos) {
                    return fail(line, "englisches Wort " + quoted(word) +
                                          " enthält ein Leerzeichen: Wörter, die alle "
                                          "vorkommen müssen, mit \" + \" verbinden"_cp1252);
                }
                if (!std::all_of(word.begin(), word.end(),
                                 [](char c) { return c >= 'a' && c <= 'z'; })) {
                    return fail(line, "englisches Wort " + quoted(word) +
                                          " hat andere Zeichen als die Kleinbuchstaben a bis z");
                }
                words.emplace_back(word);
            }
            wordCount += words.size();
            if (std::find(entry.english.begin(), entry.english.end(), words) !=
                entry.english.end()) {
                return fail(line, "englische Alternative " + quoted(alternative) + " doppelt");
            }
            entry.english.push_back(std::move(words));
        }
        if (wordCount > Vocabulary::kMaxEnglishWords) {
            return fail(line, "mehr als " + std::to_string(Vocabulary::kMaxEnglishWords) +
                                  " englische Wörter in einem Eintrag"_cp1252);
        }
        return true;
    }

private:
    ContentError& error_;
};

} // namespace

bool Vocabulary::parse(std::string_view text, ContentError& error) {
    Reader reader(error);
    std::vector<VocabularyEntry> entries;
    std::vector<Key> keys;
    int line = 0;
    std::size_t pos = 0;
    while (pos < text.size()) {
        ++line;
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        const std::string_view raw = text.substr(pos, end - pos);
        pos = end + 1;
        if (raw.find('\r') != std::string_view::npos) {
            return reader.fail(line, "Wagenrücklauf in der Zeile (nur LF als Zeilenende)"_cp1252);
        }
        if (trim(raw).empty() || raw.front() == '#') {
            continue;
        }
        const std::size_t tab = raw.find('\t');
        if (tab == std::string_view::npos) {
            return reader.fail(line, "kein Trennzeichen zwischen deutschem und englischem Teil");
        }
        if (raw.find('\t', tab + 1) != std::string_view::npos) {
            return reader.fail(line, "mehr als ein Trennzeichen");
        }
        VocabularyEntry entry;
        entry.line = line;
        if (!reader.readGerman(trim(raw.substr(0, tab)), line, entry) ||
            !reader.readEnglish(trim(raw.substr(tab + 1)), line, entry)) {
            return false;
        }
        const int index = static_cast<int>(entries.size());
        for (std::size_t f = 0; f < entry.german.size(); ++f) {
            keys.push_back({vocabularyKey(entry.german[f]), index, static_cast<int>(f)});
        }
        entries.push_back(std::move(entry));
    }

    // Sorted by key, then by line: of two equal keys the later one is reported.
    std::stable_sort(keys.begin(), keys.end(),
                     [](const Key& a, const Key& b) { return a.key < b.key; });
    for (std::size_t i = 1; i < keys.size(); ++i) {
        if (keys[i].key == keys[i - 1].key) {
            const VocabularyEntry& first = entries[static_cast<std::size_t>(keys[i - 1].entry)];
            const VocabularyEntry& second = entries[static_cast<std::size_t>(keys[i].entry)];
            const std::string& word = second.german[static_cast<std::size_t>(keys[i].form)];
            const std::string& earlier = first.german[static_cast<std::size_t>(keys[i - 1].form)];
            std::string reason = "deutsches Wort " + quoted(word) + " steht schon in Zeile " +
                                 std::to_string(first.line);
            if (word != earlier) {
                reason += " (als " + quoted(earlier) + ")";
            }
            return reader.fail(second.line, reason);
        }
    }
    entries_ = std::move(entries);
    keys_ = std::move(keys);
    return true;
}

VocabularyMatch Vocabulary::lookUp(std::string_view foldedWord) const {
    if (foldedWord.empty()) {
        return {};
    }
    const std::string key = vocabularyKeyOfFolded(foldedWord);
    const auto first =
        std::lower_bound(keys_.begin(), keys_.end(), key,
                         [](const Key& k, const std::string& s) { return k.key < s; });
    if (first == keys_.end()) {
        return {};
    }
    auto matchOf = [this](const Key& k, bool prefix) {
        const VocabularyEntry& entry = entries_[static_cast<std::size_t>(k.entry)];
        return VocabularyMatch{&entry, entry.german[static_cast<std::size_t>(k.form)], prefix};
    };
    if (first->key == key) {
        return matchOf(*first, false);
    }
    if (foldedWord.size() < kMinPrefixLength) {
        return {};
    }
    // The keys that start with the word follow one another from `first`; the
    // first of them is the shortest completion.
    for (auto it = first; it != keys_.end() && it->key.starts_with(key); ++it) {
        if (it->entry != first->entry) {
            return {};
        }
    }
    if (!first->key.starts_with(key)) {
        return {};
    }
    return matchOf(*first, true);
}

std::vector<const VocabularyEntry*>
Vocabulary::entriesStartingWith(std::string_view foldedWord) const {
    const std::string key = vocabularyKeyOfFolded(foldedWord);
    std::vector<int> indexes;
    auto it = std::lower_bound(keys_.begin(), keys_.end(), key,
                               [](const Key& k, const std::string& s) { return k.key < s; });
    for (; it != keys_.end() && it->key.starts_with(key); ++it) {
        indexes.push_back(it->entry);
    }
    std::sort(indexes.begin(), indexes.end());
    indexes.erase(std::unique(indexes.begin(), indexes.end()), indexes.end());
    std::vector<const VocabularyEntry*> found;
    found.reserve(indexes.size());
    for (const int i : indexes) {
        found.push_back(&entries_[static_cast<std::size_t>(i)]);
    }
    return found;
}

} // namespace tessalyn
