#pragma once

#include <QIcon>
#include <QPushButton>
#include <QString>

#include <span>
#include <vector>

class QBoxLayout;

namespace tessalyn {

// A push button that shows its picture above its caption. It carries a pair of
// pictures, ":/icons/<name>.svg" and ":/icons/<name>-hot.svg", and shows the
// second one while the mouse pointer is over the button. Everything else
// (mnemonics such as "&Berechnen", default and auto-default, clicked) is
// QPushButton's own.
class IconPushButton : public QPushButton {
    Q_OBJECT

public:
    IconPushButton(const QString& caption, const QString& iconName, QWidget* parent = nullptr);

    // Switches to another picture pair, e.g. when the meaning of the button
    // changes (the history's sort order). Keeps the highlight state.
    void setIconName(const QString& iconName);
    QString iconName() const { return iconName_; }

    // Whether the highlighted picture is shown (pointer over the button).
    bool isHighlighted() const { return highlighted_; }
    QIcon normalIcon() const { return normal_; }
    QIcon highlightIcon() const { return highlight_; }

    // Resource paths of a picture pair.
    static QString normalIconPath(const QString& iconName);
    static QString highlightIconPath(const QString& iconName);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

protected:
    void enterEvent(QEnterEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void hideEvent(QHideEvent* event) override;
    void changeEvent(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;

private:
    void setHighlighted(bool on);
    QSize contentSize() const;

    QString iconName_;
    QIcon normal_;
    QIcon highlight_;
    bool highlighted_ = false;
};

// One button of a dialog's row or column of icon buttons.
struct IconButtonEntry {
    const char* caption;    // UTF-8, with its mnemonic: "&Hilfe"
    const char* icon;       // the picture pair's name: "hilfe"
    const char* objectName; // the name the tests find the button by
    // UTF-8: what the button does, in a sentence a screen reader reads after
    // the caption (the button's accessible description).
    const char* purpose = nullptr;
};

// The purpose of every dialog's "&Hilfe".
inline constexpr const char* kHelpPurpose = "Öffnet die Hilfe zu diesem Fenster";

// The row of a dialog that takes what was entered or leaves it: OK (the
// default button), help, back.
inline constexpr IconButtonEntry kOkHelpBackButtons[] = {
    {"&OK", "ok", "okButton", "Übernimmt die Eingaben und schließt das Fenster"},
    {"&Hilfe", "hilfe", "helpButton", kHelpPurpose},
    {"&Zurück", "zurueck", "backButton", "Schließt das Fenster, ohne die Eingaben zu übernehmen"},
};

// Which buttons keep QPushButton's auto-default (a button with the focus
// takes Enter for itself).
enum class AutoDefault {
    All,         // every button
    DefaultOnly, // only the default button: Enter means it wherever the focus is
    None,        // no button, not even the default one
};

// Where the buttons gather when the row or column has room to spare.
enum class ButtonAlignment {
    Start,  // left or top; the stretch follows them
    Centre, // a stretch on either side
    End,    // right or bottom; the stretch stands before them
};

struct IconButtonOptions {
    Qt::Orientation orientation = Qt::Horizontal;
    // Index of the default button (Enter), or -1 for none.
    int defaultButton = 0;
    AutoDefault autoDefault = AutoDefault::DefaultOnly;
    // Every button as wide as the widest one.
    bool equalWidths = true;
    ButtonAlignment alignment = ButtonAlignment::Start;
};

struct IconButtonGroup {
    // In the order of the entries given.
    std::vector<IconPushButton*> buttons;
    // A QHBoxLayout or QVBoxLayout holding the buttons and the stretch; the
    // caller adds it to the dialog's layout.
    QBoxLayout* layout = nullptr;

    // Hands the buttons to the dialog's pointers, one for each entry, in the
    // order of the entries.
    template <typename... Button> void assignTo(Button*&... targets) const {
        Q_ASSERT(sizeof...(targets) == buttons.size());
        std::size_t i = 0;
        ((targets = buttons[i++]), ...);
    }
};

// Creates the icon buttons of a dialog, children of `parent`, in the order
// given (which is also their tab order), and lays them out as `options` say.
IconButtonGroup makeIconButtons(QWidget* parent, std::span<const IconButtonEntry> entries,
                                const IconButtonOptions& options = {});

} // namespace tessalyn
