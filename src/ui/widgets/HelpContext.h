#pragma once

#include <QVariant>
#include <QWidget>

namespace tessalyn {

// How the windows of the program name their help topic: each dialog sets the
// dynamic property "helpContext" on itself to its context number (one of the
// help::k* constants in HelpViewer.h), e.g. in its constructor:
//
//     setHelpContext(this, help::kTextSearch);
//
// "&Hilfe" of the main window opens the topic of the active window when that
// is another window of the program that names one; otherwise its own (13).
inline constexpr const char* kHelpContextProperty = "helpContext";

inline void setHelpContext(QWidget* window, int contextNumber) {
    window->setProperty(kHelpContextProperty, contextNumber);
}

// The context number a window names, or -1 when it names none.
inline int helpContextOf(const QWidget* window) {
    if (window == nullptr) {
        return -1;
    }
    bool ok = false;
    const int context = window->property(kHelpContextProperty).toInt(&ok);
    return ok ? context : -1;
}

} // namespace tessalyn
