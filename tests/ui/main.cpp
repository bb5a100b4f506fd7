// Entry point of the GUI tests: a headless QApplication whose settings live in
// a temporary folder, so no test touches the real configuration.
#include <QApplication>
#include <QSettings>
#include <QStandardPaths>
#include <QTemporaryDir>

#include <gtest/gtest.h>

int main(int argc, char** argv) {
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir configDir;
    qputenv("XDG_CONFIG_HOME", configDir.path().toLocal8Bit());
    QSettings::setPath(QSettings::NativeFormat, QSettings::UserScope, configDir.path());
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, configDir.path());

    QApplication app(argc, argv);
    QCoreApplication::setOrganizationName("Korvanei");
    QCoreApplication::setApplicationName("Tessalyn");
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
