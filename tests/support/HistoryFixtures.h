#pragma once

#include "case/CaseEntry.h"
#include "history/CaseHistory.h"

#include <initializer_list>
#include <utility>
#include <vector>

namespace tessalyn::test_support {

// No symptoms: a treatment filed with an empty case.
inline const std::vector<FilingEntry> kNoEntries;

// The symptoms of a treatment to file, none of them added automatically.
inline std::vector<FilingEntry> filingEntries(std::initializer_list<SymptomRef> refs) {
    std::vector<FilingEntry> list;
    for (const SymptomRef& r : refs) {
        list.push_back({r, false});
    }
    return list;
}

// Case rows for (number, bd) pairs, as the program files them from its case.
inline std::vector<CaseEntry> caseEntries(std::initializer_list<std::pair<int, int>> refs) {
    std::vector<CaseEntry> list;
    for (const auto& [number, bd] : refs) {
        list.emplace_back(number, bd);
    }
    return list;
}

} // namespace tessalyn::test_support
