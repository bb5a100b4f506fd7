#pragma once

#include "ui/widgets/TestHook.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tessalyn {

// The button Enter presses in a question. A question whose "&Ja" destroys
// something (quitting with a case not filed, deleting, replacing the history)
// makes "&Nein" the default, so that a hasty Enter keeps everything.
enum class ConfirmDefault { Yes, No };

// The program's own Yes/No box: the program title as caption, a question
// icon, the caller's text and the buttons "&Ja" and "&Nein", one of them the
// default button with the focus. Escape and the window's close box answer no.
class ConfirmDialog : public QDialog {
    Q_OBJECT

public:
    explicit ConfirmDialog(const QString& text, QWidget* parent = nullptr,
                           ConfirmDefault defaultAnswer = ConfirmDefault::Yes);

    QString text() const;
    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }

    // Asks the question modally; true only for "&Ja". While a test hook is
    // set, the hook answers instead and no dialog is shown.
    static bool ask(QWidget* parent, const QString& text,
                    ConfirmDefault defaultAnswer = ConfirmDefault::Yes);

    using Hook = TestHook<bool(const QString& text, ConfirmDefault defaultAnswer)>;
    static Hook& testHook();

private:
    QLabel* text_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
};

} // namespace tessalyn
