#pragma once

#include "case/CaseSnapshot.h"

#include <QObject>
#include <QString>
#include <QUndoStack>

#include <functional>

namespace tessalyn {

class CaseGrid;

// The undo history of the case in the main window: every change of the case
// recorded here is one step of a QUndoStack (at least kUndoSteps of them).
// A step holds the case before and after the change as snapshots (see
// CaseSnapshot), so undo and redo put back exactly the entries, BD values,
// "+" chains, row texts and the focused row, whatever the change was.
class CaseUndo : public QObject {
    Q_OBJECT

public:
    static constexpr int kUndoSteps = 100;

    explicit CaseUndo(CaseGrid& grid, QObject* parent = nullptr);

    // Runs `change` on the case as one undo step named `text`; a change that
    // leaves the case as it was makes no step. A change made while another
    // is being recorded belongs to that one.
    void record(const QString& text, const std::function<void()>& change);
    bool recording() const { return recorder_.recording(); }

    void undo();
    void redo();
    bool canUndo() const { return stack_.canUndo(); }
    bool canRedo() const { return stack_.canRedo(); }

    QUndoStack& stack() { return stack_; }

signals:
    // The grid was rebuilt by an undo or a redo.
    void restored();
    // The case changed: a step was recorded, undone or redone.
    void changed();

private:
    class Step;

    CaseUndoRecorder recorder_;
    QUndoStack stack_;
};

} // namespace tessalyn
