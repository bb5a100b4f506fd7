#pragma once

#include <string>
#include <vector>

namespace tessalyn {

// Where the history shows an error to the user. The desktop program fills this
// in with a message box that has one OK button; the core never shows anything
// itself. `report` returns the box's result.
class HistoryReporter {
public:
    static constexpr int kOk = 1;

    virtual ~HistoryReporter() = default;
    virtual int report(const std::string& text) = 0;
};

// Keeps every reported text; for the command-line companion and the tests.
class CollectingHistoryReporter : public HistoryReporter {
public:
    int report(const std::string& text) override {
        messages_.push_back(text);
        return kOk;
    }
    const std::vector<std::string>& messages() const { return messages_; }
    void clear() { messages_.clear(); }

private:
    std::vector<std::string> messages_;
};

} // namespace tessalyn
