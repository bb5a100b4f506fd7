#include "ui/table/TablePrinter.h"

#include "ui/table/TableView.h"
#include "ui/widgets/MessageBoxes.h"
#include "ui/widgets/ReadableColours.h"

#include <QFontMetrics>
#include <QPainter>
#include <QPrintDialog>
#include <QPrinter>
#include <QPrinterInfo>

#include <algorithm>
#include <cstdint>
#include <string_view>
#include <utility>
#include <vector>

namespace tessalyn {

namespace {

constexpr int kPrintFontHeight = 10;

// The reason of a failed job, with the printer's name when it has one.
QString printFailure(const QPrinter& printer, const QString& reason) {
    const QString name = printer.printerName();
    const QString head = name.isEmpty()
                             ? QStringLiteral("Der Druck ist fehlgeschlagen.")
                             : QStringLiteral("Der Druck auf „%1“ ist fehlgeschlagen.").arg(name);
    return head + QLatin1Char(' ') + reason;
}

// Painter coordinates are ints; every position on a page stays far below the limit.
int toCoordinate(std::int64_t value) {
    return static_cast<int>(std::clamp<std::int64_t>(value, -(1 << 30), 1 << 30));
}

// Draws page `page` (0-based) of the table: the row headings of the page's
// rows, the top-left block and the column headings above them, then the body.
void printPage(QPainter& painter, const TableView& table, const PrintLayout& layout, int page) {
    const TableLogic& logic = table.logic();
    const int headerRows = std::min(logic.headerRowCount(), logic.rowCount());
    const int headerCols = std::min(logic.headerColumnCount(), logic.columnCount());
    const int firstRow = layout.pageFirstRow(page);
    const int endRow = layout.pageEndRow(page, logic.rowCount());

    // Left edges of the printed columns and top edges of the printed rows.
    std::vector<std::int64_t> lefts;
    std::int64_t x = 0;
    for (int c : layout.columns) {
        lefts.push_back(x);
        x += logic.columnWidth(c);
    }
    const std::int64_t tableWidth = x;
    std::vector<std::int64_t> headerTops;
    std::int64_t y = 0;
    for (int r = 0; r < headerRows; ++r) {
        headerTops.push_back(y);
        y += logic.rowHeight(r);
    }
    std::vector<std::int64_t> bodyTops;
    for (int r = firstRow; r < endRow; ++r) {
        bodyTops.push_back(y);
        y += logic.rowHeight(r);
    }
    const std::int64_t tableHeight = y;

    auto rowTop = [&](int r) {
        return r < headerRows ? headerTops[static_cast<std::size_t>(r)]
                              : bodyTops[static_cast<std::size_t>(r - firstRow)];
    };
    // Header cells in the window's button face, as on the screen, unless a
    // dark desktop's would put light text on dark cells.
    const QPalette colours = pagePalette(table.palette());
    const TableViewPainter cells(logic, colours, false);
    auto printCell = [&](int r, std::size_t i) {
        const int c = layout.columns[i];
        const QRect rect(toCoordinate(lefts[i]), toCoordinate(rowTop(r)),
                         toCoordinate(logic.columnWidth(c)), toCoordinate(logic.rowHeight(r)));
        cells.drawCell(painter, r, c, rect, true);
    };
    const std::size_t printedHeaderCols = static_cast<std::size_t>(headerCols);

    // Row headings of this page's rows.
    for (int r = firstRow; r < endRow; ++r) {
        for (std::size_t i = 0; i < printedHeaderCols; ++i) {
            printCell(r, i);
        }
    }
    // The top-left block, then the column headings.
    for (int r = 0; r < headerRows; ++r) {
        for (std::size_t i = 0; i < printedHeaderCols; ++i) {
            printCell(r, i);
        }
    }
    for (int r = 0; r < headerRows; ++r) {
        for (std::size_t i = printedHeaderCols; i < layout.columns.size(); ++i) {
            printCell(r, i);
        }
    }
    // The body.
    for (int r = firstRow; r < endRow; ++r) {
        for (std::size_t i = printedHeaderCols; i < layout.columns.size(); ++i) {
            printCell(r, i);
        }
    }

    // Each cell draws its right and bottom line; the left and top edges of
    // the printed block close the grid.
    painter.setPen(QPen(kGridLineColour, 1));
    if (tableWidth > 0 && tableHeight > 0) {
        painter.drawLine(0, 0, 0, toCoordinate(tableHeight - 1));
        painter.drawLine(0, 0, toCoordinate(tableWidth - 1), 0);
    }

    // The separator row's bottom border, red and 3 units wide, as on the screen.
    const int separator = logic.separatorRow();
    const bool separatorPrinted =
        (separator >= 0 && separator < headerRows) || (separator >= firstRow && separator < endRow);
    if (separatorPrinted && logic.rowHeight(separator) > 0 && tableWidth > 0) {
        const std::int64_t bottom = rowTop(separator) + logic.rowHeight(separator);
        painter.fillRect(QRect(0, toCoordinate(bottom - kSeparatorWidth), toCoordinate(tableWidth),
                               kSeparatorWidth),
                         kSeparatorColour);
    }
}

} // namespace

QFont tablePrintFont() {
    QFont font(QStringLiteral("Arial"));
    font.setStyleHint(QFont::SansSerif);
    font.setPixelSize(kPrintFontHeight);
    font.setWeight(QFont::Normal);
    font.setItalic(false);
    font.setUnderline(false);
    return font;
}

PrintFontMetrics measurePrintFont(const QFont& font, QPaintDevice* device) {
    const QFontMetrics fm(font, device);
    const QString sample = QString::fromLatin1(kPrintMeasureText, kPrintMeasureLength);
    PrintFontMetrics m;
    m.charWidth = fm.horizontalAdvance(sample) / kPrintMeasureLength;
    m.lineHeight = fm.height();
    return m;
}

PrintLayout printLayoutFor(const TableView& table, QPaintDevice& device) {
    const PrintFontMetrics metrics = measurePrintFont(tablePrintFont(), &device);
    PrintInput input;
    input.firstVisibleColumn = table.firstVisibleColumn();
    input.lastVisibleColumn = table.lastVisibleColumn();
    input.charWidth = metrics.charWidth;
    input.lineHeight = metrics.lineHeight;
    input.pageWidth = device.width();
    input.pageHeight = device.height();
    return computePrintLayout(table.logic(), input);
}

QString printJobName(const TableView& table) {
    const QString title = programTitle();
    if (!title.isEmpty()) {
        return title;
    }
    for (const QWidget* w = table.parentWidget(); w != nullptr; w = w->parentWidget()) {
        if (!w->windowTitle().isEmpty()) {
            return w->windowTitle();
        }
    }
    return QString();
}

PrintDialogHook& printDialogHook() {
    static PrintDialogHook hook;
    return hook;
}

PrintPageHook& printPageHook() {
    static PrintPageHook hook;
    return hook;
}

PrinterListHook& printerListHook() {
    static PrinterListHook hook;
    return hook;
}

bool printerAvailable() {
    if (printerListHook()) {
        return !printerListHook()().isEmpty();
    }
    if (printDialogHook()) {
        return true;
    }
    return !QPrinterInfo::availablePrinterNames().isEmpty();
}

QString noPrinterMessage() {
    return QStringLiteral("Es ist kein Drucker eingerichtet. Mit „Als PDF…“ lässt sich die "
                          "Tabelle als PDF-Datei speichern.");
}

bool printTable(TableView& table, QWidget* parent) {
    if (!printerAvailable()) {
        MessageBoxes::information(parent, noPrinterMessage());
        return false;
    }
    QPrinter printer(QPrinter::HighResolution);
    printer.setDocName(printJobName(table));
    bool go = false;
    if (printDialogHook()) {
        go = printDialogHook()(printer);
    } else {
        QPrintDialog dialog(&printer, parent);
        dialog.setOptions(QAbstractPrintDialog::PrintCollateCopies);
        go = dialog.exec() == QDialog::Accepted;
    }
    if (!go) {
        return false;
    }
    QString failure;
    if (!printTableTo(table, printer, &failure)) {
        MessageBoxes::error(parent, failure);
        return false;
    }
    return true;
}

bool printTableTo(TableView& table, QPrinter& printer, QString* failure) {
    auto fail = [&](const QString& reason) {
        if (failure != nullptr) {
            *failure = printFailure(printer, reason);
        }
        return false;
    };
    printer.setDocName(printJobName(table));
    const PrintLayout layout = printLayoutFor(table, printer);
    if (!layout.valid || layout.pageCount() == 0) {
        return fail(QStringLiteral("Das Papierformat des Druckers lässt keine Seite zu."));
    }
    int firstPage = 1;
    int lastPage = layout.pageCount();
    if (printer.printRange() == QPrinter::PageRange && printer.fromPage() > 0) {
        firstPage = std::max(firstPage, printer.fromPage());
        lastPage = std::min(lastPage, std::max(printer.toPage(), printer.fromPage()));
        if (firstPage > lastPage) {
            return fail(QStringLiteral("Die gewählten Seiten gibt es nicht; die Tabelle hat %1.")
                            .arg(layout.pageCount()));
        }
    }

    QPainter painter;
    if (!painter.begin(&printer)) {
        return fail(QStringLiteral("Der Drucker ließ sich nicht ansprechen."));
    }
    int refused = 0;
    const bool healthy =
        paintTablePages(painter, printer, table, layout, firstPage, lastPage, false, &refused);
    if (!healthy) {
        printer.abort();
    }
    painter.end();
    if (!healthy) {
        return fail(QStringLiteral("Der Drucker hat Seite %1 nicht angenommen; der Auftrag "
                                   "wurde abgebrochen.")
                        .arg(refused));
    }
    if (printer.printerState() == QPrinter::Error) {
        return fail(QStringLiteral("Der Drucker meldet einen Fehler."));
    }
    return true;
}

bool writeTablePages(QPainter& painter, QPagedPaintDevice& device, const TableView& table,
                     bool newPageFirst) {
    const PrintLayout layout = printLayoutFor(table, device);
    if (!layout.valid || layout.pageCount() == 0) {
        return false;
    }
    return paintTablePages(painter, device, table, layout, 1, layout.pageCount(), newPageFirst);
}

bool paintTablePages(QPainter& painter, QPagedPaintDevice& device, const TableView& table,
                     const PrintLayout& layout, int firstPage, int lastPage, bool newPageFirst,
                     int* refusedPage) {
    // The logical page fills the printable area, scaled in x and y on its own.
    painter.setViewport(0, 0, device.width(), device.height());
    painter.setWindow(0, 0, toCoordinate(layout.logicalWidth), toCoordinate(layout.logicalHeight));
    painter.setFont(tablePrintFont());
    for (int page = firstPage; page <= lastPage; ++page) {
        if (page > firstPage || newPageFirst) {
            // Ends the page before and starts this one.
            if ((printPageHook() && !printPageHook()(page)) || !device.newPage()) {
                if (refusedPage != nullptr) {
                    *refusedPage = page;
                }
                return false;
            }
        }
        painter.save();
        painter.translate(toCoordinate(layout.tableLeft()), toCoordinate(layout.tableTop()));
        printPage(painter, table, layout, page - 1);
        painter.restore();
    }
    return true;
}

} // namespace tessalyn
