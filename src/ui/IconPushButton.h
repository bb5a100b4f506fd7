#pragma once

#include <QIcon>
#include <QPushButton>
#include <QString>

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

} // namespace tessalyn
