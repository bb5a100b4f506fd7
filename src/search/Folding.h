#pragma once

#include "data/Cp1252.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

// Folds a text for the text search: every "ß" (0xDF) becomes "SS", then the
// letters of Windows-1252 become capitals; every other byte stays. Query words
// and searched texts are folded alike, so the search ignores case and treats
// "ß" and "SS" as equal. Umlauts are not expanded (ä and ae stay different).
std::string foldForSearch(std::string_view text);

// The same folding, appended to `out` (reuses the caller's buffer).
void appendFoldedForSearch(std::string_view text, std::string& out);

// Folds a text so that the spellings a German writer types alike fold alike:
// foldForSearch, then Ä, Ö, Ü written as AE, OE, UE ("Müller", "MUELLER" and
// "mueller" all give "MUELLER"). Vocabulary words are looked up so, and the
// case history's search field finds names so.
std::string foldSpellingsAlike(std::string_view text);

// The same for a text already folded with foldForSearch.
std::string spellUmlautsOut(std::string_view foldedText);

// A byte words are made of: a letter (isCp1252Letter) or a digit.
inline bool isWordByte(char c) {
    return isCp1252Letter(c) || (c >= '0' && c <= '9');
}

// Whether a word of `text` may start at `pos`: the byte there follows the
// start of the text or a byte that is no word byte. A translated search word
// is found only where a word starts, so that "COUGH" is not found in
// "HICCOUGH".
inline bool isWordStart(std::string_view text, std::size_t pos) {
    return pos == 0 || !isWordByte(text[pos - 1]);
}

// Whether `word` stands at the start of a word of `text` (see isWordStart).
bool holdsAtWordStart(std::string_view text, std::string_view word);

// Most words a query is cut into.
inline constexpr int kMaxSearchWords = 20;

// Cuts a query into its folded search words. The text is cut at each single
// blank. Pieces left empty by two blanks in a row or a blank at either end
// would be found in every text, so they are left out (an empty or all-blank
// query has no words and matches everything).
//
// Long queries: the first 19 words are searched each on its own. When the text
// holds more than 20 words, the 20th search word is the rest of the text from
// the 20th word on (inner blanks kept, trailing blanks dropped) and must occur
// as it stands. So no typed word is ever left out of the search.
std::vector<std::string> splitSearchWords(std::string_view query);

// The same pieces of the query as typed, not folded.
std::vector<std::string_view> cutSearchWords(std::string_view query);

} // namespace tessalyn
