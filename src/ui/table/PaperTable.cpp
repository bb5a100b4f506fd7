#include "ui/table/PaperTable.h"

#include "ui/table/PdfExport.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"
#include "ui/table/TableViewPainter.h"
#include "ui/widgets/ReadableColours.h"
#include "ui/widgets/TextCodec.h"

#include <QFont>
#include <QFontMetricsF>
#include <QGlyphRun>
#include <QPainter>
#include <QPainterPath>
#include <QPalette>
#include <QPdfWriter>
#include <QRawFont>

#include <algorithm>
#include <array>
#include <cmath>
#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

namespace {

// Device units of the PDF per point.
constexpr double kUnitsPerPoint = kPdfResolution / 72.0;
constexpr double kTitlePoints = 9;
// Room around a cell's text, between text and marks, and between the frame
// lines and the content, in points.
constexpr double kPaddingXPoints = 1.5;
constexpr double kPaddingYPoints = 1.2;
constexpr double kMarksGapPoints = 5;
constexpr double kFrameGapPoints = 5;
constexpr double kGridLinePoints = 0.5;
// A line's height and its baseline's distance from the line's top, as shares
// of the text's size.
constexpr double kLineShare = 1.17;
constexpr double kAscentShare = 0.9;
constexpr double kSeparatorPoints = 1.5;

int units(double points) {
    return static_cast<int>(std::lround(points * kUnitsPerPoint));
}

// The fonts of the paper pages: Arial (or the platform's sans-serif font)
// with the sizes in device units of the PDF, drawn without ligatures so the
// text reads back as it is written.
QFont paperFont(double points, bool bold = false) {
    QFont font;
    // Arial or a font of its widths, narrower than the usual sans-serif ones.
    font.setFamilies({QStringLiteral("Arial"), QStringLiteral("Liberation Sans"),
                      QStringLiteral("Nimbus Sans"), QStringLiteral("Helvetica")});
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(units(points));
    font.setBold(bold);
    font.setStyleStrategy(QFont::PreferNoShaping);
    return font;
}

} // namespace

// The paper font's glyph for each Windows-1252 byte, with the advances the
// layout measures texts by: the text is drawn glyph by glyph at exactly
// those advances, so what the layout fits is what the page shows.
class PaperGlyphs {
public:
    PaperGlyphs() {
        raw_ = QRawFont::fromFont(paperFont(kPaperTextPoints));
        raw_.setPixelSize(kPaperTextPoints * kUnitsPerPoint);
        std::array<quint32, 256> glyphs{};
        for (int b = 0; b < 256; ++b) {
            const QString ch = toQString(std::string(1, static_cast<char>(b)));
            const QList<quint32> indexes = raw_.glyphIndexesForString(ch);
            glyphs[static_cast<std::size_t>(b)] = indexes.size() == 1 ? indexes[0] : 0;
        }
        const QList<quint32> all(glyphs.begin(), glyphs.end());
        const QList<QPointF> advances = raw_.advancesForGlyphIndexes(
            all, QRawFont::SeparateAdvances | QRawFont::UseDesignMetrics);
        for (int b = 0; b < 256 && b < advances.size(); ++b) {
            glyph_[static_cast<std::size_t>(b)] = glyphs[static_cast<std::size_t>(b)];
            metrics_.advances[static_cast<std::size_t>(b)] = advances[b].x();
        }
        // Lines as close as the text's size allows, whatever room the font
        // asks for above and below its letters.
        const double size = raw_.pixelSize();
        ascent_ = std::min(raw_.ascent(), kAscentShare * size);
        metrics_.lineHeight = static_cast<int>(
            std::ceil(std::min(raw_.ascent() + raw_.descent(), kLineShare * size)));
    }

    const QRawFont& raw() const { return raw_; }
    const PaperFont& metrics() const { return metrics_; }
    quint32 glyph(char byte) const { return glyph_[static_cast<unsigned char>(byte)]; }
    double ascent() const { return ascent_; }

private:
    QRawFont raw_;
    std::array<quint32, 256> glyph_{};
    PaperFont metrics_;
    double ascent_ = 0;
};

namespace {

// The texts of a page gathered by colour and drawn as one run of glyphs per
// colour: a page holds thousands of short texts.
class GlyphBatch {
public:
    explicit GlyphBatch(const PaperGlyphs& glyphs) : glyphs_(glyphs) {}

    // `text` with its baseline starting at `origin`, running along x. The
    // glyphs stand on whole device units (a 1200th of an inch): the PDF then
    // states their places in few digits. Blanks are room, not glyphs, as in
    // typeset documents; readers take the gap for the blank.
    void add(const QColor& colour, std::string_view text, QPointF origin) {
        Run& run = runs_[colour.rgba()];
        double x = origin.x();
        const double y = std::round(origin.y());
        for (const char ch : text) {
            if (ch != ' ') {
                run.glyphs.push_back(glyphs_.glyph(ch));
                run.positions.push_back(QPointF(std::round(x), y));
            }
            x += glyphs_.metrics().advances[static_cast<unsigned char>(ch)];
        }
    }

