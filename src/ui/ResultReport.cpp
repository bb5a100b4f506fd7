#include "ui/ResultReport.h"

#include "ui/table/PdfExport.h"

#include <QBuffer>
#include <QFont>
#include <QFontMetrics>
#include <QPainter>
#include <QPdfWriter>

#include <algorithm>
#include <cmath>

namespace tessalyn {

namespace {

constexpr double kTitlePoints = 16;
constexpr double kHeadingPoints = 11;
constexpr double kTextPoints = 9;
constexpr double kChartPoints = kPaperTextPoints;
constexpr double kChartHeightMm = 75;

// The report's fonts, sized in the PDF's device units, drawn without
// ligatures so that the text reads back as it is written.
QFont reportFont(double points, bool bold = false) {
    QFont font(QStringLiteral("DejaVu Sans"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(static_cast<int>(std::lround(points * kPdfResolution / 72.0)));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

int mm(double millimetres) {
    return static_cast<int>(millimetres * kPdfResolution / 25.4);
}

// Writes the blocks of the front one below the other and begins a new page
// (with its frame) when the next block does not fit. Without a painter it
// only counts the pages. Texts are measured on the PDF writer, counting and
// painting alike, so both break lines and pages in the same places.
class FrontWriter {
public:
    FrontWriter(QPainter* painter, QPdfWriter& writer, const PageFrame& frame)
        : painter_(painter), writer_(writer), frame_(frame),
          page_(QPoint(0, 0),
                pdfPageLayout(QPageLayout::Portrait).paintRectPixels(kPdfResolution).size()),
          content_(pageContentRect(page_)), y_(content_.top()) {
        if (painter_ != nullptr) {
            painter_->resetTransform();
            painter_->setViewport(page_);
            painter_->setWindow(page_);
            paintPageFrame(*painter_, page_, frame_, 1, false);
        }
    }

    QPainter* painter() const { return painter_; }
    QFontMetrics metrics(const QFont& font) const { return QFontMetrics(font, &writer_); }
    int pages() const { return pages_; }
    int width() const { return content_.width(); }
    int y() const { return y_; }
    // Makes room for `height` units below the current line; false when the
    // new page that needed was refused.
    bool reserve(int height) {
        if (y_ + height <= content_.bottom() || y_ == content_.top()) {
            return true;
        }
        ++pages_;
        y_ = content_.top();
        if (painter_ == nullptr) {
            return true;
        }
        if (!beginPdfPage(writer_, *painter_, QPageLayout::Portrait, pages_)) {
            return false;
        }
        paintPageFrame(*painter_, page_, frame_, pages_);
        return true;
    }
    void advance(int height) { y_ += height; }
    // One line of text in `font`, the whole width; false as reserve says.
    bool line(const QString& text, const QFont& font, int spaceAfter = 0) {
        const int height = metrics(font).height();
        if (!reserve(height)) {
            return false;
        }
        if (painter_ != nullptr) {
            painter_->setFont(font);
            painter_->drawText(QRect(0, y_, content_.width(), height),
                               Qt::AlignLeft | Qt::AlignVCenter, text);
        }
        advance(height + spaceAfter);
        return true;
    }

private:
    QPainter* painter_;
    QPdfWriter& writer_;
    const PageFrame& frame_;
    QRect page_;
    QRect content_;
    int y_;
    int pages_ = 1;
};

// The front, painted by `page` (or only measured, without its painter).
bool writeFront(FrontWriter& page, const ResultReport& report) {
    QPainter* painter = page.painter();
    const QColor text(Qt::black);
    if (painter != nullptr) {
        painter->setPen(text);
    }
    page.line(resultReportTitle(report), reportFont(kTitlePoints, true), mm(1));
    page.line(QStringLiteral("Ergebnis der Auswertung vom %1 · %2 Rubriken · %3 Mittel mit "
                             "Treffern")
                  .arg(report.date)
                  .arg(report.rubrics.size())
                  .arg(report.bars.size()),
              reportFont(kTextPoints), mm(6));

    // The ranking.
    const int shown = std::min<int>(kReportChartBars, static_cast<int>(report.bars.size()));
    page.line(shown < static_cast<int>(report.bars.size())
                  ? QStringLiteral("Rangfolge der ersten %1 Mittel").arg(shown)
                  : QStringLiteral("Rangfolge der Mittel"),
              reportFont(kHeadingPoints, true), mm(1));
    if (shown == 0) {
        page.line(QStringLiteral("Kein Mittel mit Treffern"), reportFont(kTextPoints), mm(6));
    } else {
        const QFont chartFont = reportFont(kChartPoints);
        const QFontMetrics fm = page.metrics(chartFont);
        const int legend = fm.height();
        const QRect area(0, page.y() + legend, page.width(), mm(kChartHeightMm));
        if (painter != nullptr) {
            painter->setFont(chartFont);
            paintRankingLegend(*painter, QRect(0, page.y(), page.width(), legend), text);
            const std::vector<RankingBar> bars(report.bars.begin(), report.bars.begin() + shown);
            RankingBarsFrame frame;
            frame.area = area;
            frame.slotWidth = page.width() / kReportChartBars;
            // Labels wider than a slot are turned upright so that none overlaps.
            frame.uprightLabels =
                widestRankingLabel(bars, fm) + fm.averageCharWidth() > frame.slotWidth;
            frame.textColour = text;
            frame.axisColour = QColor(128, 128, 128);
            paintRankingBars(*painter, bars, frame);
        }
        page.advance(legend + area.height() + mm(8));
    }

    // The rubrics, numbered, their marks in a column of their own, each text
    // wrapped within the width.
    if (!page.line(QStringLiteral("Rubriken des Falls"), reportFont(kHeadingPoints, true), mm(1))) {
        return false;
    }
    const QFont listFont = reportFont(kTextPoints);
    const QFontMetrics fm = page.metrics(listFont);
    const int numberWidth =
        fm.horizontalAdvance(QStringLiteral("%1.").arg(report.rubrics.size())) + mm(2);
    int marksWidth = 0;
    for (const ReportRubric& rubric : report.rubrics) {
        marksWidth = std::max(marksWidth, fm.horizontalAdvance(rubric.marks));
    }
    if (marksWidth > 0) {
        marksWidth += mm(2);
    }
    const int textLeft = numberWidth + marksWidth;
    const int textWidth = std::max(1, page.width() - textLeft);
    const int spacing = mm(0.8);
    for (std::size_t i = 0; i < report.rubrics.size(); ++i) {
        const ReportRubric& rubric = report.rubrics[i];
        const QRect needed =
            fm.boundingRect(QRect(0, 0, textWidth, 1 << 20), Qt::TextWordWrap, rubric.text);
        if (!page.reserve(needed.height())) {
            return false;
        }
        if (painter != nullptr) {
            painter->setFont(listFont);
            painter->setPen(text);
            painter->drawText(QRect(0, page.y(), numberWidth - mm(1), fm.height()),
                              Qt::AlignRight | Qt::AlignTop, QStringLiteral("%1.").arg(i + 1));
            if (!rubric.marks.isEmpty()) {
                painter->drawText(QRect(numberWidth, page.y(), marksWidth, fm.height()),
                                  Qt::AlignLeft | Qt::AlignTop, rubric.marks);
            }
            painter->drawText(QRect(textLeft, page.y(), textWidth, needed.height()),
                              Qt::AlignLeft | Qt::AlignTop | Qt::TextWordWrap, rubric.text);
        }
        page.advance(needed.height() + spacing);
    }
    return true;
}

} // namespace

QString resultReportTitle(const ResultReport& report) {
    const QString name = report.name.trimmed();
    return name.isEmpty() ? QStringLiteral("Auswertung") : name;
}

int resultReportFrontPages(const ResultReport& report) {
    // A writer for the measures only; nothing is drawn on it.
    QBuffer nowhere;
    nowhere.open(QIODevice::WriteOnly);
    QPdfWriter writer(&nowhere);
    setUpPdfWriter(writer, QString());
    const PageFrame frame;
    FrontWriter counter(nullptr, writer, frame);
    writeFront(counter, report);
    return counter.pages();
}

bool paintResultReportFront(QPainter& painter, QPdfWriter& writer, const ResultReport& report,
                            const PageFrame& frame) {
    painter.save();
    FrontWriter page(&painter, writer, frame);
    const bool written = writeFront(page, report);
    painter.restore();
    return written;
}

} // namespace tessalyn
