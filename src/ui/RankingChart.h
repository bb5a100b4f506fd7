#pragma once

#include <QAbstractScrollArea>
#include <QColor>
#include <QRect>
#include <QString>

#include <vector>

class QFontMetrics;
class QPainter;

namespace tessalyn {

// One remedy of the ranking as the chart shows it.
struct RankingBar {
    QString abbreviation;
    int hits = 0;
    int gradeSum = 0;
    int column = -1; // the remedy's column in the result table

    bool operator==(const RankingBar&) const = default;
};

// The colours of the two bars on paper and in a light window.
inline constexpr QColor kHitsBarColour(46, 104, 166);
inline constexpr QColor kGradeSumBarColour(232, 150, 40);

// Where and how a run of bars is drawn (paintRankingBars).
struct RankingBarsFrame {
    QRect area;           // the values above, the bars and the labels below them
    int slotWidth = 0;    // one remedy's room
    int scrollOffset = 0; // how far the run is moved left
    int firstBar = 0;
    int barCount = -1;          // -1: as many as fit
    bool uprightLabels = false; // abbreviations turned to read upwards
    QColor textColour;
    QColor axisColour;
    QColor hitsColour = kHitsBarColour;
    QColor gradeSumColour = kGradeSumBarColour;
};

// Draws the bars of `bars` in the painter's font: for each remedy the hits
// and, beside it, the grade sum, both on one scale (the largest value of
// either) so a higher grade shows as a longer second bar; each value stands
// above its bar and the abbreviation under both. Values and labels are text.
void paintRankingBars(QPainter& painter, const std::vector<RankingBar>& bars,
                      const RankingBarsFrame& frame);

// Draws the legend ("Treffer", "Gradsumme" with the colours of their bars) in
// one line of the painter's font, right-aligned within `line`.
void paintRankingLegend(QPainter& painter, const QRect& line, const QColor& textColour,
                        const QColor& hitsColour = kHitsBarColour,
                        const QColor& gradeSumColour = kGradeSumBarColour);

// What the chart says in words, for a screen reader: the ranking of the
// first `count` remedies with their hits and grade sums.
QString rankingText(const std::vector<RankingBar>& bars, int count);

// The narrowest slot in which the values and labels of `bars` stand side by
// side without touching, in the font of `fm`.
int rankingSlotWidth(const std::vector<RankingBar>& bars, const QFontMetrics& fm);

// The width of the widest abbreviation among `bars`.
int widestRankingLabel(const std::vector<RankingBar>& bars, const QFontMetrics& fm);

// A bar chart of the ranked remedies, left to right in the order given, drawn
// by paintRankingBars under its legend. As many remedies as fit are shown
// whole, each with room for its labels; the rest are reached by scrolling
// sideways. A click on a remedy reports its table column.
class RankingChart : public QAbstractScrollArea {
    Q_OBJECT

public:
    explicit RankingChart(QWidget* parent = nullptr);

    void setBars(std::vector<RankingBar> bars);
    const std::vector<RankingBar>& bars() const { return bars_; }

    // Width of one remedy's slot, and the bar under a viewport point (-1: none).
    int slotWidth() const;
    int barAt(const QPoint& pos) const;
    // How many slots the window shows whole.
    int visibleBarCount() const;
    // Scrolls so that bar `index` is shown.
    void ensureBarVisible(int index);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

    // Colours of the two bars (also used by the legend) in a light window;
    // a dark palette shows them lighter (markColour).
    static QColor hitsColour();
    static QColor gradeSumColour();

signals:
    void barClicked(int column);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;

private:
    void updateScrollRange();

    std::vector<RankingBar> bars_;
    int slotWidth_ = 0;
};

} // namespace tessalyn
