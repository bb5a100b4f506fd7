#pragma once

// Helpers of the printing and result view tests: the built-in content, a
// scored case, a PDF printer instead of the print dialog, and poppler's tools
// to look into the PDF files printed.

#include "case/Case.h"
#include "case/Evaluation.h"
#include "data/ContentLoader.h"
#include "data/TestContent.h"
#include "ui/table/TablePrinter.h"
#include "ui/table/TableView.h"

#include <QDir>
#include <QImage>
#include <QPageSize>
#include <QPrinter>
#include <QProcess>
#include <QRectF>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <algorithm>
#include <initializer_list>
#include <optional>
#include <vector>

namespace tessalyn::test {

// The built-in content, loaded once per test program.
inline const RepertoryData& builtInContent() {
    return tessalyn::test::builtIn();
}

// A case of the given symptom numbers (BD 0) with its input row, evaluated.
struct EvaluatedCase {
    EvaluatedCase(const RepertoryData& data, std::initializer_list<int> numbers,
                  PolarityMode mode = PolarityMode::None, std::string name = std::string())
        : EvaluatedCase(data, std::vector<int>(numbers), mode, std::move(name)) {}
    EvaluatedCase(const RepertoryData& data, const std::vector<int>& numbers,
                  PolarityMode mode = PolarityMode::None, std::string name = std::string()) {
        int i = 0;
        for (int n : numbers) {
            theCase.entry(i++) = CaseEntry(n, 0);
        }
        theCase.setCount(i + 1); // the empty input row
        theCase.setName(std::move(name));
        EXPECT_TRUE(evaluateCase(theCase, data, mode, result));
    }

    Case theCase;
    EvaluationResult result;
};

// Sets a printer up to write a PDF file on A4 paper.
inline void makePdfPrinter(QPrinter& printer, const QString& path) {
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
}

// Installs a print dialog hook for its lifetime that prints into `path`
// (or cancels), recording what `onDialog` wants to see at that moment.
class PdfDialogHook {
public:
    explicit PdfDialogHook(QString path, bool accept = true,
                           std::function<void(QPrinter&)> onDialog = {})
        : guard_(printDialogHook().install([=](QPrinter& printer) {
              makePdfPrinter(printer, path);
              if (onDialog) {
                  onDialog(printer);
              }
              return accept;
          })) {}
    PdfDialogHook(const PdfDialogHook&) = delete;
    PdfDialogHook& operator=(const PdfDialogHook&) = delete;

    int calls() const { return guard_.calls(); }

private:
    PrintDialogHook::Guard guard_;
};

// Whether a tool of poppler-utils is installed. ./test.sh installs them, so a
// missing one fails the test instead of leaving its checks out quietly.
inline bool havePoppler(const char* tool) {
    const bool found = !QStandardPaths::findExecutable(QString::fromLatin1(tool)).isEmpty();
    EXPECT_TRUE(found) << tool << " is not installed (poppler-utils)";
    return found;
}

inline QString runTool(const QString& program, const QStringList& arguments) {
    QProcess process;
    process.start(program, arguments);
    if (!process.waitForFinished(30000) || process.exitCode() != 0) {
        ADD_FAILURE() << program.toStdString()
                      << " failed: " << process.readAllStandardError().toStdString();
        return QString();
    }
    return QString::fromUtf8(process.readAllStandardOutput());
}

// A field of pdfinfo's report ("Pages", "Title"); empty when missing.
inline QString pdfInfo(const QString& pdf, const QString& field) {
    const QString report = runTool(QStringLiteral("pdfinfo"), {pdf});
    const QRegularExpression line(QStringLiteral("^%1:\\s*(.*)$").arg(field),
                                  QRegularExpression::MultilineOption);
    const QRegularExpressionMatch m = line.match(report);
    return m.hasMatch() ? m.captured(1).trimmed() : QString();
}

inline int pdfPageCount(const QString& pdf) {
    return pdfInfo(pdf, QStringLiteral("Pages")).toInt();
}

// The text of one page (1-based), with typographic ligatures ("ff" drawn as
// one glyph) spelt out again.
inline QString pdfPageText(const QString& pdf, int page) {
    return runTool(QStringLiteral("pdftotext"),
                   {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
                    QString::number(page), QStringLiteral("-layout"), pdf, QStringLiteral("-")})
        .normalized(QString::NormalizationForm_KC);
}

inline QStringList pdfPageWords(const QString& pdf, int page) {
    return pdfPageText(pdf, page).split(QRegularExpression(QStringLiteral("\\s+")),
                                        Qt::SkipEmptyParts);
}

// A word as pdftotext reads it from a PDF, as written (no ligature spelt
// out), with its page (1-based) and its box in points.
struct PdfWord {
    int page = 0;
    QString text;
    QRectF box;

