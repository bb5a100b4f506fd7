#pragma once

#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"

#include <QDialog>

class QCheckBox;
class QComboBox;
class QGroupBox;
class QLineEdit;
class QPushButton;
class QRadioButton;
class QToolButton;

namespace tessalyn {

class FontListDelegate;

// "Programmeinstellungen": edits the options and the start delay. The caller
// passes the values to show and, after OK, takes the edited ones from the
// getters and applies them. The placement "Dialog/Eigenschaften" is restored
// on opening and stored only on OK.
class SettingsDialog : public QDialog {
    Q_OBJECT
public:
    SettingsDialog(SettingsStore& store, const SettingsDialogValues& values,
                   const QString& historyPath, QWidget* parent = nullptr);
    ~SettingsDialog() override;

    // The values taken from the controls on the last successful OK; before
    // that, the values the dialog was opened with.
    const SettingsDialogValues& values() const { return result_; }
    int polarityMode() const { return result_.options.polarityMode; }
    int startDelay() const { return result_.startDelay; }
    bool askBeforeQuit() const { return result_.options.askBeforeQuit; }
    bool askBeforeQuitX() const { return result_.options.askBeforeQuitX; }
    bool askBeforeDelete() const { return result_.options.askBeforeDelete; }
    bool jumpToEnd() const { return result_.options.jumpToEnd; }
    bool saveColumnWidths() const { return result_.options.saveColumnWidths; }
    bool escapeDiscards() const { return result_.options.escapeDiscards; }
    bool noGreyInPrint() const { return result_.options.noGreyInPrint; }
    const std::string& fontName() const { return result_.options.fontName; }
    int fontSize() const { return result_.options.fontSize; }

    // The font families the list offers, in their order: each family once,
    // without the foundry the font database appends to tell apart families of
    // the same name ("C059 [urw]"), and only those that write Latin letters.
    static QStringList fontFamilies();
    // The same over a given list of installed family names.
    static QStringList listedFamilies(const QStringList& available);
    static QString familyWithoutFoundry(const QString& family);
    // The family of the system's user interface font, offered when no table
    // font has been chosen yet.
    static QString systemFontFamily();

public slots:
    // OK: stores the placement, checks the start delay and the size and
    // closes when they are whole numbers in 0..10 and 6..200; otherwise shows
    // the message and stays open.
    void accept() override;

signals:
    // "&Hilfe" (and F1): the help context of this dialog, help::kSettings.
    void helpRequested(int topic);

protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void buildControls();
    void fillFontList();
    void showValues(const SettingsDialogValues& values);
    void stepStartDelay(int delta);

    SettingsStore& store_;
    SettingsDialogValues result_;

    QGroupBox* polarityGroup_ = nullptr;
    QRadioButton* polarityButtons_[3] = {};
    QLineEdit* startDelayEdit_ = nullptr;
    QToolButton* startDelayUp_ = nullptr;
    QToolButton* startDelayDown_ = nullptr;
    QCheckBox* askBeforeQuit_ = nullptr;
    QCheckBox* askBeforeQuitX_ = nullptr;
    QCheckBox* askBeforeDelete_ = nullptr;
    QCheckBox* escapeDiscards_ = nullptr;
    QCheckBox* jumpToEnd_ = nullptr;
    QCheckBox* saveColumnWidths_ = nullptr;
    QCheckBox* noGreyInPrint_ = nullptr;
    QComboBox* fontList_ = nullptr;
    FontListDelegate* fontDelegate_ = nullptr;
    QComboBox* fontSizeBox_ = nullptr;
    QLineEdit* historyPathEdit_ = nullptr;
    QPushButton* okButton_ = nullptr;
    QPushButton* helpButton_ = nullptr;
    QPushButton* backButton_ = nullptr;
};

} // namespace tessalyn
