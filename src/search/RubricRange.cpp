#include "search/RubricRange.h"

namespace tessalyn {

IndexRange headingsOfChapter(const RepertoryData& data, int chapter) {
    if (chapter < 0 || chapter >= data.chapterCount()) {
        return {};
    }
    const int begin = chapter == 0 ? 0 : data.chapter(chapter - 1).headingEnd;
    return {begin, data.chapter(chapter).headingEnd};
}

IndexRange rubricsOfHeading(const RepertoryData& data, int heading) {
    if (heading < 0 || heading >= data.headingCount()) {
        return {};
    }
    const int begin = heading == 0 ? 0 : data.heading(heading - 1).rubricEnd;
    return {begin, data.heading(heading).rubricEnd};
}

namespace {

// rubricEnd of the last heading of chapter c: the symptom number of the
// chapter's last rubric; 0 before the first heading.
int lastRubricNumberOfChapter(const RepertoryData& data, int chapter) {
    const int lastHeading = data.chapter(chapter).headingEnd - 1;
    return lastHeading < 0 ? 0 : data.heading(lastHeading).rubricEnd;
}

} // namespace

RubricRange rubricRange(const RepertoryData& data, int chapterFilter) {
    if (chapterFilter < 0 || chapterFilter >= data.chapterCount()) {
        return {1, data.rubricScanBound()};
    }
    const int first =
        chapterFilter == 0 ? 1 : lastRubricNumberOfChapter(data, chapterFilter - 1) + 1;
    return {first, lastRubricNumberOfChapter(data, chapterFilter)};
}

std::vector<std::string> chapterFilterList(const RepertoryData& data) {
    std::vector<std::string> list;
    list.reserve(static_cast<std::size_t>(data.chapterCount()) + 1);
    list.emplace_back();
    for (int c = 0; c < data.chapterCount(); ++c) {
        list.emplace_back(data.chapter(c).text);
    }
    return list;
}

int chapterIndexByTitle(const RepertoryData& data, std::string_view title) {
    if (title.empty()) {
        return kAllChapters;
    }
    for (int c = 0; c < data.chapterCount(); ++c) {
        if (title == data.chapter(c).text) {
            return c;
        }
    }
    return kAllChapters;
}

} // namespace tessalyn
