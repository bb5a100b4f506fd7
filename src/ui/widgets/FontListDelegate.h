#pragma once

#include <QStyledItemDelegate>

namespace tessalyn {

// Draws the entries of a font list: a mark for scalable fonts, the family
// name in the list's own font and, beside it, the sample "abcdeABCDE" in the
// family itself. The family name is the item's display text; whether the
// font scales is the bool in kScalableRole.
class FontListDelegate : public QStyledItemDelegate {
    Q_OBJECT
public:
    static constexpr int kScalableRole = Qt::UserRole + 1;

    explicit FontListDelegate(QObject* parent = nullptr);

    // Where the samples begin, measured from the entry's left edge past the
    // mark; the list sets it to fit its longest name.
    void setNameColumnWidth(int pixels) { nameColumnWidth_ = pixels; }
    int nameColumnWidth() const { return nameColumnWidth_; }

    // Width of the mark column.
    static int markWidth(const QFontMetrics& fm);

    static QString sampleText();

    void paint(QPainter* painter, const QStyleOptionViewItem& option,
               const QModelIndex& index) const override;
    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override;

private:
    int nameColumnWidth_ = 150;
};

} // namespace tessalyn
