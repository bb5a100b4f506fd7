#include "ui/RankingChart.h"

#include "ui/widgets/ReadableColours.h"

#include <QAccessibleWidget>
#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStringList>
#include <QToolTip>

#include <algorithm>

namespace tessalyn {

namespace {

constexpr int kMinSlotWidth = 30;
constexpr int kSlotPadding = 10;
constexpr int kMargin = 4;
// Height of the plot area the chart asks for, in lines of its font.
constexpr int kPreferredPlotLines = 6;
// Lines of text around the plot: legend, values, abbreviations.
constexpr int kTextLines = 3;
// How many remedies the chart's description for a screen reader names.
constexpr int kSpokenBars = 10;

QString legendHits() {
    return QStringLiteral("Treffer");
}

QString legendGradeSum() {
    return QStringLiteral("Gradsumme");
}

QString noRemedyText() {
    return QStringLiteral("Kein Mittel mit Treffern");
}

// The two bars of a slot and the gap between them.
struct SlotBars {
    int hitsLeft;
    int sumLeft;
    int width;
};

SlotBars slotBars(int x, int slot) {
    const int width = std::max(3, slot * 34 / 100);
    const int gap = std::max(1, slot / 16);
    const int left = x + (slot - 2 * width - gap) / 2;
    return SlotBars{left, left + width + gap, width};
}

// "Sulf.: 5 Treffer, Gradsumme 12"
QString barText(const RankingBar& bar) {
    return QStringLiteral("%1: %2 Treffer, Gradsumme %3")
        .arg(bar.abbreviation)
        .arg(bar.hits)
        .arg(bar.gradeSum);
}

// A screen reader meets the chart as a chart, named and described in words.
QAccessibleInterface* rankingChartFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(RankingChart::staticMetaObject.className()) &&
        object->isWidgetType()) {
        return new QAccessibleWidget(static_cast<QWidget*>(object), QAccessible::Chart);
    }
    return nullptr;
}

} // namespace

QString rankingText(const std::vector<RankingBar>& bars, int count) {
    if (bars.empty()) {
        return noRemedyText();
    }
    const int shown = std::min(count, static_cast<int>(bars.size()));
    QStringList places;
    for (int i = 0; i < shown; ++i) {
        places << QStringLiteral("%1. %2").arg(i + 1).arg(
            barText(bars[static_cast<std::size_t>(i)]));
    }
    const QString head =
        shown < static_cast<int>(bars.size())
            ? QStringLiteral("Die ersten %1 von %2 Mitteln: ").arg(shown).arg(bars.size())
            : QStringLiteral("Rangfolge: ");
    return head + places.join(QStringLiteral("; "));
}

int widestRankingLabel(const std::vector<RankingBar>& bars, const QFontMetrics& fm) {
    int widest = 0;
    for (const RankingBar& bar : bars) {
        widest = std::max(widest, fm.horizontalAdvance(bar.abbreviation));
    }
    return widest;
}

int rankingSlotWidth(const std::vector<RankingBar>& bars, const QFontMetrics& fm) {
    int widest = widestRankingLabel(bars, fm);
    for (const RankingBar& bar : bars) {
        // Each value stands over its own bar: two of the wider value side by side.
        const int value = std::max(fm.horizontalAdvance(QString::number(bar.hits)),
                                   fm.horizontalAdvance(QString::number(bar.gradeSum)));
        widest = std::max(widest, 2 * value + fm.averageCharWidth());
    }
    return std::max(kMinSlotWidth, widest + kSlotPadding);
}

