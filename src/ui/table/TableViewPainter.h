#pragma once

#include "table/TableLogic.h"

#include <QColor>
#include <QPalette>
#include <QRect>
#include <QSize>

#include <functional>

class QPainter;

namespace tessalyn {

// The grid lines between cells and the bottom border of the separator row,
// alike on the screen and in print (TablePrinter).
inline constexpr QColor kGridLineColour(192, 192, 192);
inline constexpr QColor kSeparatorColour(255, 0, 0);
inline constexpr int kSeparatorWidth = 3;
// Space between a cell's left border and its text.
inline constexpr int kCellTextMargin = 4;

// What of a table a window shows: the scrolled rows and columns of which some
// part is visible (-1 when none), the header rows and columns that stay in
// place, and their extent in pixels.
struct ShownCells {
    int firstRow = -1;
    int lastRow = -1;
    int firstColumn = -1;
    int lastColumn = -1;
    int headerRows = 0;
    int headerColumns = 0;
    int headerHeight = 0;
    int headerWidth = 0;
    QSize size;
};

// Paints the cells of a TableLogic: backgrounds, texts, grid lines, the focus
// frame and the separator row's border, in the colours of a palette. The
// table view paints its window with it, the printer its pages.
class TableViewPainter {
public:
    // `hasFocus`: the window has the keyboard focus (the focus frame is drawn
    // in the text colour, otherwise dimmed).
    TableViewPainter(const TableLogic& logic, const QPalette& palette, bool hasFocus);

    // Draws one cell into `rect`; `printing` leaves out focus and selection.
    void drawCell(QPainter& painter, int row, int col, const QRect& rect, bool printing) const;

    // A cell's colours as drawCell paints them: its own (fitted to the
    // palette), else the default of its kind; the selection's unless
    // `printing`. The text colour is made to read on the background.
    QColor backgroundColour(int row, int col, bool printing) const;
    QColor textColour(int row, int col, bool printing) const;

    // Paints a window's cells: the scrolled cells first, then the header bands
    // over them. `cellRect` gives a cell's rectangle in the window.
    void paintShown(QPainter& painter, const ShownCells& shown,
                    const std::function<QRect(int, int)>& cellRect) const;

private:
    // The cells of rows row0..row1 and columns col0..col1 with the separator
    // row's border among them.
    void paintRegion(QPainter& painter, int row0, int row1, int col0, int col1,
                     const std::function<QRect(int, int)>& cellRect) const;

    const TableLogic& logic_;
    const QPalette& palette_;
    bool hasFocus_;
};

} // namespace tessalyn
