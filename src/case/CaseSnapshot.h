#pragma once

#include "case/CaseEntry.h"

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

namespace tessalyn {

class CaseGrid;

// The focused cell of the case grid.
struct CaseFocus {
    int row = -1;
    int column = -1;

    friend bool operator==(const CaseFocus&, const CaseFocus&) = default;
};

// The case as the user sees it in the case grid, kept apart from the grid:
// the name, the values of every entry in use (the "+" chains included) and
// the text of every row's number column. The other columns, the symptom tips
// and the row heights follow from these, so restoring a snapshot rebuilds the
// grid exactly. Entry values are copied as CaseEntryValues, so every field an
// entry has is part of the snapshot.
class CaseSnapshot {
public:
    // The entries in use, the input row included.
    int rowCount() const { return static_cast<int>(rows_.size()); }
    const std::string& name() const { return name_; }
    const CaseEntryValues& rowValues(int index) const {
        return rows_[static_cast<std::size_t>(index)];
    }
    // The number column's text of entry `index` (grid row index + 1).
    std::string_view rowText(int index) const {
        const auto i = static_cast<std::size_t>(index);
        const std::uint32_t begin = i == 0 ? 0 : textEnds_[i - 1];
        return std::string_view(texts_).substr(begin, textEnds_[i] - begin);
    }
    // The further rubrics of "+" rows: the entry index and the link's values,
    // by entry and in chain order.
    const std::vector<std::pair<std::int32_t, CaseEntryValues>>& links() const { return links_; }

    // Bytes the snapshot holds, itself included.
    std::size_t memoryBytes() const;

    friend bool operator==(const CaseSnapshot&, const CaseSnapshot&) = default;

private:
    friend class CaseGrid;
    // The kept case read back from its file (CaseState.h).
    friend std::optional<CaseSnapshot> caseStateFromBytes(std::string_view bytes,
                                                          std::string& error);

    std::string name_;
    std::vector<CaseEntryValues> rows_;
    std::vector<std::pair<std::int32_t, CaseEntryValues>> links_;
    std::string texts_;                   // the rows' texts one after another
    std::vector<std::uint32_t> textEnds_; // where each row's text ends in texts_
};

// One undoable change of the case: the case before and after it, and where
// the focus stood. Consecutive steps share the snapshot between them, so a
// step costs about one snapshot.
struct CaseUndoStep {
    std::shared_ptr<const CaseSnapshot> before;
    std::shared_ptr<const CaseSnapshot> after;
    CaseFocus focusBefore;
    CaseFocus focusAfter;
};

// Turns changes of a case grid into undo steps and applies them back. A
// change recorded while another one is being recorded belongs to the outer
// one, so an operation made of several smaller ones is one step.
class CaseUndoRecorder {
public:
    explicit CaseUndoRecorder(CaseGrid& grid) : grid_(grid) {}

    // Runs `change`; returns the step it made, or nothing when the case is as
    // it was (or the change was part of an outer one).
    std::optional<CaseUndoStep> record(const std::function<void()>& change);
    bool recording() const { return depth_ > 0; }

    // Puts the grid into the state before (undo) or after (redo) the step.
    void undo(const CaseUndoStep& step);
    void redo(const CaseUndoStep& step);

private:
    std::shared_ptr<const CaseSnapshot> share(CaseSnapshot snapshot);

    CaseGrid& grid_;
    std::shared_ptr<const CaseSnapshot> last_; // the state the latest step left
    int depth_ = 0;
};

} // namespace tessalyn
