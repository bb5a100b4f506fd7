#pragma once

#include "data/RepertoryData.h"
#include "search/RubricRange.h"

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
class TextSearch {
public:
    explicit TextSearch(const RepertoryData& data);

    // Folds the data's texts again.
    void reloadTexts();

    // Current content of the field "Suchtext".
    void setSearchText(std::string_view text) { searchText_ = text; }
    const std::string& searchText() const { return searchText_; }

    // Chapter index 0..31, or kAllChapters (-1); any other value means all.
    void setChapterFilter(int chapter);
    int chapterFilter() const { return chapterFilter_; }

    // The search text of the last search that ran; empty before the first.
    const std::string& lastSearchedText() const { return lastSearchedText_; }

    // Runs the search when ((rerun and the search text is not empty) or the
    // search text differs from lastSearchedText()) and (force or the search
    // text is longer than 2 characters). Otherwise only the caption goes back
    // to "Textuelle Symptomsuche" and the rows stay as they are. Returns
    // whether the search ran.
    bool runSearch(bool force, bool rerun);

    // Runs the search now, whatever the rule of runSearch says.
    void search();

    // The dialog's events: each keystroke in "Suchtext", "Suchtext" losing the
    // focus, a change of selection in "Kapitelfilter" (the selected entry's
    // text). Each returns whether a search ran.
    bool textChanged(std::string_view text);
    bool focusLost(std::string_view text);
    bool chapterSelected(std::string_view chapterTitle);

    const std::vector<TextSearchRow>& rows() const { return rows_; }
    const std::string& caption() const { return caption_; }
    // The folded words of the last search (empty words left out).
    const std::vector<std::string>& searchWords() const { return searchWords_; }

private:
    void collectHits(const RubricRange& range);

    const RepertoryData& data_;
    std::string searchText_;
    std::string lastSearchedText_;
    int chapterFilter_ = kAllChapters;
    std::vector<std::string> searchWords_;
    std::vector<TextSearchRow> rows_;
    std::string caption_ = kTextSearchCaption;

    // Folded symptom texts of all rubrics and folded location texts of all
    // headings, each one buffer with start offsets (one more than entries).
    std::string foldedSymptoms_;
    std::vector<std::uint32_t> symptomStart_;
    std::string foldedLocations_;
    std::vector<std::uint32_t> locationStart_;
    std::vector<std::string> locations_; // unfolded, per heading, for the rows
    // Per search: which words each rubric's symptom text and each heading's
    // location text holds (bit w for word w), kept to reuse the storage.
    std::vector<std::uint32_t> symptomWords_;
    std::vector<std::uint32_t> locationWords_;
    struct Hit {
        int number;  // symptom number
        int heading; // heading index, -1 when none
    };
    std::vector<Hit> hits_;
};

} // namespace tessalyn