void paintRankingBars(QPainter& painter, const std::vector<RankingBar>& bars,
                      const RankingBarsFrame& frame) {
    const QFontMetrics fm = painter.fontMetrics();
    const int line = fm.height();
    const int slot = std::max(1, frame.slotWidth);
    const int labels =
        frame.uprightLabels ? widestRankingLabel(bars, fm) + fm.averageCharWidth() : line;
    const int plotTop = frame.area.top() + line;
    const int baseline = frame.area.bottom() - labels;
    const int plotHeight = std::max(1, baseline - plotTop);
    int maxValue = 1;
    for (const RankingBar& bar : bars) {
        maxValue = std::max({maxValue, bar.hits, bar.gradeSum});
    }
    const auto heightOf = [&](int value) {
        return static_cast<int>(static_cast<long long>(std::max(0, value)) * plotHeight / maxValue);
    };

    painter.setPen(frame.axisColour);
    painter.drawLine(frame.area.left(), baseline, frame.area.right(), baseline);
    const int count = static_cast<int>(bars.size());
    const int end = frame.barCount < 0 ? count : std::min(count, frame.firstBar + frame.barCount);
    for (int i = std::max(0, frame.firstBar); i < end; ++i) {
        const int x = frame.area.left() + (i - frame.firstBar) * slot - frame.scrollOffset;
        if (x + slot < frame.area.left()) {
            continue;
        }
        if (x > frame.area.right()) {
            break;
        }
        const RankingBar& bar = bars[static_cast<std::size_t>(i)];
        const SlotBars b = slotBars(x, slot);
        const int hitsHeight = heightOf(bar.hits);
        const int sumHeight = heightOf(bar.gradeSum);
        painter.fillRect(QRect(b.hitsLeft, baseline - hitsHeight, b.width, hitsHeight),
                         frame.hitsColour);
        painter.fillRect(QRect(b.sumLeft, baseline - sumHeight, b.width, sumHeight),
                         frame.gradeSumColour);

        painter.setPen(frame.textColour);
        const int half = slot / 2;
        painter.drawText(QRect(b.hitsLeft + b.width / 2 - half / 2 - 1,
                               baseline - hitsHeight - line, half + 2, line),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(bar.hits));
        painter.drawText(QRect(b.sumLeft + b.width / 2 - half / 2 - 1, baseline - sumHeight - line,
                               half + 2, line),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(bar.gradeSum));
        if (frame.uprightLabels) {
            // Turned a quarter to the left: it reads upwards and ends under the bars.
            painter.save();
            painter.translate(x + half, baseline + fm.averageCharWidth() / 2);
            painter.rotate(-90);
            painter.drawText(QRect(-labels, -line / 2, labels, line),
                             Qt::AlignRight | Qt::AlignVCenter, bar.abbreviation);
            painter.restore();
        } else {
            painter.drawText(QRect(x, baseline + 1, slot, line), Qt::AlignHCenter | Qt::AlignTop,
                             bar.abbreviation);
        }
    }
}

void paintRankingLegend(QPainter& painter, const QRect& line, const QColor& textColour,
                        const QColor& hitsColour, const QColor& gradeSumColour) {
    const QFontMetrics fm = painter.fontMetrics();
    const int swatch = std::max(6, fm.height() / 2);
    const int gap = fm.averageCharWidth();
    const int width = 2 * (swatch + gap / 2) + fm.horizontalAdvance(legendHits()) +
                      fm.horizontalAdvance(legendGradeSum()) + 2 * gap;
    int x = std::max(line.left(), line.right() - width);
    painter.setPen(textColour);
    for (const auto& [colour, text] :
         {std::pair{hitsColour, legendHits()}, std::pair{gradeSumColour, legendGradeSum()}}) {
        painter.fillRect(QRect(x, line.top() + (line.height() - swatch) / 2, swatch, swatch),
                         colour);
        x += swatch + gap / 2;
        const int textWidth = fm.horizontalAdvance(text);
        painter.drawText(QRect(x, line.top(), textWidth + 2, line.height()), Qt::AlignVCenter,
                         text);
        x += textWidth + gap * 2;
    }
}

RankingChart::RankingChart(QWidget* parent) : QAbstractScrollArea(parent) {
    static const bool factoryInstalled = [] {
        QAccessible::installFactory(rankingChartFactory);
        return true;
    }();
    (void)factoryInstalled;
    setObjectName(QStringLiteral("rankingChart"));
    setAccessibleName(QStringLiteral("Balkendiagramm"));
    setAccessibleDescription(rankingText(bars_, kSpokenBars));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
}

QColor RankingChart::hitsColour() {
    return kHitsBarColour;
}

QColor RankingChart::gradeSumColour() {
    return kGradeSumBarColour;
}

void RankingChart::setBars(std::vector<RankingBar> bars) {
    if (bars == bars_) {
        return;
    }
    bars_ = std::move(bars);
    setAccessibleDescription(rankingText(bars_, kSpokenBars));
    slotWidth_ = rankingSlotWidth(bars_, QFontMetrics(font()));
    updateScrollRange();
    viewport()->update();
}

