#pragma once

#include "case/CaseEntry.h"

#include <span>
#include <string>
#include <vector>

namespace tessalyn {

// The case grid takes at most this many rows; typing into the last row of a
// full grid replaces its entry.
inline constexpr int kCaseRowCapacity = 3000;
// Entry slots of the case: room for one counter-polar entry for every row.
// Nothing ever takes the case beyond them.
inline constexpr int kCaseSlotCount = 6000;

// How counter-polarities are handled (setting "PolaritätenHandhabung").
enum class PolarityMode : int {
    Immediate = 0, // the grid inserts the counter-polar entry below the symptom
    AtEnd = 1,     // the evaluation appends missing counter-polar entries
    None = 2,      // no counter-polar entries are added
};

// A stored setting turned into a mode; values other than 0..2 give the
// start-up default (1).
PolarityMode polarityModeFromInt(int value);

// The marks a weighted or eliminating entry shows beside its text wherever it
// appears (case grid, result table, printout, report, command line): "×W" for
// a weight W other than 1, then "[E]" for an eliminating entry, separated by
// a blank; empty for an entry with neither. Windows-1252.
std::string entryMarksText(const CaseEntry& entry);

// True when any of the entries carries a weight other than 1 or the
// eliminating mark.
bool anyEntryMarks(std::span<const CaseEntry> entries);

// The current case: 6000 entry slots of which the first `count` are in use,
// and the case name. While the user edits, the count includes the trailing
// input row of the case grid.
class Case {
public:
    Case();

    int count() const { return count_; }
    void setCount(int count);

    CaseEntry& entry(int index) { return entries_[static_cast<std::size_t>(index)]; }
    const CaseEntry& entry(int index) const { return entries_[static_cast<std::size_t>(index)]; }
    std::span<CaseEntry> entries() { return {entries_.data(), entries_.size()}; }
    std::span<const CaseEntry> entries() const { return {entries_.data(), entries_.size()}; }
    // The entries in use, 0..count-1.
    std::span<const CaseEntry> used() const {
        return {entries_.data(), static_cast<std::size_t>(count_)};
    }

    const std::string& name() const { return name_; }
    void setName(std::string name) { name_ = std::move(name); }

    // True when none of the entries 0..count-1 is (number, bd).
    bool lacks(std::int32_t number, std::int32_t bd) const;

    // Resets every slot in use and sets the count to 0; the name stays.
    void resetEntries();

private:
    std::vector<CaseEntry> entries_; // always kCaseSlotCount slots
    int count_ = 0;
    std::string name_;
};

} // namespace tessalyn
