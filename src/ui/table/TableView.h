#pragma once

#include "table/TableLogic.h"
#include "table/TypeAhead.h"
#include "ui/table/TableViewPainter.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QElapsedTimer>
#include <QFont>
#include <QFontMetrics>
#include <QPointer>
#include <QString>
#include <QTimer>

#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

class QLineEdit;
class QScrollBar;

namespace tessalyn {

class TitleTip;

// The scrollable table of text cells that every list of the program uses. It
// shows a TableLogic (its own, or one handed in such as the case grid), takes
// the keyboard and the mouse and has TableViewPainter paint it: header rows
// and columns stay in place while the rest scrolls. Changes made through the
// logic repaint the view.
class TableView : public QAbstractScrollArea {
    Q_OBJECT
public:
    // With a null logic the view owns a plain TableLogic; otherwise it shows
    // the given one, which must outlive the view.
    explicit TableView(QWidget* parent = nullptr, TableLogic* logic = nullptr);
    ~TableView() override;

    TableLogic& logic() { return *logic_; }
    const TableLogic& logic() const { return *logic_; }

    // --- the table's operations (forwarded to the logic) ------------------------
    bool setRowCount(int rows) { return logic_->setRowCount(rows); }
    bool setColumnCount(int cols) { return logic_->setColumnCount(cols); }
    int rowCount() const { return logic_->rowCount(); }
    int columnCount() const { return logic_->columnCount(); }
    bool setHeaderRowCount(int n) { return logic_->setHeaderRowCount(n); }
    bool setHeaderColumnCount(int n) { return logic_->setHeaderColumnCount(n); }
    int headerRowCount() const { return logic_->headerRowCount(); }
    int headerColumnCount() const { return logic_->headerColumnCount(); }

    // Goes through the logic's (overridable) setCellText.
    bool setCellText(int row, int col, const std::string& text) {
        return logic_->setCellText(row, col, text);
    }
    // Windows-1252 bytes, like the std::string form.
    bool setCellText(int row, int col, const char* text) {
        return logic_->setCellText(row, col, std::string(text ? text : ""));
    }
    bool setCellText(int row, int col, const QString& text);
    std::string cellText(int row, int col) const { return logic_->cellText(row, col); }
    QString cellQText(int row, int col) const;
    bool setCellBackground(int row, int col, const std::optional<QColor>& colour);
    bool setCellTextColour(int row, int col, const std::optional<QColor>& colour);
    // None = the palette's button face.
    void setDefaultHeaderBackground(const std::optional<QColor>& colour);

    bool setRowHeight(int row, int height) { return logic_->setRowHeight(row, height); }
    int rowHeight(int row) const { return logic_->rowHeight(row); }
    bool setColumnWidth(int col, int width) { return logic_->setColumnWidth(col, width); }
    int columnWidth(int col) const { return logic_->columnWidth(col); }

    void setEditable(bool on) { logic_->setEditable(on); }
    bool isEditable() const { return logic_->isEditable(); }
    void setCellSelection(bool on) { logic_->setCellSelection(on); }
    void setListMode(bool on) { logic_->setListMode(on); }
    void setSortByHeaderClick(bool on) { logic_->setSortByHeaderClick(on); }
    void setNumericSortKeys(bool on) { logic_->setNumericSortKeys(on); }
    void setTitleTips(bool on);
    void setSeparatorRow(int row) { logic_->setSeparatorRow(row); }
    void setMaximumColumnWidth(int pixels) { logic_->setMaximumColumnWidth(pixels); }
    void setMaximumRowHeight(int pixels) { logic_->setMaximumRowHeight(pixels); }

    // The dialog whose title shows the position of the focus (" %d/%d") after
    // `caption`; also switches type-ahead on. A null owner switches both off.
    void setCaptionOwner(QWidget* owner, const QString& caption);
    QWidget* captionOwner() const { return captionOwner_; }

    // The font of all cells; row heights of new rows follow it.
    void setFont(const QFont& font, bool redraw = true);

    bool setFocusCell(int row, int col) { return logic_->setFocusCell(row, col); }
    int focusRow() const { return logic_->focusRow(); }
    int focusColumn() const { return logic_->focusColumn(); }
    void ensureVisible(int row, int col);
    // Whether any part of the cell is shown in the window.
    bool isCellVisible(int row, int col) const;

    // Sizes measured in the table font.
    void autoSizeColumns(int n);
    bool autoSizeColumn(int col);
    void expandColumnsToFit(bool includeHeaderColumns);

    void selectAll() { logic_->selectAll(); }
    // Puts the selection's text on the clipboard; nothing selected: the
    // clipboard is left alone. Returns whether it copied.
    bool copySelection();
    bool cutSelection();
    bool paste();

    void clear() { logic_->clear(); }
    int insertRow(const std::string& col0Text, int position = -1) {
        return logic_->insertRow(col0Text, position);
    }

    // --- geometry (viewport coordinates) ----------------------------------------
    // The scrolled (non-header) columns / rows of which some part is shown;
    // -1 when there is none. The print routine uses the column range.
    int firstVisibleColumn() const { return firstVisible(Orientation::Columns); }
    int lastVisibleColumn() const { return lastVisible(Orientation::Columns); }
    int firstVisibleRow() const { return firstVisible(Orientation::Rows); }
    int lastVisibleRow() const { return lastVisible(Orientation::Rows); }
    // The width the cells get in the window once the scroll bars are settled:
    // the viewport's width less a vertical scroll bar when the rows need one.
    // Follows the view's size also while it is hidden.
    int settledViewportWidth() const;
    // The cell's rectangle in the viewport (may lie outside it).
    QRect cellRect(int row, int col) const;
    // The cell under a viewport point, or (-1, -1).
    std::pair<int, int> cellAt(const QPoint& pos) const;
    // The painter of this view's cells in its palette.
    TableViewPainter painter() const;