    void draw(QPainter& painter) const {
        for (const auto& [rgba, run] : runs_) {
            if (run.glyphs.isEmpty()) {
                continue;
            }
            QGlyphRun glyphRun;
            glyphRun.setRawFont(glyphs_.raw());
            glyphRun.setGlyphIndexes(run.glyphs);
            glyphRun.setPositions(run.positions);
            painter.setPen(QColor::fromRgba(rgba));
            painter.drawGlyphRun(QPointF(0, 0), glyphRun);
        }
    }

private:
    struct Run {
        QList<quint32> glyphs;
        QList<QPointF> positions;
    };
    const PaperGlyphs& glyphs_;
    std::map<QRgb, Run> runs_;
};

// A filled area of one colour spanning cells.
struct Fill {
    int left;
    int right;
    int top;
    int bottom;
    QRgb colour;
};

// Paints page `page` of `layout` with the table's top-left corner at (0, 0).
void paintPaperPage(QPainter& painter, const PaperGlyphs& glyphs, const TableLogic& logic,
                    const QPalette& palette, const PaperLayout& layout, const PaperPage& page) {
    const TableViewPainter cells(logic, palette, false);
    const std::vector<PaperColumn>& columns = layout.bands[static_cast<std::size_t>(page.band)];
    const int width = layout.bandWidth(page.band);
    const QRgb white = QColor(Qt::white).rgba();

    // Backgrounds: runs of one colour along each row, joined with the same
    // runs of the row above.
    std::vector<Fill> open;
    std::vector<Fill> fills;
    for (const PaperRow& row : page.rows) {
        std::vector<Fill> runs;
        for (const PaperColumn& column : columns) {
            const QRgb colour = cells.backgroundColour(row.row, column.column, true).rgba();
            if (!runs.empty() && runs.back().colour == colour && runs.back().right == column.left) {
                runs.back().right = column.left + column.width;
            } else {
                runs.push_back(Fill{column.left, column.left + column.width, row.top,
                                    row.top + row.height, colour});
            }
        }
        std::vector<Fill> next;
        for (Fill run : runs) {
            const auto above = std::find_if(open.begin(), open.end(), [&](const Fill& f) {
                return f.left == run.left && f.right == run.right && f.colour == run.colour &&
                       f.bottom == run.top;
            });
            if (above != open.end()) {
                run.top = above->top;
                open.erase(above);
            }
            next.push_back(run);
        }
        fills.insert(fills.end(), open.begin(), open.end());
        open = std::move(next);
    }
    fills.insert(fills.end(), open.begin(), open.end());
    for (const Fill& f : fills) {
        if (f.colour != white) {
            painter.fillRect(QRect(f.left, f.top, f.right - f.left, f.bottom - f.top),
                             QColor::fromRgba(f.colour));
        }
    }

    // The grid: one line at every row and column border.
    QPainterPath grid;
    for (const PaperRow& row : page.rows) {
        grid.moveTo(0, row.top);
        grid.lineTo(width, row.top);
    }
    grid.moveTo(0, page.height);
    grid.lineTo(width, page.height);
    for (const PaperColumn& column : columns) {
        grid.moveTo(column.left, 0);
        grid.lineTo(column.left, page.height);
    }
    grid.moveTo(width, 0);
    grid.lineTo(width, page.height);
    painter.strokePath(grid, QPen(kGridLineColour, units(kGridLinePoints)));

    // The separator row's bottom border, red, as on the screen.
    for (const PaperRow& row : page.rows) {
        if (row.row == logic.separatorRow()) {
            const int thick = units(kSeparatorPoints);
            painter.fillRect(QRect(0, row.top + row.height - thick / 2, width, thick),
                             kSeparatorColour);
        }
    }

    // The texts, the upright ones gathered apart: they are drawn turned.
    GlyphBatch texts(glyphs);
    GlyphBatch upright(glyphs);
    const PaperFont& font = glyphs.metrics();
    const double ascent = glyphs.ascent();
    for (const PaperRow& row : page.rows) {
        for (const PaperColumn& column : columns) {
            const std::string& text = logic.rawCellText(row.row, column.column);
            const std::string& marks = logic.cellMarks(row.row, column.column);
            if (text.empty() && marks.empty()) {
                continue;
            }
            const QColor colour = cells.textColour(row.row, column.column, true);
            if (column.upright && row.row == 0) {
                // Reads upwards from the cell's foot, centred in the column.
                const double baseline =
                    column.left + (column.width - layout.lineHeight) / 2.0 + ascent;
                upright.add(colour, logic.cellTextWithMarks(row.row, column.column),
                            QPointF(-(row.top + row.height - layout.paddingY), baseline));
                continue;
            }
            const std::vector<TextLine> lines = layout.lines(logic, row.row, column.column);
            const double firstBaseline = row.top + layout.paddingY + ascent;
            for (int k = 0; k < row.lineCount; ++k) {
                const int index = row.firstLine + k;
                if (index >= static_cast<int>(lines.size())) {
                    break;
                }
                const TextLine& line = lines[static_cast<std::size_t>(index)];
                texts.add(
                    colour,
                    std::string_view(text).substr(static_cast<std::size_t>(line.begin),
                                                  static_cast<std::size_t>(line.length)),
                    QPointF(column.left + layout.paddingX, firstBaseline + k * layout.lineHeight));
            }
            if (!marks.empty() && row.firstLine == 0) {
                texts.add(colour, marks,
                          QPointF(column.left + column.width - layout.paddingX - font.width(marks),
                                  firstBaseline));
            }
        }
    }
    texts.draw(painter);
    painter.save();
    painter.rotate(-90);
    upright.draw(painter);
    painter.restore();
}

// Height of the heading zone and of the foot zone of a page.
int headingHeight() {
    return static_cast<int>(std::ceil(QFontMetricsF(paperFont(kTitlePoints, true)).height())) +
           units(kFrameGapPoints);
}

int footHeight() {
    return static_cast<int>(std::ceil(QFontMetricsF(paperFont(kPaperTextPoints)).height())) +
           units(kFrameGapPoints);
}

} // namespace

