#include "ui/widgets/FontListDelegate.h"

#include <QApplication>
#include <QFontMetrics>
#include <QPainter>

namespace tessalyn {

namespace {

constexpr int kPadding = 4;
constexpr int kSamplePointSize = 10; // samples drawn at a common size so they compare

QFont sampleFont(const QString& family, const QFont& base) {
    QFont f(family);
    f.setPointSize(base.pointSize() > 0 ? base.pointSize() : kSamplePointSize);
    return f;
}

} // namespace

FontListDelegate::FontListDelegate(QObject* parent) : QStyledItemDelegate(parent) {}

QString FontListDelegate::sampleText() {
    return QStringLiteral("abcdeABCDE");
}

int FontListDelegate::markWidth(const QFontMetrics& fm) {
    return fm.height() + kPadding;
}

void FontListDelegate::paint(QPainter* painter, const QStyleOptionViewItem& option,
                             const QModelIndex& index) const {
    QStyleOptionViewItem opt = option;
    initStyleOption(&opt, index);
    const QString family = opt.text;
    opt.text.clear();
    const QWidget* widget = opt.widget;
    QStyle* style = widget != nullptr ? widget->style() : QApplication::style();
    style->drawControl(QStyle::CE_ItemViewItem, &opt, painter, widget); // background, focus

    painter->save();
    const bool selected = (opt.state & QStyle::State_Selected) != 0;
    const QColor textColour =
        opt.palette.color(selected ? QPalette::HighlightedText : QPalette::Text);
    painter->setPen(textColour);
    const QFontMetrics fm(opt.font);
    QRect r = opt.rect.adjusted(kPadding / 2, 0, -kPadding / 2, 0);

    // The mark of a scalable font: a small framed "T".
    const int mark = markWidth(fm);
    if (index.data(kScalableRole).toBool()) {
        const int side = std::min(fm.height() - 2, r.height() - 2);
        const QRect box(r.left(), r.center().y() - side / 2, side, side);
        painter->drawRect(box.adjusted(0, 0, -1, -1));
        QFont markFont = opt.font;
        markFont.setBold(true);
        markFont.setPixelSize(std::max(6, side - 3));
        painter->setFont(markFont);
        painter->drawText(box, Qt::AlignCenter, QStringLiteral("T"));
    }
    r.setLeft(r.left() + mark);

    painter->setFont(opt.font);
    const QRect nameRect(r.left(), r.top(), nameColumnWidth_, r.height());
    painter->drawText(nameRect, Qt::AlignLeft | Qt::AlignVCenter,
                      fm.elidedText(family, Qt::ElideRight, nameColumnWidth_));

    const QRect sampleRect(nameRect.right() + 1 + kPadding, r.top(),
                           std::max(0, r.right() - nameRect.right() - kPadding), r.height());
    if (sampleRect.width() > 0) {
        painter->setFont(sampleFont(family, opt.font));
        painter->drawText(sampleRect, Qt::AlignLeft | Qt::AlignVCenter, sampleText());
    }
    painter->restore();
}

QSize FontListDelegate::sizeHint(const QStyleOptionViewItem& option,
                                 const QModelIndex& index) const {
    const QFontMetrics fm(option.font);
    const QString family = index.data(Qt::DisplayRole).toString();
    const QFontMetrics sample(sampleFont(family, option.font));
    const int width = kPadding + markWidth(fm) + nameColumnWidth_ + kPadding +
                      sample.horizontalAdvance(sampleText()) + kPadding;
    const int height = std::max(fm.height(), sample.height()) + 2;
    return QSize(width, height);
}

} // namespace tessalyn
