#include "ui/Screenshots.h"

#include <QApplication>
#include <QDir>
#include <QPixmap>
#include <QWidget>

namespace tessalyn::test {

void saveScreenshot(QWidget* widget, const QString& name) {
    const QString folder = qEnvironmentVariable("TESSALYN_SCREENSHOT_DIR");
    if (folder.isEmpty() || widget == nullptr) {
        return;
    }
    QDir().mkpath(folder);
    // Let pending layout and paint work finish so the picture shows the
    // widget as a user would see it.
    QApplication::processEvents();
    const QPixmap picture = widget->grab();
    if (!picture.save(QDir(folder).filePath(name + QStringLiteral(".png")))) {
        qWarning("Bildschirmfoto %s konnte nicht gespeichert werden", qPrintable(name));
    }
}

} // namespace tessalyn::test