bool beginPdfPage(QPdfWriter& writer, QPainter& painter, QPageLayout::Orientation orientation,
                  int number) {
    if (printPageHook() && !printPageHook()(number)) {
        return false;
    }
    if (writer.pageLayout().orientation() != orientation) {
        writer.setPageOrientation(orientation);
    }
    if (!writer.newPage()) {
        return false;
    }
    painter.resetTransform();
    painter.setViewport(0, 0, writer.width(), writer.height());
    painter.setWindow(0, 0, writer.width(), writer.height());
    return true;
}

QRect pageContentRect(const QRect& page) {
    return page.adjusted(0, headingHeight(), 0, -footHeight());
}

void paintPageFrame(QPainter& painter, const QRect& page, const PageFrame& frame, int number,
                    bool withHeading) {
    painter.save();
    painter.setPen(Qt::black);
    if (withHeading) {
        const QRect line(page.left(), page.top(), page.width(),
                         headingHeight() - units(kFrameGapPoints));
        painter.setFont(paperFont(kPaperTextPoints));
        const int dateWidth = painter.fontMetrics().horizontalAdvance(frame.date);
        painter.drawText(line, Qt::AlignRight | Qt::AlignBottom, frame.date);
        painter.setFont(paperFont(kTitlePoints, true));
        painter.drawText(line.adjusted(0, 0, -dateWidth - units(kFrameGapPoints * 2), 0),
                         Qt::AlignLeft | Qt::AlignBottom, frame.title);
    }
    painter.setFont(paperFont(kPaperTextPoints));
    const QRect foot(page.left(), page.bottom() - footHeight() + units(kFrameGapPoints) + 1,
                     page.width(), footHeight() - units(kFrameGapPoints));
    painter.drawText(foot, Qt::AlignRight | Qt::AlignBottom,
                     QStringLiteral("Seite %1 von %2").arg(number).arg(frame.totalPages));
    painter.restore();
}

PaperTable::PaperTable(const TableView& table)
    : table_(table), glyphs_(std::make_shared<const PaperGlyphs>()) {
    PaperInput input;
    input.font = glyphs_->metrics();
    const auto sheet = [](QPageLayout::Orientation orientation) {
        const QRect content =
            pageContentRect(pdfPageLayout(orientation).paintRectPixels(kPdfResolution));
        return PaperSheet{content.width(), content.height()};
    };
    input.portrait = sheet(QPageLayout::Portrait);
    input.landscape = sheet(QPageLayout::Landscape);
    input.paddingX = units(kPaddingXPoints);
    input.paddingY = units(kPaddingYPoints);
    input.marksGap = units(kMarksGapPoints);
    layout_ = layOutOnPaper(table.logic(), input);
}

QPageLayout::Orientation PaperTable::orientation() const {
    return layout_.orientation == PaperOrientation::Landscape ? QPageLayout::Landscape
                                                              : QPageLayout::Portrait;
}

bool PaperTable::paint(QPdfWriter& writer, QPainter& painter, const PageFrame& frame,
                       int firstNumber, bool firstBegun, int* refusedPage) const {
    // The colours of a page, whatever the window's palette.
    const QPalette colours = pagePalette(table_.palette());
    for (int i = 0; i < pageCount(); ++i) {
        const int number = firstNumber + i;
        if (i > 0 || !firstBegun) {
            if (!beginPdfPage(writer, painter, orientation(), number)) {
                if (refusedPage != nullptr) {
                    *refusedPage = number;
                }
                return false;
            }
        } else {
            painter.resetTransform();
            painter.setViewport(0, 0, writer.width(), writer.height());
            painter.setWindow(0, 0, writer.width(), writer.height());
        }
        const QRect page(0, 0, writer.width(), writer.height());
        paintPageFrame(painter, page, frame, number);
        const QRect content = pageContentRect(page);
        painter.save();
        painter.translate(content.topLeft());
        paintPaperPage(painter, *glyphs_, table_.logic(), colours, layout_,
                       layout_.pages[static_cast<std::size_t>(i)]);
        painter.restore();
    }
    return true;
}

} // namespace tessalyn
