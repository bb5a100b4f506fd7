#include "history/HistorySelection.h"

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
