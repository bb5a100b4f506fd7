#pragma once

#include "data/RepertoryData.h"

#include <cstdint>
#include <memory>

namespace tessalyn {

// One row of the case: a symptom number (1..8385 a rubric, -1..-8385 the
// counter-polar entry of that rubric, 0 an empty row) and its BD value. A row
// that names several rubrics joined by "+" keeps the further ones in `next`;
// only the first one is evaluated, filed and shown.
struct CaseEntry {
    std::int32_t number = 0;
    std::int32_t bd = 0;
    bool autoAdded = false; // appended by the evaluation as a missing counter-polarity
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
            next = std::move(other.next);
        }
        return *this;
    }
    CaseEntry(const CaseEntry&) = delete;
    CaseEntry& operator=(const CaseEntry&) = delete;
    ~CaseEntry() { freeChain(); }

    SymptomRef ref() const { return {number, bd}; }

    // Number 0, BD 0, not auto-added, and the whole chain freed.
    void reset() {
        number = 0;
        bd = 0;
        autoAdded = false;
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
