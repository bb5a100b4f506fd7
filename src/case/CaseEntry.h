#pragma once

#include "data/RepertoryData.h"

#include <cstdint>
#include <memory>

namespace tessalyn {

// Weights a case entry can carry: 0 keeps it in the case without scoring it,
// w scores it as if it stood w times in the case.
inline constexpr std::int32_t kMinWeight = 0;
inline constexpr std::int32_t kMaxWeight = 4;
inline constexpr std::int32_t kDefaultWeight = 1;

// The values of one case entry: a symptom number (1..8385 a rubric,
// -1..-8385 the counter-polar entry of that rubric, 0 an empty row), its BD
// value, whether the evaluation added it, and its weight and eliminating
// mark. Weight and mark belong to the row like its BD value; they act on
// positive entries only and are never filed. Every field of an entry belongs
// here: moving, resetting and the undo snapshots of the case copy this part
// as a whole, so a field added here is carried along everywhere.
struct CaseEntryValues {
    std::int32_t number = 0;
    std::int32_t bd = 0;
    bool autoAdded = false;              // appended by the evaluation as a missing counter-polarity
    std::int8_t weight = kDefaultWeight; // kMinWeight..kMaxWeight
    bool eliminating = false;            // only remedies of this rubric stay in the ranking

    friend bool operator==(const CaseEntryValues&, const CaseEntryValues&) = default;
};

// One row of the case. A row that names several rubrics joined by "+" keeps
// the further ones in `next`; only the first one is evaluated, filed and shown.
struct CaseEntry : CaseEntryValues {
    std::unique_ptr<CaseEntry> next;

    CaseEntry() = default;
    CaseEntry(std::int32_t number_, std::int32_t bd_, bool autoAdded_ = false)
        : CaseEntryValues{number_, bd_, autoAdded_} {}
    explicit CaseEntry(const CaseEntryValues& values) : CaseEntryValues(values) {}
    CaseEntry(CaseEntry&&) noexcept = default;
    CaseEntry& operator=(CaseEntry&& other) noexcept {
        if (this != &other) {
            freeChain();
            values() = other.values();
            next = std::move(other.next);
        }
        return *this;
    }
    CaseEntry(const CaseEntry&) = delete;
    CaseEntry& operator=(const CaseEntry&) = delete;
    ~CaseEntry() { freeChain(); }

    CaseEntryValues& values() { return *this; }
    const CaseEntryValues& values() const { return *this; }

    SymptomRef ref() const { return {number, bd}; }

    // True when the weight or the mark differs from the default.
    bool hasMarks() const { return weight != kDefaultWeight || eliminating; }
    // Weight 1 and no eliminating mark.
    void clearMarks() {
        weight = kDefaultWeight;
        eliminating = false;
    }

    // Number 0, BD 0, not auto-added, default weight and mark, and the whole
    // chain freed.
    void reset() {
        values() = CaseEntryValues{};
        freeChain();
    }

    // Number of further entries in the chain.
    int chainLength() const {
        int n = 0;
        for (const CaseEntry* e = next.get(); e != nullptr; e = e->next.get()) {
            ++n;
        }
        return n;
    }

private:
    // Frees the chain one link at a time: a row typed as "1+1+1+..." can hold
    // any number of links, and freeing them recursively could exhaust the stack.
    void freeChain() {
        std::unique_ptr<CaseEntry> link = std::move(next);
        while (link) {
            link = std::move(link->next);
        }
    }
};

} // namespace tessalyn
