#pragma once

#include "data/RepertoryData.h"
#include "search/RubricRange.h"

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

// Window captions of the text search.
inline constexpr const char* kTextSearchCaption = "Textuelle Symptomsuche";
inline constexpr const char* kTextSearchNoHitCaption =
    "Textuelle Symptomsuche: Kein Symptom gefunden";
inline constexpr const char* kTextSearchOneHitCaption =
    "Textuelle Symptomsuche: 1 gefundenes Symptom";

// Caption after a search that ran, for its number of hits.
std::string textSearchCaption(int hits);

// Caption after a search that translated a word: the same, followed by how
// many hits hold every word in their own symptom text and how many were found
// only through their location text, chapter and heading ("Textuelle
// Symptomsuche: 12 gefundene Symptome, 9 im Symptomtext, 3 nur im
// Kapiteltext"; "alle ..." when one part is empty).
std::string textSearchCaption(int hits, int ownTextHits);

// The widths of the result table's two text columns (symptom, location) when
// the table is `tableWidth` pixels wide: column 0 keeps its width, the text
// columns keep their proportion and fill the width less column 0 and 20
// pixels (for the frame and the scroll bar). A table narrower than that
// leaves both at 0.
struct TextColumnWidths {
    int symptom = 0;
    int location = 0;
    bool operator==(const TextColumnWidths&) const = default;
};
TextColumnWidths splitTextColumnWidths(int tableWidth, int numberWidth, int symptomWidth,
                                       int locationWidth);

// The table width at which splitTextColumnWidths keeps the three widths.
int textTableWidthFor(int numberWidth, int symptomWidth, int locationWidth);

class Vocabulary;

// A query word the vocabulary translated: the German word as written in the
// vocabulary and its English alternatives ("headache, head pain"; empty when
// the word is ignored). Windows-1252.
struct WordTranslation {
    std::string german;
    std::string english;
    bool operator==(const WordTranslation&) const = default;
};

// One hit: the three columns of the result table, in Windows-1252.
struct TextSearchRow {
    int number = 0;           // symptom number of the rubric
    std::string numberText;   // column 0
    std::string symptomText;  // column 1: rubric text and " [entry count]"
    std::string locationText; // column 2: chapter title, a blank, heading text
};

// The text search without its window: the dialog feeds in the text of
// "Suchtext" and the chapter choice and shows rows() and caption().
//
// A rubric is found when every search word occurs, as a plain substring after
// folding, in its symptom text or in its location text (each word on its own).
// The folded texts are made once, when the object is built; call
// reloadTexts() after the data's texts have changed (the overlay is applied
// before any search window exists, so the program never needs to).
//
// With a vocabulary set, each query word that is a German vocabulary word (or
// the start of exactly one, see Vocabulary::lookUp) becomes a group of
// alternatives: the word itself and each English alternative of its entry,
// each found only at the start of a word of the texts ("COUGH" in "COUGHING",
// never in "HICCOUGH"). A rubric matches a group when it holds any alternative
// (an alternative of several words when it holds all of them, each in the
// symptom or the location text); an ignored word's group matches every
// rubric. A rubric is found when it matches every group. Once a word was
// translated, the rubrics whose own symptom text matches every group come
// first, then those that match only with their location text, each part in
// rubric order, and the caption counts both parts. A query without vocabulary
// words finds exactly what it finds without the vocabulary.
class TextSearch {
public:
    explicit TextSearch(const RepertoryData& data);

    // Folds the data's texts again.
    void reloadTexts();

    // Current content of the field "Suchtext".
    void setSearchText(std::string_view text) { searchText_ = text; }

    // Chapter index 0..31, or kAllChapters (-1); any other value means all.
    void setChapterFilter(int chapter);
    int chapterFilter() const { return chapterFilter_; }

    // The vocabulary that translates query words; nullptr (the default): none.
    // Takes effect with the next search.
    void setVocabulary(const Vocabulary* vocabulary) { vocabulary_ = vocabulary; }

    // The search text of the last search that ran; empty before the first.
    const std::string& lastSearchedText() const { return lastSearchedText_; }

    // Runs the search when ((rerun and the search text is not empty) or the
    // search text differs from lastSearchedText()) and (force or the search
    // text is longer than 2 characters). Otherwise the rows stay as they are,
    // and so does the caption of the last search while the search text and the
    // chapter are the ones it ran with (the field lost the focus to a click on
    // a hit, say); else the caption goes back to "Textuelle Symptomsuche".
    // Returns whether the search ran.
    bool runSearch(bool force, bool rerun);

    // Runs the search now, whatever the rule of runSearch says.
    void search();

    // The window emptied its table (after "Übernehmen"): no rows, the plain
    // caption, and no last search, so that the same text searches again.
    void clearResults();

    // The dialog's events: each keystroke in "Suchtext", "Suchtext" losing the
    // focus, a change of selection in "Kapitelfilter" (the selected entry's
    // text). Each returns whether a search ran.
    bool textChanged(std::string_view text);
    bool focusLost(std::string_view text);
    bool chapterSelected(std::string_view chapterTitle);

