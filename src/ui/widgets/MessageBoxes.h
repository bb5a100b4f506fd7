#pragma once

#include "ui/widgets/TestHook.h"

#include <QString>

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

} // namespace tessalyn
