#include "ui/table/TableViewPainter.h"

#include "ui/widgets/ReadableColours.h"
#include "ui/widgets/TextCodec.h"

#include <QPainter>
#include <QPen>

#include <algorithm>
#include <climits>

namespace tessalyn {

namespace {

QColor toQColor(Rgb c) {
    return QColor(c.r, c.g, c.b);
}

} // namespace

TableViewPainter::TableViewPainter(const TableLogic& logic, const QPalette& palette, bool hasFocus)
    : logic_(logic), palette_(palette), hasFocus_(hasFocus) {}

void TableViewPainter::drawCell(QPainter& painter, int row, int col, const QRect& rect,
                                bool printing) const {
    if (rect.width() <= 0 || rect.height() <= 0) {
        return;
    }
    const bool header = logic_.isHeaderCell(row, col);
    const QPalette& pal = palette_;
    // Own colours were chosen for a light window: they are fitted to the
    // palette, and every text is made to read on what it stands on.
    QColor background;
    if (const auto own = logic_.cellBackground(row, col)) {
        background = paletteColour(toQColor(*own), pal);
    } else if (header) {
        const auto headerDefault = logic_.defaultHeaderBackground();
        background = headerDefault ? paletteColour(toQColor(*headerDefault), pal)
                                   : pal.color(QPalette::Button);
    } else {
        background = pal.color(QPalette::Base);
    }
    QColor text;
    if (const auto own = logic_.cellTextColour(row, col)) {
        text = toQColor(*own);
    } else {
        text = pal.color(header ? QPalette::ButtonText : QPalette::Text);
    }
    const std::uint8_t state = logic_.cellState(row, col);
    if (!printing && (state & CellSelected)) {
        background = pal.color(QPalette::Highlight);
        text = pal.color(QPalette::HighlightedText);
    }
    painter.fillRect(rect, background);

    const std::string& raw = logic_.rawCellText(row, col);
    if (!raw.empty()) {
        painter.setPen(readableOn(text, background));
        const QRect textRect = rect.adjusted(kCellTextMargin, 0, -1, -1);
        painter.drawText(textRect, Qt::AlignLeft | Qt::AlignVCenter, toQString(raw));
    }

    // Each cell draws its right and bottom grid line.
    painter.setPen(paletteColour(kGridLineColour, pal));
    painter.drawLine(rect.right(), rect.top(), rect.right(), rect.bottom());
    painter.drawLine(rect.left(), rect.bottom(), rect.right(), rect.bottom());
    if (!printing && (state & CellFocused)) {
        // With the keyboard focus the frame stands out from the cell.
        QPen pen(hasFocus_ ? readableOn(pal.color(QPalette::Text), background, kGraphicContrast)
                           : pal.color(QPalette::Mid));
        pen.setWidth(1);
        painter.setPen(pen);
        painter.setBrush(Qt::NoBrush);
        painter.drawRect(rect.adjusted(0, 0, -2, -2));
    }
}

void TableViewPainter::paintRegion(QPainter& painter, int row0, int row1, int col0, int col1,
                                   const std::function<QRect(int, int)>& cellRect) const {
    if (row0 < 0 || col0 < 0 || row1 < row0 || col1 < col0) {
        return;
    }
    int left = INT_MAX;
    int right = INT_MIN;
    for (int r = row0; r <= row1; ++r) {
        if (logic_.rowHeight(r) <= 0) {
            continue;
        }
        for (int c = col0; c <= col1; ++c) {
            const QRect rect = cellRect(r, c);
            if (rect.width() <= 0) {
                continue;
            }
            left = std::min(left, rect.left());
            right = std::max(right, rect.right());
            drawCell(painter, r, c, rect, false);
        }
    }
    // The separator row's bottom border: a red line 3 pixels wide.
    const int separator = logic_.separatorRow();
    if (separator >= row0 && separator <= row1 && left <= right &&
        logic_.rowHeight(separator) > 0) {
        const QRect rect = cellRect(separator, col0);
        painter.fillRect(
            QRect(left, rect.bottom() - kSeparatorWidth + 1, right - left + 1, kSeparatorWidth),
            markColour(kSeparatorColour, palette_));
    }
}

void TableViewPainter::paintShown(QPainter& painter, const ShownCells& shown,
                                  const std::function<QRect(int, int)>& cellRect) const {
    const int hh = shown.headerHeight;
    const int hw = shown.headerWidth;
    const QSize size = shown.size;
    painter.setClipRect(QRect(hw, hh, size.width() - hw, size.height() - hh));
    paintRegion(painter, shown.firstRow, shown.lastRow, shown.firstColumn, shown.lastColumn,
                cellRect);
    painter.setClipRect(QRect(hw, 0, size.width() - hw, hh));
    paintRegion(painter, 0, shown.headerRows - 1, shown.firstColumn, shown.lastColumn, cellRect);
    painter.setClipRect(QRect(0, hh, hw, size.height() - hh));
    paintRegion(painter, shown.firstRow, shown.lastRow, 0, shown.headerColumns - 1, cellRect);
    painter.setClipRect(QRect(0, 0, hw, hh));
    paintRegion(painter, 0, shown.headerRows - 1, 0, shown.headerColumns - 1, cellRect);
}

} // namespace tessalyn
