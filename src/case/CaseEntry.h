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

// One row of the case: a symptom number (1..8385 a rubric, -1..-8385 the
// counter-polar entry of that rubric, 0 an empty row) and its BD value. A row
// that names several rubrics joined by "+" keeps the further ones in `next`;
// only the first one is evaluated, filed and shown. Weight and eliminating
// mark belong to the row like its BD value; they act on positive entries only
// and are never filed.
struct CaseEntry {
    std::int32_t number = 0;
    std::int32_t bd = 0;
    bool autoAdded = false;              // appended by the evaluation as a missing counter-polarity
    std::int8_t weight = kDefaultWeight; // kMinWeight..kMaxWeight
    bool eliminating = false;            // only remedies of this rubric stay in the ranking
    std::unique_ptr<CaseEntry> next;

    CaseEntry() = default;
    CaseEntry(std::int32_t number_, std::int32_t bd_, bool autoAdded_ = false)
        : number(number_), bd(bd_), autoAdded(autoAdded_) {}
    CaseEntry(CaseEntry&&) noexcept = default;
    CaseEntry& operator=(CaseEntry&& other) noexcept {
        if (this != &other) {
            freeChain();
            number = other.number;
            bd = other.bd;
            autoAdded = other.autoAdded;
            weight = other.weight;
            eliminating = other.eliminating;
            next = std::move(other.next);
        }
        return *this;
    }
    CaseEntry(const CaseEntry&) = delete;
    CaseEntry& operator=(const CaseEntry&) = delete;
    ~CaseEntry() { freeChain(); }

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
        number = 0;
        bd = 0;
        autoAdded = false;
        clearMarks();
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
