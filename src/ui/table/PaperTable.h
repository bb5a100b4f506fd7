#pragma once

#include "table/PaperLayout.h"

#include <QPageLayout>
#include <QRect>
#include <QString>

#include <memory>

class QPainter;
class QPdfWriter;

namespace tessalyn {

class PaperGlyphs;
class TableView;

// The tables of the PDF documents ("Als PDF…"), laid out for paper as
// PaperLayout describes: A4, text 8 points high, every column and row, long
// texts wrapped. Each page carries a heading line (the document's title at
// the left, the date at the right) and "Seite n von m" at its foot.

// What every page of a document shows besides its content.
struct PageFrame {
    QString title;      // the evaluation's name, the remedy overview's caption
    QString date;       // "dd.MM.yyyy"
    int totalPages = 0; // of the whole document
};

// The points size of the paper table's text, and of the page frame's.
inline constexpr double kPaperTextPoints = 8;

// Begins page `number` (1-based) on `writer`, turned as `orientation` says;
// the painter's coordinates become the device's. The test hook of the
// printer's pages (printPageHook) may refuse it. False when refused.
bool beginPdfPage(QPdfWriter& writer, QPainter& painter, QPageLayout::Orientation orientation,
                  int number);

// Paints the frame of page `number` onto the current page: the heading line
// unless `withHeading` is false, and the page number at the foot.
void paintPageFrame(QPainter& painter, const QRect& page, const PageFrame& frame, int number,
                    bool withHeading = true);

// The part of a page of size `page` that the frame leaves to the content.
QRect pageContentRect(const QRect& page);

class PaperTable {
public:
    // Lays the table out as it is now (texts, colours, hidden rows and
    // columns, the header background).
    explicit PaperTable(const TableView& table);

    int pageCount() const { return layout_.pageCount(); }
    QPageLayout::Orientation orientation() const;
    const PaperLayout& layout() const { return layout_; }

    // Paints the pages as document pages firstNumber.. (1-based). Each page
    // is begun through beginPdfPage, except the first when `firstBegun` (the
    // writer's first page, turned as orientation() says). False when a page
    // was refused; `refusedPage` then gets its number.
    bool paint(QPdfWriter& writer, QPainter& painter, const PageFrame& frame, int firstNumber,
               bool firstBegun, int* refusedPage = nullptr) const;

private:
    const TableView& table_;
    std::shared_ptr<const PaperGlyphs> glyphs_;
    PaperLayout layout_;
};

} // namespace tessalyn
