#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

namespace tessalyn {

// Sizes of the built-in repertory. Every table has exactly these sizes; the
// rest of the program uses them as fixed loop bounds.
inline constexpr int kChapterCount = 32;
inline constexpr int kHeadingCount = 2315;
inline constexpr int kRubricCount = 8385;
inline constexpr int kRemedyCount = 358;
inline constexpr int kHighestRemedyIndex = kRemedyCount - 1;
inline constexpr int kEntryCount = 159125;

// Text field sizes of the records, NUL included.
inline constexpr int kChapterTextSize = 128;
inline constexpr int kHeadingTextSize = 200;
inline constexpr int kRubricTextSize = 256;
inline constexpr int kAbbreviationSize = 12; // at most 11 characters and the NUL

struct Chapter {
    char text[kChapterTextSize];
    std::int32_t headingEnd; // cumulative, exclusive end index into the heading table
};
static_assert(sizeof(Chapter) == 132);

struct Heading {
    char text[kHeadingTextSize];
    std::int32_t rubricEnd; // cumulative, exclusive end index into the rubric table
};
static_assert(sizeof(Heading) == 204);

struct Rubric {
    char text[kRubricTextSize];
    std::int32_t oppositeNumber; // symptom number of the counter-polar rubric, 0 for none
    std::int32_t oppositeBd;     // BD value of that link
    std::int32_t firstEntry;     // index of the first RemedyEntry in entryList
    std::int32_t entryCount;     // number of RemedyEntry values of the rubric
};
static_assert(sizeof(Rubric) == 272);

// One remedy of a rubric: bits 0-10 remedy index, bit 11 BD mark, bits 12-15
// grade flags (0x1000 grade 5, 0x2000 grade 3, 0x4000 grade 2, 0x8000 grade 4).
using RemedyEntry = std::uint32_t;

inline constexpr RemedyEntry kEntryRemedyMask = 0x7FF;
inline constexpr RemedyEntry kEntryBdMark = 0x800;
inline constexpr RemedyEntry kEntryGrade5 = 0x1000;
inline constexpr RemedyEntry kEntryGrade3 = 0x2000;
inline constexpr RemedyEntry kEntryGrade2 = 0x4000;
inline constexpr RemedyEntry kEntryGrade4 = 0x8000;

constexpr int entryRemedy(RemedyEntry e) {
    return static_cast<int>(e & kEntryRemedyMask);
}
constexpr bool entryHasBdMark(RemedyEntry e) {
    return (e & kEntryBdMark) != 0;
}
// Grade 5, 4, 3, 2 in this order of precedence; none of the flags: grade 1.
constexpr int entryGrade(RemedyEntry e) {
    if (e & kEntryGrade5)
        return 5;
    if (e & kEntryGrade4)
        return 4;
    if (e & kEntryGrade3)
        return 3;
    if (e & kEntryGrade2)
        return 2;
    return 1;
}

// Which grades and BD marks the remedy overview lets through.
struct GradeSelection {
    bool grade[5] = {true, false, false, false, false}; // grades 1..5
    bool bdWanted = false;
    bool ignoreBd = true;
};

// Each grade flag is tested on its own, not through the precedence above.
bool passesGradeFilter(RemedyEntry e, const GradeSelection& selection);

// How the rest of the program names a rubric: 1..8385 a rubric, -1..-8385 the
// counter-polar entry of the same rubric; the BD value must be 0.
struct SymptomRef {
    std::int32_t number = 0;
    std::int32_t bd = 0;

    bool isValid() const {
        return number != 0 && number >= -kRubricCount && number <= kRubricCount && bd == 0;
    }
    friend bool operator==(const SymptomRef&, const SymptomRef&) = default;
};

// Rubric index of a reference: |number| - 1 when BD is 0, else -1. Numbers out
// of range also give -1 so that no caller can index past the table.
int rubricIndexOf(std::int32_t number, std::int32_t bd = 0);

// "%d" of the number when the BD value is 0, else an empty text.
std::string numberText(std::int32_t number, std::int32_t bd = 0);

// The fixed-size tables of the repertory.
struct RepertoryTables {
    Rubric rubrics[kRubricCount];
    RemedyEntry entryList[kEntryCount];
    char abbreviations[kRemedyCount][kAbbreviationSize];
    Chapter chapters[kChapterCount];
    Heading headings[kHeadingCount];
};

// The descriptor every part of the program reads the repertory through.
class RepertoryData {
public:
    RepertoryData();
    ~RepertoryData();
    RepertoryData(const RepertoryData& other);
    RepertoryData& operator=(const RepertoryData& other);
    void swap(RepertoryData& other) noexcept { tables_.swap(other.tables_); }

    int chapterCount() const { return kChapterCount; }
    int headingCount() const { return kHeadingCount; }
    int rubricCount() const { return kRubricCount; }
    int remedyCount() const { return kRemedyCount; }
    // Where the text search and the remedy overview stop when scanning all chapters.
    int rubricScanBound() const { return kRubricCount; }

    const Chapter& chapter(int index) const { return tables_->chapters[index]; }
    const Heading& heading(int index) const { return tables_->headings[index]; }
    const Rubric& rubric(int index) const { return tables_->rubrics[index]; }
    RemedyEntry entry(int index) const { return tables_->entryList[index]; }
    const char* abbreviation(int remedy) const { return tables_->abbreviations[remedy]; }
    std::span<const RemedyEntry> entriesOf(int rubricIndex) const;

    // Chapter of a heading index, heading of a rubric index: -1 when none.
    int chapterOfHeading(int headingIndex) const;
    int headingOfRubric(int rubricIndex) const;
    // Chapter text of the heading's chapter, or empty text.
    std::string chapterTitleOfHeading(int headingIndex) const;

    // Rubric text and " [%d]" with the entry count, for 0 < |number| <= 8385.
    std::string symptomText(std::int32_t number) const;
    // Chapter title, a blank and the heading text of a rubric index.
    std::string locationText(int rubricIndex) const;
    // Abbreviations padded to 11 characters plus a blank, "\r\n" after every
    // fifth unless it is the last.
    std::string remedyListText(int rubricIndex) const;

    // Write access for the loader, the overlay and tests that change content.
    RepertoryTables& tables() { return *tables_; }
    const RepertoryTables& tables() const { return *tables_; }

private:
    std::unique_ptr<RepertoryTables> tables_;
};

// Copies `text` into a fixed text field, cut so that the NUL always fits.
void copyToField(char* field, int fieldSize, const std::string& text);

} // namespace tessalyn
