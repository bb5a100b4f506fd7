#pragma once

#include "settings/SettingsStore.h"

#include <QDialog>
#include <QTimer>

class QLabel;

namespace tessalyn {

// The start-up picture: no caption, the picture and three lines (the maker,
// the product name and the version). It stays for "Startverzögerung" seconds
// (5, and 5 written, when the value is absent), closes at once with 0 and
// earlier on Escape or Enter. Start-up runs it modally and waits for it.
class SplashWindow : public QDialog {
    Q_OBJECT
public:
    explicit SplashWindow(SettingsStore& store, QWidget* parent = nullptr);

    // The delay read on opening, in seconds.
    int delaySeconds() const { return delaySeconds_; }
    const QTimer& timer() const { return timer_; }

    // The three text lines, top to bottom.
    static QString makerLine();
    static QString productLine();
    static QString versionLine();

protected:
    void showEvent(QShowEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    int delaySeconds_ = 0;
    QTimer timer_;
};

} // namespace tessalyn
