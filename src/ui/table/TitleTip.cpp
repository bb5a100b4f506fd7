#include "ui/table/TitleTip.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QScreen>

namespace tessalyn {

namespace {
constexpr int kMargin = 3;
} // namespace

TitleTip::TitleTip(QWidget* parent)
    : QWidget(parent, Qt::ToolTip | Qt::FramelessWindowHint | Qt::WindowDoesNotAcceptFocus) {
    setObjectName("titleTip");
    setAttribute(Qt::WA_ShowWithoutActivating);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
    setFont(tipFont());
}

QFont TitleTip::tipFont() {
    QFont font;
    font.setFamilies({QStringLiteral("Courier New"), QStringLiteral("Courier"),
                      QStringLiteral("Liberation Mono"), QStringLiteral("DejaVu Sans Mono"),
                      QStringLiteral("monospace")});
    font.setStyleHint(QFont::TypeWriter);
    font.setPixelSize(14);
    return font;
}

void TitleTip::showTip(const QString& text, const QPoint& globalPos) {
    text_ = text;
    const QFontMetrics fm(font());
    QSize size = fm.size(0, text_) + QSize(2 * kMargin, 2 * kMargin);
    QPoint pos = globalPos;
    if (const QScreen* screen = QGuiApplication::screenAt(globalPos)) {
        const QRect area = screen->availableGeometry();
        size = size.boundedTo(area.size());
        pos.setX(std::max(area.left(), std::min(pos.x(), area.right() - size.width() + 1)));
        pos.setY(std::max(area.top(), std::min(pos.y(), area.bottom() - size.height() + 1)));
    }
    setGeometry(QRect(pos, size));
    show();
    raise();
    update();
}

void TitleTip::hideTip() {
    hide();
    text_.clear();
}

void TitleTip::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    painter.fillRect(rect(), palette().color(QPalette::ToolTipBase));
    painter.setPen(palette().color(QPalette::ToolTipText));
    painter.drawText(rect().adjusted(kMargin, kMargin, -kMargin, -kMargin),
                     Qt::AlignLeft | Qt::AlignVCenter, text_);
    painter.setPen(palette().color(QPalette::Dark));
    painter.drawRect(rect().adjusted(0, 0, -1, -1));
}

} // namespace tessalyn
