#include "history/HistorySelection.h"

#include <algorithm>

namespace tessalyn {

TakenCase takenCase(const FiledCase* filedCase, const Treatment* treatment) {
    TakenCase taken;
    if (treatment != nullptr) {
        taken.symptoms = treatment->symptoms;
        if (filedCase != nullptr) {
            taken.name = filedCase->name;
        }
    } else if (filedCase != nullptr && !filedCase->treatments.empty()) {
        taken.symptoms = filedCase->treatments.front()->symptoms;
        taken.name = filedCase->name;
    }
    return taken;
}

int shownCaseNear(const std::vector<bool>& shown, int index) {
    const int count = static_cast<int>(shown.size());
    for (int i = std::min(index, count - 1); i < count; ++i) {
        if (i >= 0 && shown[static_cast<std::size_t>(i)]) {
            return i;
        }
    }
    for (int i = std::min(index, count) - 1; i >= 0; --i) {
        if (shown[static_cast<std::size_t>(i)]) {
            return i;
        }
    }
    return -1;
}

bool removeHistoryItem(CaseHistory& history, const HistoryItemKey& key) {
    Treatment* treatment = nullptr;
    FiledCase* filedCase = findHistoryItem(history, key, &treatment);
    if (filedCase == nullptr || (key.hasTreatment && treatment == nullptr)) {
        return false;
    }
    if (key.hasTreatment) {
        history.removeTreatment(*filedCase, treatment);
    } else {
        history.removeCase(filedCase);
    }
    return true;
}

} // namespace tessalyn
