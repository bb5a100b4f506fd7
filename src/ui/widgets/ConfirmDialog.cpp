#include "ui/widgets/ConfirmDialog.h"

#include "ui/widgets/MessageBoxes.h"

#include <QAccessibleWidget>
#include <QHBoxLayout>
#include <QLabel>
#include <QPushButton>
#include <QStringList>
#include <QStyle>
#include <QVBoxLayout>

#include <utility>

namespace tessalyn {

namespace {

// A screen reader meets the question as it meets a message box: as an alert,
// whose text it reads when it shows.
QAccessibleInterface* confirmDialogFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(ConfirmDialog::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::AlertMessage);
    }
    return nullptr;
}

} // namespace

ConfirmDialog::ConfirmDialog(const QString& text, QWidget* parent, ConfirmDefault defaultAnswer)
    : QDialog(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(confirmDialogFactory);
        return true;
    }();
    (void)factoryInstalled;
    setWindowTitle(programTitle());
    setAccessibleDescription(text);
    setObjectName(QStringLiteral("ConfirmDialog"));
    setWindowFlag(Qt::WindowContextHelpButtonHint, false);

    auto* icon = new QLabel(this);
    const int iconSize = style()->pixelMetric(QStyle::PM_MessageBoxIconSize, nullptr, this);
    icon->setPixmap(style()
                        ->standardIcon(QStyle::SP_MessageBoxQuestion, nullptr, this)
                        .pixmap(iconSize, iconSize));
    icon->setAlignment(Qt::AlignTop | Qt::AlignHCenter);

    text_ = new QLabel(text, this);
    text_->setObjectName(QStringLiteral("text"));
    text_->setTextFormat(Qt::PlainText);
    text_->setWordWrap(true);
    // Short questions stay on one line; long ones (a long case name) wrap.
    text_->setMinimumWidth(qBound(200, text_->fontMetrics().horizontalAdvance(text) + 8, 420));
    text_->setAlignment(Qt::AlignLeft | Qt::AlignVCenter);

    yes_ = new QPushButton(QStringLiteral("&Ja"), this);
    yes_->setObjectName(QStringLiteral("yes"));
    no_ = new QPushButton(QStringLiteral("&Nein"), this);
    no_->setObjectName(QStringLiteral("no"));
    connect(yes_, &QPushButton::clicked, this, &QDialog::accept);
    connect(no_, &QPushButton::clicked, this, &QDialog::reject);

    auto* message = new QHBoxLayout;
    message->setSpacing(16);
    message->addWidget(icon);
    message->addWidget(text_, 1);

    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(yes_);
    buttons->addWidget(no_);
    buttons->addStretch(1);

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(message);
    layout->addSpacing(8);
    layout->addLayout(buttons);
    layout->setSizeConstraint(QLayout::SetFixedSize);

    QPushButton* byDefault = defaultAnswer == ConfirmDefault::Yes ? yes_ : no_;
    byDefault->setDefault(true);
    byDefault->setFocus();
}

QString ConfirmDialog::text() const {
    return text_->text();
}

bool ConfirmDialog::ask(QWidget* parent, const QString& text, ConfirmDefault defaultAnswer) {
    if (testHook()) {
        return testHook()(text, defaultAnswer);
    }
    ConfirmDialog dialog(text, parent, defaultAnswer);
    return dialog.exec() == QDialog::Accepted;
}

ConfirmDialog::Hook& ConfirmDialog::testHook() {
    static Hook hook;
    return hook;
}

} // namespace tessalyn
