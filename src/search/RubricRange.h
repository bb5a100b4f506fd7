#pragma once

#include "data/RepertoryData.h"

#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

// Chapter filter value meaning "all chapters".
inline constexpr int kAllChapters = -1;

// Rubrics a search scans: 1-based symptom numbers, both ends inclusive. Empty
// when last < first.
struct RubricRange {
    int first = 1;
    int last = 0;

    bool empty() const { return last < first; }
    int size() const { return empty() ? 0 : last - first + 1; }
    friend bool operator==(const RubricRange&, const RubricRange&) = default;
};

// The range the text search and the remedy overview scan for a chapter
// filter: every rubric from 1 to rubricScanBound() for kAllChapters (and for
// any value that names no chapter); for chapter c, from the rubric after the
// last one of chapter c-1 to the last rubric of chapter c.
RubricRange rubricRange(const RepertoryData& data, int chapterFilter);

// Entries of the chapter filter lists ("Kapitelfilter"): an empty entry for all
// chapters, then the 32 chapter titles in table order.
std::vector<std::string> chapterFilterList(const RepertoryData& data);

// Chapter index of a title from the chapter filter list: the first chapter
// whose title equals it, or kAllChapters when none does (the empty entry).
int chapterIndexByTitle(const RepertoryData& data, std::string_view title);

// 0-based, half-open index ranges of the tables' parent-child structure.
struct IndexRange {
    int begin = 0;
    int end = 0;
};

// Headings of a chapter and rubric indexes of a heading, as the cumulative
// end indexes define them.
IndexRange headingsOfChapter(const RepertoryData& data, int chapter);
IndexRange rubricsOfHeading(const RepertoryData& data, int heading);

} // namespace tessalyn
