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
#include <QRegularExpression>
#include <QStandardPaths>
#include <QString>
#include <QStringList>

#include <gtest/gtest.h>

#include <initializer_list>
#include <optional>

namespace tessalyn::test {

// The built-in content, loaded once per test program.
inline const RepertoryData& builtInContent() {
    return tessalyn::test::builtIn();
}

// A case of the given symptom numbers (BD 0) with its input row, evaluated.
struct EvaluatedCase {
    EvaluatedCase(const RepertoryData& data, std::initializer_list<int> numbers,
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

    static PageMapping of(const TableView& table, QPrinter& printer) {
        PageMapping m;
        m.printable = printer.pageRect(QPrinter::Point);
        m.layout = printLayoutFor(table, printer);
        return m;
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