int RankingChart::slotWidth() const {
    return slotWidth_;
}

int RankingChart::barAt(const QPoint& pos) const {
    if (pos.x() < 0 || bars_.empty()) {
        return -1;
    }
    const int index = (pos.x() - kMargin + horizontalScrollBar()->value()) / slotWidth();
    return pos.x() >= kMargin && index < static_cast<int>(bars_.size()) ? index : -1;
}

int RankingChart::visibleBarCount() const {
    return std::max(0, (viewport()->width() - kMargin) / slotWidth());
}

void RankingChart::ensureBarVisible(int index) {
    if (index < 0 || index >= static_cast<int>(bars_.size())) {
        return;
    }
    const int left = index * slotWidth();
    const int right = left + slotWidth();
    const int available = viewport()->width() - 2 * kMargin;
    QScrollBar* bar = horizontalScrollBar();
    if (left < bar->value()) {
        bar->setValue(left);
    } else if (right > bar->value() + available) {
        bar->setValue(right - available);
    }
}

QSize RankingChart::sizeHint() const {
    const QFontMetrics fm(font());
    return QSize(40 * fm.averageCharWidth(),
                 (kPreferredPlotLines + kTextLines) * fm.height() + 2 * kMargin);
}

QSize RankingChart::minimumSizeHint() const {
    // The legend, the values, a plot of at least a line and a half, the
    // abbreviations, and the scroll bar.
    const QFontMetrics fm(font());
    const int scrollBar = horizontalScrollBar()->sizeHint().height();
    return QSize(10 * fm.averageCharWidth(),
                 (kTextLines + 2) * fm.height() + 2 * kMargin + scrollBar);
}

void RankingChart::updateScrollRange() {
    const int total = static_cast<int>(bars_.size()) * slotWidth() + 2 * kMargin;
    QScrollBar* bar = horizontalScrollBar();
    bar->setRange(0, std::max(0, total - viewport()->width()));
    bar->setPageStep(std::max(1, viewport()->width()));
    bar->setSingleStep(slotWidth());
}

void RankingChart::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void RankingChart::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        std::vector<RankingBar> bars = std::move(bars_);
        bars_.clear();
        setBars(std::move(bars));
    }
    QAbstractScrollArea::changeEvent(event);
}

void RankingChart::paintEvent(QPaintEvent*) {
    QPainter painter(viewport());
    const QPalette& pal = palette();
    const QRect area = viewport()->rect();
    painter.fillRect(area, pal.color(QPalette::Base));
    const QRect inner = area.adjusted(kMargin, kMargin, -kMargin, -kMargin);
    const int line = QFontMetrics(font()).height();

    if (bars_.empty()) {
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(inner, Qt::AlignCenter, noRemedyText());
        return;
    }
    // The legend in its own line, kept in place while the bars scroll.
    const QColor hits = markColour(hitsColour(), pal);
    const QColor gradeSum = markColour(gradeSumColour(), pal);
    paintRankingLegend(painter, QRect(inner.left(), inner.top(), inner.width(), line),
                       pal.color(QPalette::Text), hits, gradeSum);
    RankingBarsFrame frame;
    frame.area = QRect(inner.left(), inner.top() + line, inner.width(), inner.height() - line);
    frame.slotWidth = slotWidth();
    frame.scrollOffset = horizontalScrollBar()->value();
    frame.textColour = pal.color(QPalette::Text);
    frame.axisColour = pal.color(QPalette::Mid);
    frame.hitsColour = hits;
    frame.gradeSumColour = gradeSum;
    painter.setClipRect(QRect(area.left(), frame.area.top(), area.width(), frame.area.height()));
    paintRankingBars(painter, bars_, frame);
}

void RankingChart::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        const int index = barAt(event->position().toPoint());
        if (index >= 0) {
            emit barClicked(bars_[static_cast<std::size_t>(index)].column);
        }
    }
    QAbstractScrollArea::mousePressEvent(event);
}

bool RankingChart::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::ToolTip) {
        auto* help = static_cast<QHelpEvent*>(event);
        const int index = barAt(help->pos());
        if (index >= 0) {
            const RankingBar& bar = bars_[static_cast<std::size_t>(index)];
            QToolTip::showText(help->globalPos(), barText(bar), viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace tessalyn
