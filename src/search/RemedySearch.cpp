#include "search/RemedySearch.h"

#include "data/Cp1252.h"
#include "search/RowTexts.h"

#include <algorithm>
#include <charconv>

namespace tessalyn {

namespace {

constexpr const char* kCaptionPrefix = "Mittelübersicht: "_cp1252;

// Reads a size field as a number field does: blanks around an optionally
// signed decimal integer. A text that holds no integer leaves `value` alone;
// an integer outside 0..99 is stored and reported.
FieldCheck readSizeField(std::string_view text, int& value) {
    const std::size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return FieldCheck::NotAnInteger;
    }
    text = text.substr(first, text.find_last_not_of(' ') - first + 1);
    const char* begin = text.data();
    const char* end = begin + text.size();
    if (*begin == '+') {
        ++begin;
    }
    int parsed = 0;
    const auto result = std::from_chars(begin, end, parsed);
    if (begin == end || result.ec != std::errc() || result.ptr != end) {
        return FieldCheck::NotAnInteger;
    }
    value = parsed;
    return parsed < 0 || parsed > kMaxSizeFieldValue ? FieldCheck::OutOfRange : FieldCheck::Ok;
}

void appendInt(std::string& out, int value) {
    char digits[16];
    const auto result = std::to_chars(digits, digits + sizeof digits, value);
    out.append(digits, result.ptr);
}

} // namespace

std::vector<std::string> sortedRemedyAbbreviations(const RepertoryData& data) {
    std::vector<std::string> abbreviations;
    abbreviations.reserve(static_cast<std::size_t>(data.remedyCount()));
    for (int r = 0; r < data.remedyCount(); ++r) {
        abbreviations.emplace_back(data.abbreviation(r));
    }
    std::stable_sort(abbreviations.begin(), abbreviations.end(),
                     [](const std::string& a, const std::string& b) {
                         const std::string ua = cp1252ToUpper(a);
                         const std::string ub = cp1252ToUpper(b);
                         return ua != ub ? ua < ub : a < b;
                     });
    return abbreviations;
}

std::string completeRemedyText(std::string_view text) {
    std::string completed(text);
    if (!completed.empty() && completed.back() != '.') {
        completed += '.';
    }
    return completed;
}

int remedyIndexByText(const RepertoryData& data, std::string_view text) {
    for (int r = 0; r < data.remedyCount(); ++r) {
        if (cp1252EqualsIgnoreCase(data.abbreviation(r), text)) {
            return r;
        }
    }
    return kNoRemedy;
}

void GradeFilter::selectAll() {
    for (bool& g : grade) {
        g = true;
    }
    bdOnly = false;
}

void GradeFilter::selectHighGrades() {
    grade[0] = grade[1] = false;
    grade[2] = grade[3] = grade[4] = true;
    bdOnly = false;
}

bool GradeFilter::passes(RemedyEntry entry) const {
    GradeSelection selection;
    for (int g = 0; g < 5; ++g) {
        selection.grade[g] = grade[g];
    }
    selection.bdWanted = true;
    selection.ignoreBd = !bdOnly;
    return passesGradeFilter(entry, selection);
}

namespace {

// Whether an entry passes depends only on its BD mark and its four grade
// flags (bits 11 to 15): the filter's answer for each of the 32 combinations,
// so that a search asks the filter once per combination, not once per entry.
class PassTable {
public:
    explicit PassTable(const GradeFilter& filter) {
        for (RemedyEntry bits = 0; bits < 32; ++bits) {
            passes_[bits] = filter.passes(bits << kFlagShift);
        }
    }
    bool operator()(RemedyEntry e) const { return passes_[(e >> kFlagShift) & 31]; }

private:
    static constexpr int kFlagShift = 11;
    static_assert(kEntryBdMark == 1u << kFlagShift && kEntryGrade4 == 1u << (kFlagShift + 4));
    bool passes_[32];
};

void appendOtherRemedies(std::string& text, const RepertoryData& data, int rubricIndex,
                         const PassTable& passes) {
    const auto entries = data.entriesOf(rubricIndex);
    text.reserve(text.size() + entries.size() * 14);
    for (const RemedyEntry e : entries) {
        if (passes(e)) {
            text += data.abbreviation(entryRemedy(e));
            text += '(';
            text += static_cast<char>('0' + entryGrade(e));
            text += ") ";
        }
    }
}

} // namespace

