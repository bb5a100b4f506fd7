#include "case/CaseSnapshot.h"

#include "case/CaseGrid.h"

namespace tessalyn {

std::size_t CaseSnapshot::memoryBytes() const {
    return sizeof(CaseSnapshot) + name_.capacity() + rows_.capacity() * sizeof(CaseEntryValues) +
           links_.capacity() * sizeof(links_.front()) + texts_.capacity() +
           textEnds_.capacity() * sizeof(std::uint32_t);
}

std::shared_ptr<const CaseSnapshot> CaseUndoRecorder::share(CaseSnapshot snapshot) {
    if (last_ && *last_ == snapshot) {
        return last_;
    }
    return std::make_shared<const CaseSnapshot>(std::move(snapshot));
}

std::optional<CaseUndoStep> CaseUndoRecorder::record(const std::function<void()>& change) {
    if (depth_ > 0) {
        change();
        return std::nullopt;
    }
    CaseUndoStep step;
    step.before = share(grid_.snapshot());
    step.focusBefore = grid_.focus();
    ++depth_;
    try {
        change();
    } catch (...) {
        --depth_;
        throw;
    }
    --depth_;
    CaseSnapshot after = grid_.snapshot();
    if (after == *step.before) {
        return std::nullopt;
    }
    step.after = std::make_shared<const CaseSnapshot>(std::move(after));
    step.focusAfter = grid_.focus();
    last_ = step.after;
    return step;
}

void CaseUndoRecorder::undo(const CaseUndoStep& step) {
    grid_.restore(*step.before, step.focusBefore);
    last_ = step.before;
}

void CaseUndoRecorder::redo(const CaseUndoStep& step) {
    grid_.restore(*step.after, step.focusAfter);
    last_ = step.after;
}

} // namespace tessalyn
