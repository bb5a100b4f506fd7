#include "case/Case.h"

#include "data/Cp1252.h"

#include <algorithm>

namespace tessalyn {

PolarityMode polarityModeFromInt(int value) {
    switch (value) {
    case 0:
        return PolarityMode::Immediate;
    case 2:
        return PolarityMode::None;
    default:
        return PolarityMode::AtEnd;
    }
}

std::string entryMarksText(const CaseEntry& entry) {
    std::string text;
    if (entry.weight != kDefaultWeight) {
        text += "×"_cp1252;
        text += std::to_string(entry.weight);
    }
    if (entry.eliminating) {
        text += text.empty() ? "[E]" : " [E]";
    }
    return text;
}

bool anyEntryMarks(std::span<const CaseEntry> entries) {
    return std::any_of(entries.begin(), entries.end(),
                       [](const CaseEntry& e) { return e.hasMarks(); });
}

Case::Case() : entries_(kCaseSlotCount) {}

void Case::setCount(int count) {
    count_ = std::clamp(count, 0, kCaseSlotCount);
}

bool Case::lacks(std::int32_t number, std::int32_t bd) const {
    for (int i = 0; i < count_; ++i) {
        const CaseEntry& e = entries_[static_cast<std::size_t>(i)];
        if (e.number == number && e.bd == bd) {
            return false;
        }
    }
    return true;
}

void Case::resetEntries() {
    for (CaseEntry& e : entries_) {
        if (e.number != 0 || e.bd != 0 || e.autoAdded || e.hasMarks() || e.next) {
            e.reset();
        }
    }
    count_ = 0;
}

} // namespace tessalyn
