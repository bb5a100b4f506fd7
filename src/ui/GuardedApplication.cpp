#include "ui/GuardedApplication.h"

#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/TextCodec.h"

#include <exception>
#include <new>

namespace tessalyn {

namespace {

void reportEscapedException(const QString& reason) {
    // A failure while the report itself is up must not stack boxes.
    static bool reporting = false;
    if (reporting) {
        return;
    }
    reporting = true;
    MessageBoxes::error(QApplication::activeWindow(),
                        QStringLiteral("Die letzte Aktion konnte nicht ausgeführt werden: %1\n\n"
                                       "Tessalyn läuft weiter. Bitte prüfen Sie, ob das "
                                       "Ergebnis der Aktion vollständig ist.")
                            .arg(reason));
    reporting = false;
}

} // namespace

GuardedApplication::GuardedApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool GuardedApplication::notify(QObject* receiver, QEvent* event) {
    return deliverGuarded([&] { return QApplication::notify(receiver, event); });
}

bool GuardedApplication::deliverGuarded(const std::function<bool()>& deliver) {
    try {
        return deliver();
    } catch (const std::bad_alloc&) {
        reportEscapedException(QStringLiteral("Es ist nicht genug Arbeitsspeicher frei."));
    } catch (const std::exception& e) {
        reportEscapedException(QStringLiteral("Interner Fehler (%1).").arg(toQString(e.what())));
    } catch (...) {
        reportEscapedException(QStringLiteral("Interner Fehler."));
    }
    return false;
}

} // namespace tessalyn
