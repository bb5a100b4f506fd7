#pragma once

#include "table/PrintLayout.h"

#include <QFont>
#include <QString>

#include <functional>

class QPaintDevice;
class QPrinter;
class QWidget;

namespace tessalyn {

class TableView;

// Printing of tables, the one routine for every TableView that prints. The
// printout shows the table as the window shows it: the header rows and
// columns on every page and, of the other columns, exactly those shown in the
// window at that moment, scaled to the paper's width; all rows, over as many
// pages as they need. The caller puts a title into the top-left cell before
// and takes it out afterwards.

// The print font: "Arial" at 10 logical units, normal weight, upright; the
// platform's sans-serif font where Arial is missing.
QFont tablePrintFont();

// Average character width and line height of the print font on a device.
struct PrintFontMetrics {
    int charWidth = 0;
    int lineHeight = 0;
};
PrintFontMetrics measurePrintFont(const QFont& font, QPaintDevice* device);

// The page geometry of printing `table` onto `printer` now.
PrintLayout printLayoutFor(const TableView& table, QPrinter& printer);

// The name of a print job: the program title; should that be empty, the
// first non-empty caption from the table's window outwards.
QString printJobName(const TableView& table);

// Asks for the printer (the platform's print dialog: printer and copies; no
// page range, no selection, no printing to a file), then prints. Returns
// false when the dialog was cancelled or the job failed.
bool printTable(TableView& table, QWidget* parent);

// Prints `table` onto a printer that is ready to start a job. Honours a page
// range set on the printer (the dialog offers none). A page the printer
// refuses ends the job, which is then aborted. Returns whether every page
// was printed.
bool printTableTo(TableView& table, QPrinter& printer);

// For tests: called by printTable instead of the print dialog with the
// printer to set up (a PDF file, for instance); returns whether to print
// (false acts as a cancelled dialog). An empty function removes the hook.
// Returns the previous hook.
using PrintDialogHook = std::function<bool(QPrinter& printer)>;
PrintDialogHook setPrintDialogHook(PrintDialogHook hook);

// For tests: called before each page after the first is started, with its
// number (1-based); false acts as a printer that refuses the page. Returns
// the previous hook.
using PrintPageHook = std::function<bool(int page)>;
PrintPageHook setPrintPageHook(PrintPageHook hook);

} // namespace tessalyn