    // --- editing ----------------------------------------------------------------
    bool isEditing() const { return editRow_ >= 0; }
    // Opens the editor over the focused cell with `initialText`.
    bool beginEditing(const QString& initialText);
    void commitEditing();
    void cancelEditing();
    QLineEdit* editor() const { return editor_; }
    TitleTip* titleTip() const { return titleTip_; }

    // The clock of type-ahead in milliseconds (tests replace it).
    void setClock(std::function<qint64()> clock) { clock_ = std::move(clock); }
    // The wait between the mouse coming to rest on a cell and its title tip
    // showing (400 ms; tests shorten it, which restarts a pending wait).
    void setTitleTipDelay(int milliseconds) { tipTimer_.setInterval(milliseconds); }
    int titleTipDelay() const { return tipTimer_.interval(); }
    // Whether a title tip is waiting for its delay to pass.
    bool titleTipPending() const { return tipTimer_.isActive(); }

    // The measure of texts in the table font, as the logic uses it.
    TextMeasure measure() const;
    // The narrowest column that shows `text` (Windows-1252) uncut.
    int fittingWidth(std::string_view text) const;

signals:
    void selectionChanging(int row, int col);
    void selectionChanged(int row, int col);
    void editingBegins(int row, int col);
    void editingEnded(int row, int col);
    void cellDoubleClicked(int row, int col);
    void cellRightClicked(int row, int col);
    void focusCellChanged(int row, int col);

protected:
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;
    void keyPressEvent(QKeyEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;
    void leaveEvent(QEvent* event) override;
    void changeEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    bool viewportEvent(QEvent* event) override;
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;

private:
    // The logic's notifications, through the bridge.
    class Bridge;
    friend class Bridge;
    void onCellsChanged(int row0, int col0, int row1, int col1);
    void onStructureChanged();
    void onSizesChanged();
    void onFocusChanged(int row, int col);

    // Tells a listening screen reader the focus cell and, with a cell, that
    // the selection changed there, from the event loop.
    void announceLater(int selectionRow = -1, int selectionCol = -1);
    void requestRepaint();
    void requestLayout();
    void ensureLayout() const;
    void updateScrollBars();
    void updateCaption();
    void applyFontMetrics();

    // Table coordinates: prefix sums of heights and widths.
    int rowTop(int row) const { return rowTops_[static_cast<std::size_t>(row)]; }
    int colLeft(int col) const { return colLefts_[static_cast<std::size_t>(col)]; }
    // Rows and columns alike: the start of each in table coordinates
    // (count + 1 entries), the scroll bar that moves them, the viewport's
    // height or width.
    const std::vector<int>& starts(Orientation o) const;
    QScrollBar* scrollBar(Orientation o) const;
    int viewportExtent(Orientation o) const;
    // The height of the header rows / the width of the header columns.
    int headerExtent(Orientation o) const;
    int headerHeight() const { return headerExtent(Orientation::Rows); }
    int headerWidth() const { return headerExtent(Orientation::Columns); }
    // The row at viewport y / the column at viewport x, or -1.
    int indexAt(Orientation o, int position) const;
    int firstVisible(Orientation o) const;
    int lastVisible(Orientation o) const;
    // Scrolls a non-header row or column into view.
    void scrollToShow(Orientation o, int index);
    // The column whose right edge / the row whose bottom edge lies within a
    // few pixels of the point, or -1.
    int dividerAt(Orientation o, const QPoint& pos) const;

    // Closes the editor, with its text written into the cell or not.
    void endEditing(bool commit);
    void moveFocus(int row, int col, Qt::KeyboardModifiers modifiers);
    int visibleRowsPerPage() const;
    void updateTitleTip(const QPoint& pos);
    void showTitleTip();
    void hideTitleTip();

    std::unique_ptr<TableLogic> ownLogic_;
    TableLogic* logic_;
    std::unique_ptr<Bridge> bridge_;
    QFontMetrics fontMetrics_;

    mutable bool layoutDirty_ = true;
    mutable std::vector<int> rowTops_; // rowCount + 1 entries
    mutable std::vector<int> colLefts_;
    bool repaintPending_ = false;
    bool layoutPending_ = false;

    QPointer<QWidget> captionOwner_;
    QString captionText_;

    // Mouse: divider dragging and drag selection.
    int resizingColumn_ = -1;
    int resizingRow_ = -1;
    int resizeOrigin_ = 0;
    int anchorRow_ = -1;
    int anchorCol_ = -1;
    bool selecting_ = false;
    int wheelRemainder_ = 0;

    // In-place editor.
    QLineEdit* editor_ = nullptr;
    int editRow_ = -1;
    int editCol_ = -1;
    bool committing_ = false;

    // Title tips.
    TitleTip* titleTip_ = nullptr;
    QTimer tipTimer_;
    int tipRow_ = -1;
    int tipCol_ = -1;

    // Screen reader announcements waiting for the event loop.
    bool announcePending_ = false;
    std::optional<std::pair<int, int>> announcedSelection_;

    TypeAhead typeAhead_;
    QElapsedTimer elapsed_;
    std::function<qint64()> clock_;
};

} // namespace tessalyn