std::string otherRemediesText(const RepertoryData& data, int rubricIndex,
                              const GradeFilter& gradeFilter) {
    std::string text;
    appendOtherRemedies(text, data, rubricIndex, PassTable(gradeFilter));
    return text;
}

FieldCheck RemedySearch::readControls(const RemedyControls& controls) {
    remedyText = controls.remedyText;
    for (int g = 0; g < 5; ++g) {
        gradeFilter.grade[g] = controls.grade[g];
    }
    gradeFilter.bdOnly = controls.bdOnly;
    sizeFilter.enabled = controls.sizeFilterOn;
    FieldCheck check = readSizeField(controls.minimumText, sizeFilter.minimum);
    if (check == FieldCheck::Ok) {
        check = readSizeField(controls.maximumText, sizeFilter.maximum);
    }
    if (check == FieldCheck::Ok) {
        otherRemedies = controls.otherRemedies;
    }
    gradeFilter.grade[0] = true;
    return check;
}

void RemedySearch::selectChapter(std::string_view chapterTitle) {
    chapterFilter = chapterIndexByTitle(data_, chapterTitle);
}

bool RemedySearch::admitsRubric(int rubricIndex) const {
    const Rubric& rubric = data_.rubric(rubricIndex);
    return sizeFilter.admits(rubric.entryCount);
}

void RemedySearch::run() {
    gradeFilter.grade[0] = true;
    searchedText_ = completeRemedyText(remedyText);
    remedyIndex_ = remedyIndexByText(data_, searchedText_);
    fourthColumn_ = sizeFilter.enabled && otherRemedies;

    const RubricRange range = rubricRange(data_, chapterFilter);
    const RemedyEntry wanted = static_cast<RemedyEntry>(remedyIndex_);
    const PassTable passes(gradeFilter);

    // First pass: the rubric number of every entry that gives a row (the
    // chosen remedy, with a grade the filter lets through, in a rubric the
    // size filter admits), so that the rows are sized once.
    hits_.clear();
    if (remedyIndex_ != kNoRemedy) {
        for (int k = range.first; k <= range.last; ++k) {
            if (!admitsRubric(k - 1)) {
                continue;
            }
            for (const RemedyEntry e : data_.entriesOf(k - 1)) {
                if ((e & kEntryRemedyMask) == wanted && passes(e)) {
                    hits_.push_back(k);
                }
            }
        }
    }

    // Second pass: the rows, in rubric order. Rows left from the last search
    // are written over, so their texts keep their storage. A heading's
    // location text is made once per run of its rubrics.
    rows_.resize(hits_.size());
    int heading = -1;
    std::string location;
    for (std::size_t i = 0; i < hits_.size(); ++i) {
        const int k = hits_[i];
        const int index = k - 1;
        if (heading < 0 || index >= data_.heading(heading).rubricEnd) {
            heading = data_.headingOfRubric(index);
            location = data_.locationText(index);
        }
        RemedyRow& row = rows_[i];
        row.number = k;
        row.numberText = numberText(k, 0);
        row.numberText += ' ';
        detail::assignSymptomText(row.symptomText, data_, k);
        row.locationText = location;
        row.otherRemedies.clear();
        if (fourthColumn_) {
            appendOtherRemedies(row.otherRemedies, data_, index, passes);
        }
    }

    caption_ = kCaptionPrefix;
    caption_ += searchedText_;
    caption_ += ", gefundene Symptome: ";
    appendInt(caption_, static_cast<int>(rows_.size()));
}

} // namespace tessalyn
