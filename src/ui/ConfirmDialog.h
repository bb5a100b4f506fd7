#pragma once

#include "ui/TestHook.h"

#include <QDialog>
#include <QString>

class QLabel;
class QPushButton;

namespace tessalyn {

// The program's own Yes/No box: the program title as caption, a question
// icon, the caller's text and the buttons "&Ja" (yes, the default button
// unless the question says otherwise) and "&Nein". Escape and the window's
// close box answer no.
class ConfirmDialog : public QDialog {
    Q_OBJECT

public:
    // Which button Enter presses: "&Nein" for a question whose "&Ja" replaces
    // something that cannot be brought back.
    enum class DefaultAnswer { Yes, No };

    explicit ConfirmDialog(const QString& text, QWidget* parent = nullptr,
                           DefaultAnswer defaultAnswer = DefaultAnswer::Yes);

    QString text() const;
    QPushButton* yesButton() const { return yes_; }
    QPushButton* noButton() const { return no_; }

    // Asks the question modally; true only for "&Ja". While a test hook is
    // set, the hook answers instead and no dialog is shown.
    static bool ask(QWidget* parent, const QString& text,
                    DefaultAnswer defaultAnswer = DefaultAnswer::Yes);

    using Hook = TestHook<bool(const QString& text)>;
    static Hook& testHook();

private:
    QLabel* text_ = nullptr;
    QPushButton* yes_ = nullptr;
    QPushButton* no_ = nullptr;
};

} // namespace tessalyn
