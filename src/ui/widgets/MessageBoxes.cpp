#include "ui/widgets/MessageBoxes.h"

#include <QMessageBox>
#include <QStringList>

#include <utility>

namespace tessalyn {

void MessageBoxes::information(QWidget* parent, const QString& text) {
    show(Kind::Information, parent, text);
}

void MessageBoxes::warning(QWidget* parent, const QString& text) {
    show(Kind::Warning, parent, text);
}

void MessageBoxes::error(QWidget* parent, const QString& text) {
    show(Kind::Error, parent, text);
}

void MessageBoxes::show(Kind kind, QWidget* parent, const QString& text) {
    if (testHook()) {
        testHook()(kind, text);
        return;
    }
    QMessageBox::Icon icon = QMessageBox::Information;
    if (kind == Kind::Warning) {
        icon = QMessageBox::Warning;
    } else if (kind == Kind::Error) {
        icon = QMessageBox::Critical;
    }
    QMessageBox box(icon, programTitle(), text, QMessageBox::Ok, parent);
    box.exec();
}

MessageBoxes::Hook& MessageBoxes::testHook() {
    static Hook hook;
    return hook;
}

} // namespace tessalyn
