#include "data/RepertoryData.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace tessalyn {

bool passesGradeFilter(RemedyEntry e, const GradeSelection& s) {
    if (!s.ignoreBd && entryHasBdMark(e) != s.bdWanted) {
        return false;
    }
    const bool noFlag = (e & (kEntryGrade5 | kEntryGrade4 | kEntryGrade3 | kEntryGrade2)) == 0;
    return (s.grade[0] && noFlag) || (s.grade[1] && (e & kEntryGrade2)) ||
           (s.grade[2] && (e & kEntryGrade3)) || (s.grade[3] && (e & kEntryGrade4)) ||
           (s.grade[4] && (e & kEntryGrade5));
}

int rubricIndexOf(std::int32_t number, std::int32_t bd) {
    if (bd != 0 || number == 0 || number < -kRubricCount || number > kRubricCount) {
        return -1;
    }
    return std::abs(number) - 1;
}

std::string numberText(std::int32_t number, std::int32_t bd) {
    if (bd != 0) {
        return {};
    }
    return std::to_string(number);
}

void copyToField(char* field, int fieldSize, const std::string& text) {
    const std::size_t n =
        std::min<std::size_t>(text.size(), static_cast<std::size_t>(fieldSize - 1));
    std::memcpy(field, text.data(), n);
    field[n] = '\0';
}

RepertoryData::RepertoryData() : tables_(std::make_unique<RepertoryTables>()) {
    std::memset(tables_.get(), 0, sizeof(RepertoryTables));
}

RepertoryData::~RepertoryData() = default;

RepertoryData::RepertoryData(const RepertoryData& other)
    : tables_(std::make_unique<RepertoryTables>(*other.tables_)) {}

RepertoryData& RepertoryData::operator=(const RepertoryData& other) {
    if (this != &other) {
        *tables_ = *other.tables_;
    }
    return *this;
}

std::span<const RemedyEntry> RepertoryData::entriesOf(int rubricIndex) const {
    if (rubricIndex < 0 || rubricIndex >= kRubricCount) {
        return {};
    }
    const Rubric& r = tables_->rubrics[rubricIndex];
    return {tables_->entryList + r.firstEntry, static_cast<std::size_t>(r.entryCount)};
}

// The cumulative end indexes never decrease (the loader verifies it), so the
// first record whose range holds the index is the first one whose end lies
// above it.
int RepertoryData::chapterOfHeading(int headingIndex) const {
    if (headingIndex < 0) {
        return -1;
    }
    const Chapter* begin = tables_->chapters;
    const Chapter* end = begin + kChapterCount;
    const Chapter* it = std::upper_bound(
        begin, end, headingIndex, [](int value, const Chapter& c) { return value < c.headingEnd; });
    return it == end ? -1 : static_cast<int>(it - begin);
}

int RepertoryData::headingOfRubric(int rubricIndex) const {
    if (rubricIndex < 0) {
        return -1;
    }
    const Heading* begin = tables_->headings;
    const Heading* end = begin + kHeadingCount;
    const Heading* it = std::upper_bound(
        begin, end, rubricIndex, [](int value, const Heading& h) { return value < h.rubricEnd; });
    return it == end ? -1 : static_cast<int>(it - begin);
}

std::string RepertoryData::chapterTitleOfHeading(int headingIndex) const {
    const int c = chapterOfHeading(headingIndex);
    return c < 0 ? std::string() : std::string(tables_->chapters[c].text);
}

std::string RepertoryData::symptomText(std::int32_t number) const {
    const int index = rubricIndexOf(number, 0);
    if (index < 0) {
        return {};
    }
    const Rubric& r = tables_->rubrics[index];
    std::string text(r.text);
    text += " [";
    text += std::to_string(r.entryCount);
    text += ']';
    return text;
}

std::string RepertoryData::locationText(int rubricIndex) const {
    const int h = headingOfRubric(rubricIndex);
    if (h < 0) {
        return {};
    }
    std::string text = chapterTitleOfHeading(h);
    text += ' ';
    text += tables_->headings[h].text;
    return text;
}

std::string RepertoryData::remedyListText(int rubricIndex) const {
    const auto entries = entriesOf(rubricIndex);
    std::string text;
    text.reserve(entries.size() * 13);
    for (std::size_t i = 0; i < entries.size(); ++i) {
        char cell[16];
        std::snprintf(cell, sizeof cell, "%-11s ", abbreviation(entryRemedy(entries[i])));
        text += cell;
        if ((i + 1) % 5 == 0 && i + 1 != entries.size()) {
            text += "\r\n";
        }
    }
    return text;
}

} // namespace tessalyn
