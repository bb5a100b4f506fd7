#pragma once

#include "history/HistoryReporter.h"

#include <string>

class QWidget;

namespace tessalyn {

// Shows the history's syntax errors in the program's error box.
class MessageBoxHistoryReporter : public HistoryReporter {
public:
    explicit MessageBoxHistoryReporter(QWidget* parent) : parent_(parent) {}
    int report(const std::string& text) override;

private:
    QWidget* parent_;
};

} // namespace tessalyn
