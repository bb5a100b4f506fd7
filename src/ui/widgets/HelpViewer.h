#pragma once

#include <QDialog>
#include <QString>
#include <QUrl>

class QPushButton;
class QTextBrowser;

namespace tessalyn {

// Help context numbers of the program's windows.
namespace help {
inline constexpr int kMainWindow = 13;
inline constexpr int kResultView = 14;
inline constexpr int kSymptomSearch = 15;
inline constexpr int kTextSearch = 16;
inline constexpr int kCaseHistory = 17;
inline constexpr int kRemedyOverview = 18;
inline constexpr int kSettings = 19;
inline constexpr int kFileCase = 23;
} // namespace help

// Message shown when a help page cannot be shown.
inline QString helpLaunchFailedMessage() {
    return QStringLiteral("Failed to launch help.");
}

// Resource path of the help page of a context number: ":/help/<n>.html".
QString helpPagePath(int contextNumber);
// The same page as a URL the help window opens: "qrc:/help/<n>.html".
QUrl helpPageUrl(int contextNumber);

// The program's help window: the German help pages bundled in the program's
// resources, with back, forward and the table of contents. One window serves
// the whole program; it is modeless and reused for every help request.
class HelpViewer : public QDialog {
    Q_OBJECT

public:
    // The window, when one exists.
    static HelpViewer* instance();

    QTextBrowser* browser() const { return browser_; }
    QUrl currentPage() const;

    // Opens the page of a context number; false (and nothing changes) when
    // the program has no such page.
    bool showContext(int contextNumber);
    void showContents();

protected:
    void changeEvent(QEvent* event) override;

private:
    explicit HelpViewer(QWidget* parent);
    void updateTitle();
    // The pages are written for a light window: a dark one shows them as
    // a light page.
    void fitPagePalette();

    friend bool showHelp(int contextNumber, QWidget* parent);

    QTextBrowser* browser_ = nullptr;
    QPushButton* back_ = nullptr;
    QPushButton* forward_ = nullptr;
    QPushButton* contents_ = nullptr;
};

// Shows the help window at the page of a context number, above `parent`'s
// window (so that it stays usable while that window is modal). Returns false
// when the page is missing; then nothing is shown.
bool showHelp(int contextNumber, QWidget* parent);

// showHelp, and the message "Failed to launch help." when it fails.
void showHelpOrReport(int contextNumber, QWidget* parent);

} // namespace tessalyn
