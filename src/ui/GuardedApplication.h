#pragma once

#include <QApplication>

#include <functional>

namespace tessalyn {

// The desktop program's application object. An exception that escapes an
// event handler (the standard library throws std::bad_alloc, std::length_error
// and the like) would otherwise end the program through Qt's event loop; here
// it is caught where the event is delivered, reported in a German message box,
// and the program keeps running with the event left unhandled.
class GuardedApplication : public QApplication {
public:
    GuardedApplication(int& argc, char** argv);

    bool notify(QObject* receiver, QEvent* event) override;

    // Runs one delivery; an exception it throws is reported and counts as
    // "not handled" (false).
    static bool deliverGuarded(const std::function<bool()>& deliver);
};

} // namespace tessalyn
