#pragma once

#include <QGuiApplication>

namespace tessalyn {

// Shows the wait cursor for the lifetime of the object: long sorts, filling
// the result table, building the chapter tree.
class WaitCursor {
public:
    WaitCursor() { QGuiApplication::setOverrideCursor(Qt::WaitCursor); }
    ~WaitCursor() { QGuiApplication::restoreOverrideCursor(); }
    WaitCursor(const WaitCursor&) = delete;
    WaitCursor& operator=(const WaitCursor&) = delete;
};

} // namespace tessalyn
