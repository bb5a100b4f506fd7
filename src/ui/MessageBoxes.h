#pragma once

#include "ui/TestHook.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <functional>

class QWidget;

namespace tessalyn {

// The program title: caption of the main window, of the program's message
// boxes and of the Yes/No question box.
inline QString programTitle() {
    return QStringLiteral("Tessalyn");
}

// The program's information, warning and error boxes: one OK button, the
// program title as caption. Every dialog reports through here, so tests can
// catch all messages with one hook instead of answering real boxes.
class MessageBoxes {
public:
    enum class Kind { Information, Warning, Error };

    // Called instead of showing a box while set; receives the kind and the text.
    using Hook = TestHook<void(Kind kind, const QString& text)>;

    static void information(QWidget* parent, const QString& text);
    static void warning(QWidget* parent, const QString& text);
    static void error(QWidget* parent, const QString& text);
    static void show(Kind kind, QWidget* parent, const QString& text);

    static Hook& testHook();
};

// For tests: records every message while it lives, no box is shown.
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

} // namespace tessalyn
