#pragma once

#include "data/Cp1252.h"
#include "data/FieldMessages.h"
#include "data/RepertoryData.h"
#include "search/RubricRange.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

// Index the remedy overview uses when the remedy text names no remedy: no
// entry can carry it, so nothing is found.
inline constexpr int kNoRemedy = kRemedyCount;

// The remedy text as searched: a "." is appended when the text is not empty
// and does not already end with one (typing "acon" is enough for "Acon.").
std::string completeRemedyText(std::string_view text);

// The abbreviations of all remedies as the drop-down list "Mittel" offers
// them: sorted ignoring case, equal ones by their bytes, fully equal ones in
// remedy order.
std::vector<std::string> sortedRemedyAbbreviations(const RepertoryData& data);

// First remedy index whose abbreviation equals the text, ignoring case, or
// kNoRemedy.
int remedyIndexByText(const RepertoryData& data, std::string_view text);

// Which entries the remedy overview lets through ("Wertigkeit" and "nur BD").
struct GradeFilter {
    // Grades 1..5 ticked. Set as "Hoch&wertig" sets them; every search lets
    // grade 1 through as well (see RemedySearch::run).
    bool grade[5] = {false, false, true, true, true};
    bool bdOnly = false; // "nur BD": only entries with the BD mark

    // "&Alle": every grade, no BD restriction.
    void selectAll();
    // "Hoch&wertig": grades 3, 4 and 5, no BD restriction.
    void selectHighGrades();

    // Each grade flag is tested on its own: an entry carrying two flags passes
    // when either grade is ticked; grade 1 means no grade flag at all.
    bool passes(RemedyEntry entry) const;
};

// "Rubrikengröße beachten", "Mindestgröße ", "Maximale Größe".
struct SizeFilter {
    bool enabled = false;
    int minimum = 1;
    int maximum = 30;

    // Both bounds inclusive; every size passes while the filter is off.
    bool admits(int entryCount) const {
        return !enabled || (minimum <= entryCount && entryCount <= maximum);
    }
};

// Highest value the two size fields accept.
inline constexpr int kMaxSizeFieldValue = 99;

// The dialog's controls as read by one search. The size fields are texts
// because the dialog checks what was typed.
struct RemedyControls {
    std::string remedyText; // selected entry of "Mittel" or the typed text
    bool grade[5] = {false, false, true, true, true};
    bool bdOnly = false;
    bool sizeFilterOn = false;
    std::string minimumText = "1";
    std::string maximumText = "30";
    bool otherRemedies = true; // "Andere hochwertige Mittel mit ausgeben"
};

// One result row, in Windows-1252.
struct RemedyRow {
    int number = 0;            // symptom number of the rubric
    std::string numberText;    // column 0: the number and one blank ("12 ")
    std::string symptomText;   // column 1
    std::string locationText;  // column 2
    std::string otherRemedies; // column 3, only with the fourth column
};

// The abbreviation and "(grade) " of every entry of a rubric that passes the
// grade filter, in list order, joined without separator ("Acon.(3) Bell.(2) ").
std::string otherRemediesText(const RepertoryData& data, int rubricIndex,
                              const GradeFilter& gradeFilter);

// The remedy overview's search without its window: the dialog feeds in its
// controls (or sets the fields), calls run() and shows rows() and caption().
class RemedySearch {
public:
    explicit RemedySearch(const RepertoryData& data) : data_(data) {}

    std::string remedyText; // as typed; run() appends the "."
    GradeFilter gradeFilter;
    SizeFilter sizeFilter;
    bool otherRemedies = true; // fourth column, when the size filter is on too
    int chapterFilter = kAllChapters;

    // Takes the values of the controls in the dialog's reading order: remedy
    // text, grades, BD, size filter box, minimum, maximum, fourth-column box.
    // A size field that holds no integer keeps its old value; one outside
    // 0..99 keeps the value entered; in both cases the values after it are not
    // taken and the check of the failing field is returned (its message:
    // fieldCheckMessage(check, 0, kMaxSizeFieldValue)). Ok when every value
    // was taken. Grade 1 is forced on in any case.
    FieldCheck readControls(const RemedyControls& controls);

    // Chooses the chapter by the selected text of "Kapitelfilter".
    void selectChapter(std::string_view chapterTitle);

    // Runs the search: completes the remedy text, finds the remedy, and lists
    // every rubric of the chapter range that passes the size filter and holds
    // the remedy with a grade the grade filter lets through (grade 1 is always
    // let through).
    void run();

    // Results of the last run.
    const std::string& searchedText() const { return searchedText_; }
    int remedyIndex() const { return remedyIndex_; }
    int columnCount() const { return fourthColumn_ ? 4 : 3; }
    const std::vector<RemedyRow>& rows() const { return rows_; }
    const std::string& caption() const { return caption_; }

private:
    bool admitsRubric(int rubricIndex) const;

    const RepertoryData& data_;
    std::string searchedText_;
    int remedyIndex_ = kNoRemedy;
    bool fourthColumn_ = false;
    std::vector<RemedyRow> rows_;
    std::vector<int> hits_; // rubric numbers of the rows, kept to reuse its storage
    std::string caption_ = "Mittelübersicht"_cp1252;
};

} // namespace tessalyn
