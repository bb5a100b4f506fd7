#pragma once

#include "data/ContentLoader.h"

#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessalyn {

// One line of the German–English search vocabulary: German words (the forms
// a practitioner types: "Auge", "Augen") and the English search words they
// stand for. Each alternative is a list of words that must all occur in a
// rubric ("head + pain"); an entry without alternatives marks words that carry
// nothing a rubric text would hold ("im", "der"): they are ignored.
// All texts are Windows-1252 as written in the vocabulary (English words in
// lower case).
struct VocabularyEntry {
    std::vector<std::string> german;
    std::vector<std::vector<std::string>> english;
    int line = 0; // line in the vocabulary text, 1-based

    bool ignored() const { return english.empty(); }
    // The alternatives as read: "headache, head pain" (the words of one
    // alternative joined by blanks); empty for an ignored entry.
    std::string englishText() const;
};

// What a query word is in the vocabulary.
struct VocabularyMatch {
    const VocabularyEntry* entry = nullptr; // none: not a vocabulary word
    std::string german;                     // the German form, as written in the vocabulary
    bool prefix = false;                    // the word is only the start of `german`

    explicit operator bool() const { return entry != nullptr; }
};

// The German–English search vocabulary.
//
// Text format (Windows-1252, LF line ends; '#' starts a comment line, blank
// lines are skipped), one entry a line:
//
//   German[, German ...] TAB alternative[, alternative ...]
//
// where an alternative is an English word or words joined by " + " that must
// all occur, and a lone "-" instead of the alternatives marks ignored words.
// German words are single words of letters; English words are single words of
// the letters a-z. No German word may stand twice (compared as the search
// compares them, and with ae, oe, ue, ss the same as ä, ö, ü, ß).
//
// data/vocabulary.txt holds the same with " → " instead of the TAB, in UTF-8;
// the build converts it and checks it with this reader.
class Vocabulary {
public:
    // Reads a vocabulary text. On failure the vocabulary is left as it was
    // and `error` names the line and the reason (German).
    bool parse(std::string_view text, ContentError& error);

    const std::vector<VocabularyEntry>& entries() const { return entries_; }
    // Number of German words (all forms of all entries).
    int germanWordCount() const { return static_cast<int>(keys_.size()); }

    // The entry for a query word folded as the text search folds it
    // (foldForSearch): the entry holding that word, or else, when the word is
    // at least kMinPrefixLength characters long, the one entry whose German
    // words start with it (a word typed so far). No match when the word starts
    // words of several entries.
    VocabularyMatch lookUp(std::string_view foldedWord) const;

    // The entries with a German word that starts with a (folded) word, in
    // the order of the vocabulary text; for reviewing what a word may mean.
    std::vector<const VocabularyEntry*> entriesStartingWith(std::string_view foldedWord) const;

    // Shortest query word the prefix rule of lookUp completes.
    static constexpr std::size_t kMinPrefixLength = 4;
    // Most English words (of all alternatives) one entry may hold.
    static constexpr std::size_t kMaxEnglishWords = 32;

private:
    std::vector<VocabularyEntry> entries_;
    // Lookup key of every German word, sorted by key: (key, entry index,
    // form index).
    struct Key {
        std::string key;
        int entry;
        int form;
    };
    std::vector<Key> keys_;
};

// The lookup key of a German word: foldSpellingsAlike (folded for the search,
// then Ä, Ö, Ü written as AE, OE, UE; folding already writes ß as SS).
std::string vocabularyKey(std::string_view word);

// The same for a word already folded with foldForSearch.
std::string vocabularyKeyOfFolded(std::string_view foldedWord);

// The vocabulary compiled into the program (from data/vocabulary.txt).
std::string_view builtInVocabularyText();
// The built-in vocabulary, read once on first use. The build has checked it,
// so it always reads; should it not, the vocabulary is empty.
const Vocabulary& builtInVocabulary();

} // namespace tessalyn
