#pragma once

#include "history/CaseHistory.h"
#include "history/HistoryTransaction.h"

#include <string>
#include <vector>

namespace tessalyn {

// What the case history dialog does with the case or treatment the user
// selected.

// The case "Übernehmen" hands to the main window: its name and symptoms.
struct TakenCase {
    std::string name;
    std::vector<SymptomRef> symptoms;
    bool operator==(const TakenCase&) const = default;
};

// What "Übernehmen" takes from a selected treatment (of `filedCase`, which may
// be missing) or, when `treatment` is nullptr, from the selected case: a
// treatment's symptoms under its case's name; for a case, its earliest filed
// treatment, the first in its list, and nothing (no name either) when it has
// none.
TakenCase takenCase(const FiledCase* filedCase, const Treatment* treatment);

// The case the selection goes to among `shown.size()` cases of which the
// search field shows those marked: the first shown one at `index` or after it
// (at the last case when `index` lies beyond it), else the last shown one
// before; -1 when none is shown.
int shownCaseNear(const std::vector<bool>& shown, int index);

// Removes the case or treatment `key` names from `history` (a treatment from
// its case, a case with all its treatments). False when the history holds no
// such item, for instance because another program deleted it already.
bool removeHistoryItem(CaseHistory& history, const HistoryItemKey& key);

} // namespace tessalyn
