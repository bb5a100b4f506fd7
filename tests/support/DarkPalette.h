#pragma once

#include <QColor>
#include <QPalette>

namespace tessalyn::test_support {

// The palette of a dark desktop theme as one of the common ones sets it:
// light text on dark fields and buttons, and a light blue selection whose
// light text is hard to read (2.2:1), as such themes have it. The contrast
// tests and the screenshots under a dark palette use it.
inline QPalette darkDesktopPalette() {
    const QColor window(49, 54, 59);
    const QColor base(35, 38, 41);
    const QColor text(239, 240, 241);
    const QColor disabledText(110, 113, 117);
    QPalette p(text, window, QColor(79, 87, 94), QColor(27, 30, 32), QColor(44, 48, 52), text,
               Qt::white, base, window);
    p.setColor(QPalette::AlternateBase, window);
    p.setColor(QPalette::ToolTipBase, window);
    p.setColor(QPalette::ToolTipText, text);
    p.setColor(QPalette::Highlight, QColor(61, 174, 233));
    p.setColor(QPalette::HighlightedText, text);
    p.setColor(QPalette::Link, QColor(29, 153, 243));
    p.setColor(QPalette::LinkVisited, QColor(155, 89, 182));
    p.setColor(QPalette::PlaceholderText, QColor(127, 140, 141));
    for (const QPalette::ColorRole role :
         {QPalette::WindowText, QPalette::Text, QPalette::ButtonText}) {
        p.setColor(QPalette::Disabled, role, disabledText);
    }
    return p;
}

} // namespace tessalyn::test_support