    const std::vector<TextSearchRow>& rows() const { return rows_; }
    const std::string& caption() const { return caption_; }
    // The query words the vocabulary translated in the last search, in query
    // order, each German word once.
    const std::vector<WordTranslation>& translations() const { return translations_; }
    // Whether the last search translated a word into English ones: then the
    // first ownTextHits() rows hold every word in their own symptom text and
    // the rest were found only through their location text. Otherwise the
    // rows are in rubric order and ownTextHits() is 0.
    bool ownTextFirst() const { return ownTextFirst_; }
    int ownTextHits() const { return ownTextHits_; }
    // The query words of the last search, as first typed and each once (in
    // any letter case), that look
    // German but the vocabulary does not know: words of letters that hold an
    // umlaut or "ß", or that no symptom or location text of the content
    // holds (so the search can find nothing with them). Empty without a
    // vocabulary. English words of the content, numbers and words with other
    // characters are never named.
    const std::vector<std::string>& unknownWords() const { return unknownWords_; }

private:
    // Turns the search words into groups of alternatives (translations_ too).
    void buildGroups();
    void findUnknownWords();
    struct Group;
    // The group of one search word, its atoms added from the end of atoms_.
    Group groupOf(const std::string& word);
    // Puts the groups of fewer atoms first and numbers the atoms in that order.
    void orderGroups();
    // Index of `word` among the atoms of the group that starts at atom
    // `groupStart`, added when new. Each group has atoms of its own, so that
    // the atoms of consecutive groups are consecutive.
    int atomIndex(const std::string& word, std::size_t groupStart);
    // The rubrics of the range that match every group (hits_), then the rows.
    void collectHits(const RubricRange& range);
    // The rubrics of a range as indexes [firstIndex, endIndex) and the headings
    // their location texts come from.
    struct Span {
        int firstIndex;
        int endIndex;
        int firstHeading;
        int lastHeading;
    };
    Span spanOf(const RubricRange& range) const;
    // Groups taken together: their atoms are [firstAtom, endAtom), at most 64,
    // numbered in a mark from firstAtom (atoms are numbered in group order).
    struct Batch {
        int firstAtom = -1; // -1: no group to search for (none, or ignored words only)
        int endAtom = -1;
        std::uint64_t required = 0; // groups of a single one-word alternative
        struct Choice {
            std::uint64_t any = 0;          // one-word alternatives
            std::vector<std::uint64_t> all; // alternatives of several words
        };
        std::vector<Choice> choices; // the other groups, each needing one alternative
        // Whether a text holding the atoms marked in `held` matches every group.
        bool satisfiedBy(std::uint64_t held) const;
    };
    // The next batch from groups_[nextGroup] on; nextGroup moves past its groups.
    Batch formBatch(std::size_t& nextGroup) const;
    // Marks the batch's atoms in the texts; the first batch picks the hits from
    // the whole span, a later one keeps only the hits that match it too.
    void matchBatch(const Batch& batch, bool firstBatch, const Span& span);
    // The rows of the hits, in their order.
    void fillRows();
    // Marks the atoms [firstAtom, endAtom) in the texts of the range, one bit
    // each counted from firstAtom.
    void markAtoms(int firstAtom, int endAtom, int firstIndex, int endIndex, int firstHeading,
                   int lastHeading);
    // The same for the texts of the hits so far only.
    void markAtomsInHits(int firstAtom, int endAtom);

    const RepertoryData& data_;
    std::string searchText_;
    std::string lastSearchedText_;
    int lastChapter_ = kAllChapters;
    int chapterFilter_ = kAllChapters;
    const Vocabulary* vocabulary_ = nullptr;
    std::vector<std::string> searchWords_;
    std::vector<WordTranslation> translations_;
    std::vector<std::string> unknownWords_;
    bool ownTextFirst_ = false;
    int ownTextHits_ = 0;
    std::vector<TextSearchRow> rows_;
    std::string caption_ = kTextSearchCaption;
    std::string searchedCaption_ = kTextSearchCaption; // of the last search that ran

    // Folded symptom texts of all rubrics and folded location texts of all
    // headings, each one buffer with start offsets (one more than entries).
    std::string foldedSymptoms_;
    std::vector<std::uint32_t> symptomStart_;
    std::string foldedLocations_;
    std::vector<std::uint32_t> locationStart_;
    std::vector<std::string> locations_; // unfolded, per heading, for the rows
    // Where the words of those buffers start, by their first byte (offsets
    // into the buffer, ascending): translated words are compared only there.
    // Made on the first search that needs them.
    std::array<std::vector<std::uint32_t>, 256> symptomWordStarts_;
    std::array<std::vector<std::uint32_t>, 256> locationWordStarts_;
    bool wordStartsIndexed_ = false;
    // Per search: the words searched for (atoms) and the groups of the query,
    // each group's alternatives as lists of atom indexes.
    std::vector<std::string> atoms_;
    std::vector<char> atomAtWordStart_; // per atom: found only where a word starts
    struct Group {
        std::vector<std::vector<int>> alternatives; // atom indexes
        bool matchesAll = false;                    // an ignored word
        bool atWordStart = false;                   // a translated word
    };
    std::vector<Group> groups_;
    // Which atoms of the batch each rubric's symptom text and each heading's
    // location text holds (bit a for atom a), kept to reuse the storage.
    std::vector<std::uint64_t> symptomWords_;
    std::vector<std::uint64_t> locationWords_;
    struct Hit {
        int number;   // symptom number
        int heading;  // heading index, -1 when none
        bool ownText; // every group matched in the symptom text alone
    };
    std::vector<Hit> hits_;
};

} // namespace tessalyn
