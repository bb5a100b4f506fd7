#pragma once

#include "history/CaseHistory.h"
#include "settings/SettingsStore.h"
#include "ui/widgets/TestHook.h"

#include <QDialog>
#include <QString>

#include <string>

class QComboBox;
class QLabel;
class QPlainTextEdit;
class QWidget;

namespace tessalyn {

class IconPushButton;

// "Fall ablegen": asks for the name to file the current case under and a
// comment. The drop-down list offers the names of the cases already in the
// history at `historyPath`; a typed name is taken without the blanks around
// it (filedCaseName) and never completed by the box. A line below the box says
// where the treatment will go, found the way the filing finds its case, and
// names a case whose name differs only in blanks or letter case; while there
// is no name it asks for one and OK (and Enter) does nothing. The focus
// starts in the name, or in the comment when a name is given. The placement
// "Dialog/FallAblegen" is restored on opening and stored on OK.
class FileCaseDialog : public QDialog {
    Q_OBJECT

public:
    FileCaseDialog(const QString& historyPath, const std::string& initialName, SettingsStore& store,
                   QWidget* parent = nullptr);
    ~FileCaseDialog() override;

    // After OK: the name and the comment, Windows-1252; line breaks of the
    // comment are CR LF. Empty before OK and after "Zurück".
    const std::string& caseName() const { return caseName_; }
    const std::string& comment() const { return comment_; }

    // One line above the buttons about what is filed (hidden while empty).
    void setNote(const QString& text);
    QLabel* noteLabel() const { return noteLabel_; }

    QComboBox* nameBox() const { return nameBox_; }
    // „Wird an den bestehenden Fall „…“ angehängt (N Behandlungen)“ or „Neuer
    // Fall“, each with a look-alike case; or why the name cannot be filed.
    QLabel* targetLine() const { return targetLine_; }
    QPlainTextEdit* commentBox() const { return commentBox_; }
    IconPushButton* okButton() const { return okButton_; }
    IconPushButton* helpButton() const { return helpButton_; }
    IconPushButton* backButton() const { return backButton_; }

    // Runs the dialog modally. While a test hook is set, the hook runs
    // instead of the event loop: it may fill in the controls and returns
    // QDialog::Accepted (taken as OK) or QDialog::Rejected.
    int exec() override;

    using Hook = TestHook<int(FileCaseDialog& dialog)>;
    static Hook& testHook();

public slots:
    void accept() override;

private:
    void buildControls();
    void updateTargetLine();

    SettingsStore& store_;
    CaseHistory history_; // as read at opening: the names and their treatments
    QComboBox* nameBox_ = nullptr;
    QLabel* targetLine_ = nullptr;
    QPlainTextEdit* commentBox_ = nullptr;
    QLabel* noteLabel_ = nullptr;
    IconPushButton* okButton_ = nullptr;
    IconPushButton* helpButton_ = nullptr;
    IconPushButton* backButton_ = nullptr;
    std::string caseName_;
    std::string comment_;
};

} // namespace tessalyn
