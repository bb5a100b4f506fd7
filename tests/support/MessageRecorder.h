#pragma once

#include "ui/widgets/MessageBoxes.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

namespace tessalyn::test_support {

// Records every message of MessageBoxes while it lives; no box is shown.
class MessageRecorder {
public:
    struct Message {
        MessageBoxes::Kind kind;
        QString text;
    };

    MessageRecorder();
    MessageRecorder(const MessageRecorder&) = delete;
    MessageRecorder& operator=(const MessageRecorder&) = delete;

    const QList<Message>& messages() const { return messages_; }
    QStringList texts() const;
    void clear() { messages_.clear(); }
    // Called with each message as it comes, after it is recorded.
    void setWatcher(std::function<void(const Message&)> watcher) { watcher_ = std::move(watcher); }

private:
    QList<Message> messages_;
    std::function<void(const Message&)> watcher_;
    MessageBoxes::Hook::Guard guard_;
};

} // namespace tessalyn::test_support
