#include "ui/MessageBoxes.h"

#include <QMessageBox>
#include <QStringList>

#include <utility>

namespace tessalyn {

namespace {

MessageBoxes::Hook& hook() {
    static MessageBoxes::Hook instance;
    return instance;
}

} // namespace

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
    if (hook()) {
        hook()(kind, text);
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

MessageBoxes::Hook MessageBoxes::setTestHook(Hook newHook) {
    return std::exchange(hook(), std::move(newHook));
}

MessageRecorder::MessageRecorder() {
    previous_ = MessageBoxes::setTestHook([this](MessageBoxes::Kind kind, const QString& text) {
        messages_.append({kind, text});
    });
}

MessageRecorder::~MessageRecorder() {
    MessageBoxes::setTestHook(std::move(previous_));
}

QStringList MessageRecorder::texts() const {
    QStringList result;
    for (const Message& message : messages_) {
        result.append(message.text);
    }
    return result;
}

} // namespace tessalyn
