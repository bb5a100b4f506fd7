#pragma once

#include <QAbstractScrollArea>
#include <QString>

#include <vector>

namespace tessalyn {

// One remedy of the ranking as the chart shows it.
struct RankingBar {
    QString abbreviation;
    int hits = 0;
    int gradeSum = 0;
    int column = -1; // the remedy's column in the result table

    bool operator==(const RankingBar&) const = default;
};

// A bar chart of the ranked remedies, left to right in the order given: the
// bar's length is the number of hits, a narrower bar beside it shows the sum
// of grades, and the abbreviation stands under both. As many remedies as fit
// are shown; the rest are reached by scrolling sideways. A click on a remedy
// reports its table column.
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

    // Colours of the two bars (also used by the legend).
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
    int maxHits_ = 0;
    int maxGradeSum_ = 0;
    int widestAbbreviation_ = 0;
};

} // namespace tessalyn
