// Start-up of the desktop program: the application object, Qt's German
// translations, the splash window, the case history path, and the main window,
// run modally; the program ends when it closes.
//
// Option for measuring and tests: --startup-probe closes the main window as
// soon as it has been shown and painted (without asking) and ends the program.
#include "ui/MainDialog.h"
#include "ui/QtSettingsStore.h"
#include "ui/SplashWindow.h"
#include "ui/StartupPaths.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLibraryInfo>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

namespace {

// Ends the dialog's modal run once it has been shown and painted.
class StartupProbe : public QObject {
public:
    explicit StartupProbe(QDialog* dialog) : QObject(dialog), dialog_(dialog) {
        dialog->installEventFilter(this);
    }

protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        // The first paint: the window is on the screen with its contents.
        if (watched == dialog_ && event->type() == QEvent::Paint) {
            dialog_->removeEventFilter(this);
            QTimer::singleShot(0, dialog_, [dialog = dialog_] { dialog->done(QDialog::Rejected); });
        }
        return false;
    }

private:
    QDialog* dialog_;
};

} // namespace

int main(int argc, char** argv) {
    QApplication app(argc, argv);
    QCoreApplication::setApplicationName(QStringLiteral("Tessalyn"));
    QCoreApplication::setOrganizationName(QStringLiteral("Korvanei"));
    // Lets Wayland desktops match the window to its menu entry and icon.
    QGuiApplication::setDesktopFileName(QStringLiteral("io.korvanei.Tessalyn"));
    QApplication::setWindowIcon(QIcon(QStringLiteral(":/icons/tessalyn.svg")));

    // The standard dialogs (files, printing, messages) speak German.
    QTranslator qtTranslations;
    if (qtTranslations.load(QStringLiteral("qtbase_de"),
                            QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        QCoreApplication::installTranslator(&qtTranslations);
    }

    const bool probe = QCoreApplication::arguments().contains(QStringLiteral("--startup-probe"));

    tessalyn::QtSettingsStore store;
    {
        tessalyn::SplashWindow splash(store);
        splash.exec();
    }

    const QString historyPath = tessalyn::historyPathInCurrentDirectory();
    tessalyn::MainDialog mainWindow(store, historyPath);
    if (probe) {
        new StartupProbe(&mainWindow);
    }
    mainWindow.exec();
    return 0;
}
