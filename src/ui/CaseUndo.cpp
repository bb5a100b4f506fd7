#include "ui/CaseUndo.h"

#include "case/CaseGrid.h"

#include <QUndoCommand>

#include <utility>

namespace tessalyn {

// One recorded change. The change has happened when the step is pushed, so
// the stack's first redo() does nothing.
class CaseUndo::Step : public QUndoCommand {
public:
    Step(CaseUndo& owner, const QString& text, CaseUndoStep step)
        : QUndoCommand(text), owner_(owner), step_(std::move(step)) {}

    void undo() override {
        owner_.recorder_.undo(step_);
        emit owner_.restored();
        emit owner_.changed();
    }

    void redo() override {
        if (pushed_) {
            pushed_ = false;
            return;
        }
        owner_.recorder_.redo(step_);
        emit owner_.restored();
        emit owner_.changed();
    }

private:
    CaseUndo& owner_;
    CaseUndoStep step_;
    bool pushed_ = true;
};

CaseUndo::CaseUndo(CaseGrid& grid, QObject* parent) : QObject(parent), recorder_(grid) {
    stack_.setUndoLimit(kUndoSteps);
}

void CaseUndo::record(const QString& text, const std::function<void()>& change) {
    if (std::optional<CaseUndoStep> step = recorder_.record(change)) {
        stack_.push(new Step(*this, text, std::move(*step)));
        emit changed();
    }
}

void CaseUndo::undo() {
    if (!recorder_.recording()) {
        stack_.undo();
    }
}

void CaseUndo::redo() {
    if (!recorder_.recording()) {
        stack_.redo();
    }
}

} // namespace tessalyn
