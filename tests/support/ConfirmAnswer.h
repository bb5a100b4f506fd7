#pragma once

#include "ui/widgets/ConfirmDialog.h"

#include <QList>
#include <QString>
#include <QStringList>

namespace tessalyn::test_support {

// Answers every question of ConfirmDialog::ask with a fixed answer while it
// lives, and records the questions asked with their default answers; no
// dialog is shown.
class ConfirmAnswer {
public:
    explicit ConfirmAnswer(bool answer);
    ConfirmAnswer(const ConfirmAnswer&) = delete;
    ConfirmAnswer& operator=(const ConfirmAnswer&) = delete;

    void setAnswer(bool answer) { answer_ = answer; }
    const QStringList& questions() const { return questions_; }
    const QList<ConfirmDefault>& defaults() const { return defaults_; }

private:
    bool answer_;
    QStringList questions_;
    QList<ConfirmDefault> defaults_;
    ConfirmDialog::Hook::Guard guard_;
};

} // namespace tessalyn::test_support