    // The height of its letters, across the line it stands on: the box's
    // width for a word that stands upright.
    double letterHeight(bool upright) const { return upright ? box.width() : box.height(); }
    double centreY() const { return box.center().y(); }
    // The middle of the box: where the letters are inked, without the room
    // the font keeps above and below them, which neighbouring lines share.
    QRectF inked() const {
        return box.adjusted(box.width() * 0.3, box.height() * 0.3, -box.width() * 0.3,
                            -box.height() * 0.3);
    }
};

// Every word of a PDF in pdftotext's reading order, page by page.
inline std::vector<PdfWord> pdfWords(const QString& pdf) {
    const QString html =
        runTool(QStringLiteral("pdftotext"), {QStringLiteral("-bbox"), pdf, QStringLiteral("-")});
    const QRegularExpression item(
        QStringLiteral("<page |<word xMin=\"([-0-9.]+)\" yMin=\"([-0-9.]+)\" "
                       "xMax=\"([-0-9.]+)\" yMax=\"([-0-9.]+)\">([^<]*)</word>"));
    std::vector<PdfWord> words;
    int page = 0;
    for (auto it = item.globalMatch(html); it.hasNext();) {
        const QRegularExpressionMatch m = it.next();
        if (m.captured(0).startsWith(QStringLiteral("<page"))) {
            ++page;
            continue;
        }
        QString text = m.captured(5);
        text.replace(QStringLiteral("&lt;"), QStringLiteral("<"))
            .replace(QStringLiteral("&gt;"), QStringLiteral(">"))
            .replace(QStringLiteral("&quot;"), QStringLiteral("\""))
            .replace(QStringLiteral("&amp;"), QStringLiteral("&"));
        const QPointF topLeft(m.captured(1).toDouble(), m.captured(2).toDouble());
        const QPointF bottomRight(m.captured(3).toDouble(), m.captured(4).toDouble());
        words.push_back(PdfWord{page, text, QRectF(topLeft, bottomRight)});
    }
    return words;
}

// The words of one page.
inline std::vector<PdfWord> wordsOfPage(const std::vector<PdfWord>& words, int page) {
    std::vector<PdfWord> on;
    for (const PdfWord& w : words) {
        if (w.page == page) {
            on.push_back(w);
        }
    }
    return on;
}

// Whether `sequence` occurs among `words` in this order, other words
// between them allowed (a text wrapped in its column, beside other columns).
inline bool holdsInOrder(const std::vector<PdfWord>& words, const QStringList& sequence) {
    qsizetype next = 0;
    for (const PdfWord& w : words) {
        if (next < sequence.size() && w.text == sequence[next]) {
            ++next;
        }
    }
    return next == sequence.size();
}

// Whether the words stand one after the other, nothing between them.
inline bool holdsTogether(const std::vector<PdfWord>& words, const QStringList& sequence) {
    for (std::size_t i = 0; i + static_cast<std::size_t>(sequence.size()) <= words.size(); ++i) {
        bool all = true;
        for (qsizetype k = 0; k < sequence.size() && all; ++k) {
            all = words[i + static_cast<std::size_t>(k)].text == sequence[k];
        }
        if (all) {
            return true;
        }
    }
    return false;
}

// Two words of a page drawn over each other: what a text cut at its cell's
// border leaves in a PDF, where the cut part still lies under the next cell's
// text. Empty when there are none.
inline QString overlappingWords(const std::vector<PdfWord>& words) {
    for (std::size_t i = 0; i < words.size(); ++i) {
        // The words come page by page.
        for (std::size_t j = i + 1; j < words.size() && words[j].page == words[i].page; ++j) {
            if (words[i].inked().intersects(words[j].inked())) {
                return QStringLiteral("page %1: \"%2\" and \"%3\"")
                    .arg(words[i].page)
                    .arg(words[i].text, words[j].text);
            }
        }
    }
    return QString();
}

// Page `page` rendered at `dpi` into `png` (without the extension the tool
// adds); the image, or a null image when that failed.
inline QImage renderPdfPage(const QString& pdf, int page, int dpi, const QString& pngBase) {
    runTool(QStringLiteral("pdftoppm"),
            {QStringLiteral("-f"), QString::number(page), QStringLiteral("-l"),
             QString::number(page), QStringLiteral("-r"), QString::number(dpi),
             QStringLiteral("-png"), QStringLiteral("-singlefile"), pdf, pngBase});
    return QImage(pngBase + QStringLiteral(".png"));
}

// Where a point of the logical page lands in a picture of the page rendered
// at `dpi`: the printable area's place on the paper, scaled to points.
struct PageMapping {
    QRectF printable; // in points, relative to the paper
    PrintLayout layout;

    // The result view prints its two text columns fitted to their texts.
    static PageMapping of(const TableView& table, QPrinter& printer) {
        PageMapping m;
        m.printable = printer.pageRect(QPrinter::Point);
        m.layout = printLayoutFor(table, printer,
                                  {table.fittedColumnWidth(0), table.fittedColumnWidth(1)});
        return m;
    }
    // Left edge of a printed column relative to the table's left edge, and
    // its printed width.
    double columnLeft(int col) const {
        double x = 0;
        for (std::size_t i = 0; i < layout.columns.size() && layout.columns[i] != col; ++i) {
            x += layout.widths[i];
        }
        return x;
    }
    double columnWidth(int col) const {
        for (std::size_t i = 0; i < layout.columns.size(); ++i) {
            if (layout.columns[i] == col) {
                return layout.widths[i];
            }
        }
        return 0;
    }
    // A point given relative to the table's top-left corner on the page.
    QPoint toImage(double tableX, double tableY, int dpi) const {
        const double lx = static_cast<double>(layout.tableLeft()) + tableX;
        const double ly = static_cast<double>(layout.tableTop()) + tableY;
        const double px =
            printable.left() + lx * printable.width() / static_cast<double>(layout.logicalWidth);
        const double py =
            printable.top() + ly * printable.height() / static_cast<double>(layout.logicalHeight);
        return QPoint(static_cast<int>(px * dpi / 72.0), static_cast<int>(py * dpi / 72.0));
    }
};

} // namespace tessalyn::test
