#include "ui/ResultReport.h"

#include <QFont>
#include <QFontMetrics>
#include <QPagedPaintDevice>
#include <QPainter>

#include <algorithm>

namespace tessalyn {

namespace {

constexpr double kTitlePoints = 16;
constexpr double kHeadingPoints = 11;
constexpr double kTextPoints = 9;
constexpr double kChartPoints = 7;
constexpr double kChartHeightMm = 75;

QFont reportFont(double points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPointSizeF(points);
    font.setBold(bold);
    return font;
}

// Writes the lines of one page after another and begins a new page when the
// next block does not fit.
class PageWriter {
public:
    PageWriter(QPainter& painter, QPagedPaintDevice& device)
        : painter_(painter), device_(device), width_(device.width()), height_(device.height()) {}

    int width() const { return width_; }
    int y() const { return y_; }
    int mm(double millimetres) const {
        return static_cast<int>(millimetres * device_.logicalDpiY() / 25.4);
    }
    // Makes room for `height` units below the current line; false when the
    // device refused the new page that needed.
    bool reserve(int height) {
        if (y_ + height <= height_ || y_ == 0) {
            return true;
        }
        if (!device_.newPage()) {
            return false;
        }
        y_ = 0;
        return true;
    }
    void advance(int height) { y_ += height; }
    // One line of text in `font`, the whole width; returns false as reserve does.
    bool line(const QString& text, const QFont& font, int spaceAfter = 0) {
        painter_.setFont(font);
        const int height = painter_.fontMetrics().height();
        if (!reserve(height)) {
            return false;
        }
        painter_.drawText(QRect(0, y_, width_, height), Qt::AlignLeft | Qt::AlignVCenter, text);
        advance(height + spaceAfter);
        return true;
    }

private:
    QPainter& painter_;
    QPagedPaintDevice& device_;
    int width_;
    int height_;
    int y_ = 0;
};

} // namespace

bool paintResultReportFront(QPainter& painter, QPagedPaintDevice& device,
                            const ResultReport& report) {
    painter.save();
    painter.setViewport(0, 0, device.width(), device.height());
    painter.setWindow(0, 0, device.width(), device.height());
    PageWriter page(painter, device);
    const QColor text(Qt::black);
    painter.setPen(text);

    const QString title =
        report.name.trimmed().isEmpty() ? QStringLiteral("Auswertung") : report.name.trimmed();
    page.line(title, reportFont(kTitlePoints, true), page.mm(1));
    page.line(QStringLiteral("Ergebnis der Auswertung vom %1 · %2 Rubriken · %3 Mittel mit "
                             "Treffern")
                  .arg(report.date)
                  .arg(report.rubrics.size())
                  .arg(report.bars.size()),
              reportFont(kTextPoints), page.mm(6));

    // The ranking.
    const int shown = std::min<int>(kReportChartBars, static_cast<int>(report.bars.size()));
    page.line(shown < static_cast<int>(report.bars.size())
                  ? QStringLiteral("Rangfolge der ersten %1 Mittel").arg(shown)
                  : QStringLiteral("Rangfolge der Mittel"),
              reportFont(kHeadingPoints, true), page.mm(1));
    if (shown == 0) {
        page.line(QStringLiteral("Kein Mittel mit Treffern"), reportFont(kTextPoints), page.mm(6));
    } else {
        painter.setFont(reportFont(kChartPoints));
        const QFontMetrics fm = painter.fontMetrics();
        const int legend = fm.height();
        paintRankingLegend(painter, QRect(0, page.y(), page.width(), legend), text);
        page.advance(legend);
        const std::vector<RankingBar> bars(report.bars.begin(), report.bars.begin() + shown);
        RankingBarsFrame frame;
        frame.area = QRect(0, page.y(), page.width(), page.mm(kChartHeightMm));
        frame.slotWidth = page.width() / kReportChartBars;
        // Labels wider than a slot are turned upright so that none overlaps.
        frame.uprightLabels =
            widestRankingLabel(bars, fm) + fm.averageCharWidth() > frame.slotWidth;
        frame.textColour = text;
        frame.axisColour = QColor(128, 128, 128);
        paintRankingBars(painter, bars, frame);
        page.advance(frame.area.height() + page.mm(8));
    }

    // The rubrics, numbered, each wrapped within the width.
    if (!page.line(QStringLiteral("Rubriken des Falls"), reportFont(kHeadingPoints, true),
                   page.mm(1))) {
        painter.restore();
        return false;
    }
    const QFont listFont = reportFont(kTextPoints);
    painter.setFont(listFont);
    const QFontMetrics fm = painter.fontMetrics();
    const int numberWidth =
        fm.horizontalAdvance(QStringLiteral("%1.").arg(report.rubrics.size())) + page.mm(2);
    const int textWidth = std::max(1, page.width() - numberWidth);
    const int spacing = page.mm(0.8);
    for (int i = 0; i < report.rubrics.size(); ++i) {
        const QString& rubric = report.rubrics[i];
        const QRect needed =
            fm.boundingRect(QRect(0, 0, textWidth, 1 << 20), Qt::TextWordWrap, rubric);
        if (!page.reserve(needed.height())) {
            painter.restore();
            return false;
        }
        painter.setFont(listFont);
        painter.setPen(text);
        painter.drawText(QRect(0, page.y(), numberWidth - page.mm(1), fm.height()),
                         Qt::AlignRight | Qt::AlignTop, QStringLiteral("%1.").arg(i + 1));
        painter.drawText(QRect(numberWidth, page.y(), textWidth, needed.height()),
                         Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, rubric);
        page.advance(needed.height() + spacing);
    }
    painter.restore();
    return true;
}

} // namespace tessalyn
