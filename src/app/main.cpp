// Start-up of the desktop program: the application object, Qt's German
// translations, the splash window, the case history path, and the main window,
// run modally; the program ends when it closes.
//
// Option for measuring and tests: --startup-probe closes the main window as
// soon as it has been shown and painted (without asking) and ends the program;
// a message box shown before is written to standard output and closed; it
// then prints the window's title and the line below its grid, if any.
#include "ui/CaseKeeper.h"
#include "ui/GuardedApplication.h"
#include "ui/MainDialog.h"
#include "ui/QtSettingsStore.h"
#include "ui/SplashWindow.h"
#include "ui/StartupPaths.h"

#include <QApplication>
#include <QEvent>
#include <QIcon>
#include <QLabel>
#include <QLibraryInfo>
#include <QMessageBox>
#include <QStringList>
#include <QTimer>
#include <QTranslator>

#include <cstdio>
#include <exception>
#include <new>

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

// Writes each message box of the start to standard output and closes it.
class StartupMessageProbe : public QObject {
protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        auto* box = qobject_cast<QMessageBox*>(watched);
        if (box != nullptr && event->type() == QEvent::Show) {
            std::printf("Meldung: %s\n", box->text().toUtf8().constData());
            std::fflush(stdout);
            QTimer::singleShot(0, box, [box] { box->accept(); });
        }
        return false;
    }
};

int runProgram(int argc, char** argv) {
    tessalyn::GuardedApplication app(argc, argv);
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

    StartupMessageProbe messageProbe;
    if (probe) {
        QApplication::instance()->installEventFilter(&messageProbe);
    }

    tessalyn::QtSettingsStore store;
    {
        tessalyn::SplashWindow splash(store);
        splash.exec();
    }

    const QString historyPath = tessalyn::historyPathInCurrentDirectory();
    tessalyn::MainDialog mainWindow(store, historyPath, tessalyn::caseStatePath());
    if (probe) {
        new StartupProbe(&mainWindow);
    }
    mainWindow.exec();
    if (probe) {
        std::printf("%s\n", mainWindow.windowTitle().toUtf8().constData());
        if (!mainWindow.caseNotice()->isHidden()) {
            std::printf("%s\n", mainWindow.caseNotice()->text().toUtf8().constData());
        }
    }
    return 0;
}

} // namespace

// What the event loop's guard cannot catch (start-up, shut-down) ends the
// program with a message instead of an abort.
int main(int argc, char** argv) {
    try {
        return runProgram(argc, argv);
    } catch (const std::bad_alloc&) {
        std::fputs("tessalyn: Es ist nicht genug Arbeitsspeicher frei.\n", stderr);
    } catch (const std::exception& e) {
        std::fprintf(stderr, "tessalyn: Interner Fehler (%s).\n", e.what());
    } catch (...) {
        std::fputs("tessalyn: Interner Fehler.\n", stderr);
    }
    return 1;
}
