#pragma once

#include <QString>
#include <QWidget>

namespace tessalyn {

// The pop-up that shows a table cell's whole text (or its tip text) next to
// the cell when the cell is too narrow for it. It is drawn in "Courier New"
// at 14 pixels (a fixed-pitch font when that face is missing) and never takes
// the keyboard focus.
class TitleTip : public QWidget {
    Q_OBJECT
public:
    explicit TitleTip(QWidget* parent = nullptr);

    // Shows `text` with its top-left corner at `globalPos`, kept on the screen.
    void showTip(const QString& text, const QPoint& globalPos);
    void hideTip();
    QString text() const { return text_; }

    // The font of every title tip.
    static QFont tipFont();

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QString text_;
};

} // namespace tessalyn
