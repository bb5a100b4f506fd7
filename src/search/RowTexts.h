#pragma once

#include "data/RepertoryData.h"

#include <charconv>
#include <cstring>
#include <string>

namespace tessalyn::detail {

// The symptom text of a valid symptom number (rubric text, " [", entry count,
// "]"), the same text as RepertoryData::symptomText, written into `out` with
// one allocation: result tables build thousands of them per search.
inline void assignSymptomText(std::string& out, const RepertoryData& data, int number) {
    const Rubric& rubric = data.rubric(number - 1);
    const std::size_t length = std::strlen(rubric.text);
    char count[16];
    const auto end = std::to_chars(count, count + sizeof count, rubric.entryCount).ptr;
    out.clear();
    out.reserve(length + 3 + static_cast<std::size_t>(end - count));
    out.append(rubric.text, length);
    out += " [";
    out.append(count, end);
    out += ']';
}

} // namespace tessalyn::detail
