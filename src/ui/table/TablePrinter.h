#pragma once

#include "table/PrintLayout.h"
#include "ui/widgets/TestHook.h"

#include <QFont>
#include <QString>
#include <QStringList>

#include <vector>

class QPagedPaintDevice;
class QPaintDevice;
class QPainter;
class QPrinter;
class QWidget;

namespace tessalyn {

class TableView;

// Printing of tables, the one routine for every TableView that prints. The
// printout shows the table as the window shows it: the header rows and
// columns on every page and, of the other columns, exactly those shown in the
// window at that moment, scaled to the paper's width; all rows, over as many
// pages as they need. The caller puts a title into the top-left cell before
// and takes it out afterwards, and may have columns printed wider than the
// window shows them (PrintWidths). The PDF documents lay tables out for
// paper instead (PaperTable.h).

// The print font: "Arial" at 10 logical units, normal weight, upright, without
// ligatures; the platform's sans-serif font where Arial is missing.
QFont tablePrintFont();

// Average character width and line height of the print font on a device.
struct PrintFontMetrics {
    int charWidth = 0;
    int lineHeight = 0;
};
PrintFontMetrics measurePrintFont(const QFont& font, QPaintDevice* device);

// Widths the first columns print with in place of their widths on the
// screen (index = column; a negative width keeps the column's own).
using PrintWidths = std::vector<int>;

// The page geometry of printing `table` now onto `device`.
PrintLayout printLayoutFor(const TableView& table, QPaintDevice& device,
                           const PrintWidths& leadingWidths = {});

// The name of a print job: the program title; should that be empty, the
// first non-empty caption from the table's window outwards.
QString printJobName(const TableView& table);

// Whether a printer is installed: the platform's list of printers (or the
// test hook's); while only the print dialog hook is set, its printer counts.
bool printerAvailable();

// The message when "&Drucken" finds no printer.
QString noPrinterMessage();

// Asks for the printer (the platform's print dialog: printer and copies; no
// page range, no selection, no printing to a file), then prints. Without a
// printer it says so instead of showing the dialog, and a job that fails is
// reported; both in a message box over `parent`. Returns false when nothing
// was printed (no printer, dialog cancelled, job failed).
bool printTable(TableView& table, QWidget* parent, const PrintWidths& leadingWidths = {});

// Prints `table` onto a printer that is ready to start a job. Honours a page
// range set on the printer (the dialog offers none). A page the printer
// refuses ends the job, which is then aborted. Returns whether every page
// was printed; if not, `failure` (when given) gets the German reason.
bool printTableTo(TableView& table, QPrinter& printer, QString* failure = nullptr,
                  const PrintWidths& leadingWidths = {});

// Paints pages firstPage..lastPage (1-based) of `layout` onto `device`,
// whose painter is active; with `newPageFirst` a new page is begun before the
// first (the device holds pages already). The painter's window is set for
// the pages and left changed. Returns false when the device refuses a page,
// also through the page hook; `refusedPage` then gets its number.
bool paintTablePages(QPainter& painter, QPagedPaintDevice& device, const TableView& table,
                     const PrintLayout& layout, int firstPage, int lastPage, bool newPageFirst,
                     int* refusedPage = nullptr);

// For tests: called by printTable instead of the print dialog with the
// printer to set up (a PDF file, for instance); returns whether to print
// (false acts as a cancelled dialog).
using PrintDialogHook = TestHook<bool(QPrinter& printer)>;
PrintDialogHook& printDialogHook();

// For tests: called before each page after the first is started, with its
// number (1-based); false acts as a printer that refuses the page.
using PrintPageHook = TestHook<bool(int page)>;
PrintPageHook& printPageHook();

// For tests: the names of the installed printers, in place of the
// platform's list.
using PrinterListHook = TestHook<QStringList()>;
PrinterListHook& printerListHook();

} // namespace tessalyn
