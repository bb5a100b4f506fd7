#include "ui/RankingChart.h"

#include <QHelpEvent>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QToolTip>

#include <algorithm>

namespace tessalyn {

namespace {

constexpr int kMinSlotWidth = 30;
constexpr int kSlotPadding = 10;
constexpr int kMargin = 4;
// Height of the plot area the chart asks for, in lines of its font.
constexpr int kPreferredPlotLines = 6;

QString legendHits() {
    return QStringLiteral("Treffer");
}

QString legendGradeSum() {
    return QStringLiteral("Gradsumme");
}

} // namespace

RankingChart::RankingChart(QWidget* parent) : QAbstractScrollArea(parent) {
    setObjectName(QStringLiteral("rankingChart"));
    setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setHorizontalScrollBarPolicy(Qt::ScrollBarAsNeeded);
    setFocusPolicy(Qt::NoFocus);
    viewport()->setAutoFillBackground(false);
    viewport()->setMouseTracking(true);
}

QColor RankingChart::hitsColour() {
    return QColor(46, 104, 166);
}

QColor RankingChart::gradeSumColour() {
    return QColor(232, 150, 40);
}

void RankingChart::setBars(std::vector<RankingBar> bars) {
    if (bars == bars_) {
        return;
    }
    bars_ = std::move(bars);
    maxHits_ = 0;
    maxGradeSum_ = 0;
    widestAbbreviation_ = 0;
    const QFontMetrics fm(font());
    for (const RankingBar& bar : bars_) {
        maxHits_ = std::max(maxHits_, bar.hits);
        maxGradeSum_ = std::max(maxGradeSum_, bar.gradeSum);
        widestAbbreviation_ = std::max(widestAbbreviation_, fm.horizontalAdvance(bar.abbreviation));
    }
    updateScrollRange();
    viewport()->update();
}

int RankingChart::slotWidth() const {
    return std::max(kMinSlotWidth, widestAbbreviation_ + kSlotPadding);
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
    return QSize(40 * fm.averageCharWidth(), (kPreferredPlotLines + 3) * fm.height());
}

QSize RankingChart::minimumSizeHint() const {
    // A line for the values, a plot of at least a line and a half, the
    // abbreviations, and the scroll bar.
    const QFontMetrics fm(font());
    const int scrollBar = horizontalScrollBar()->sizeHint().height();
    return QSize(10 * fm.averageCharWidth(), 4 * fm.height() + 2 * kMargin + scrollBar);
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
    const QFontMetrics fm(font());
    const int line = fm.height();

    if (bars_.empty()) {
        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(area.adjusted(kMargin, kMargin, -kMargin, -kMargin), Qt::AlignCenter,
                         QStringLiteral("Kein Mittel mit Treffern"));
        return;
    }

    // Plot area: below the line for the values, above the abbreviations.
    const int plotTop = kMargin + line;
    const int baseline = area.height() - line - kMargin;
    const int plotHeight = std::max(1, baseline - plotTop);
    const int slot = slotWidth();
    const int offset = horizontalScrollBar()->value();
    const int first = std::max(0, (offset - kMargin) / slot);
    const int hitsWidth = std::max(4, slot * 45 / 100);
    const int sumWidth = std::max(3, slot * 22 / 100);

    painter.setPen(pal.color(QPalette::Mid));
    painter.drawLine(0, baseline, area.width(), baseline);
    for (int i = first; i < static_cast<int>(bars_.size()); ++i) {
        const int x = kMargin + i * slot - offset;
        if (x > area.width()) {
            break;
        }
        const RankingBar& bar = bars_[static_cast<std::size_t>(i)];
        const int hitsHeight =
            maxHits_ > 0
                ? static_cast<int>(static_cast<long long>(bar.hits) * plotHeight / maxHits_)
                : 0;
        const int sumHeight =
            maxGradeSum_ > 0
                ? static_cast<int>(static_cast<long long>(bar.gradeSum) * plotHeight / maxGradeSum_)
                : 0;
        const int barsWidth = hitsWidth + sumWidth + 1;
        const int bx = x + (slot - barsWidth) / 2;
        painter.fillRect(QRect(bx, baseline - hitsHeight, hitsWidth, hitsHeight), hitsColour());
        painter.fillRect(QRect(bx + hitsWidth + 1, baseline - sumHeight, sumWidth, sumHeight),
                         gradeSumColour());

        painter.setPen(pal.color(QPalette::Text));
        painter.drawText(QRect(bx - 4, baseline - hitsHeight - line, hitsWidth + 8, line),
                         Qt::AlignHCenter | Qt::AlignBottom, QString::number(bar.hits));
        painter.drawText(QRect(x, baseline + 1, slot, line), Qt::AlignHCenter | Qt::AlignTop,
                         bar.abbreviation);
    }

    // The legend at the top right on its own background, kept in place while
    // the bars scroll beneath it.
    const int swatch = std::max(6, line / 2);
    const int legendWidth = 2 * (swatch + 4) + fm.horizontalAdvance(legendHits()) +
                            fm.horizontalAdvance(legendGradeSum()) + 12 + 4;
    int lx = std::max(0, area.width() - legendWidth - kMargin);
    const int ly = kMargin;
    painter.fillRect(QRect(lx, ly, legendWidth, line), pal.color(QPalette::Base));
    lx += 4;
    painter.setPen(pal.color(QPalette::Text));
    for (const auto& [colour, text] :
         {std::pair{hitsColour(), legendHits()}, std::pair{gradeSumColour(), legendGradeSum()}}) {
        painter.fillRect(QRect(lx, ly + (line - swatch) / 2, swatch, swatch), colour);
        lx += swatch + 4;
        painter.drawText(QRect(lx, ly, fm.horizontalAdvance(text) + 2, line), Qt::AlignVCenter,
                         text);
        lx += fm.horizontalAdvance(text) + 12;
    }
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
            QToolTip::showText(help->globalPos(),
                               QStringLiteral("%1: %2 Treffer, Gradsumme %3")
                                   .arg(bar.abbreviation)
                                   .arg(bar.hits)
                                   .arg(bar.gradeSum),
                               viewport());
        } else {
            QToolTip::hideText();
        }
        return true;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

} // namespace tessalyn
