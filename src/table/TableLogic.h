#pragma once

#include "table/TableSort.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace tessalyn {

// A colour of the table: red, green and blue, 0..255 each.
struct Rgb {
    std::uint8_t r = 0;
    std::uint8_t g = 0;
    std::uint8_t b = 0;

    friend bool operator==(const Rgb&, const Rgb&) = default;
};

// The pixel extent of a text in the table font, as a measuring function gives it.
struct TextExtent {
    int width = 0;
    int height = 0;
};

// State bits of a cell.
enum CellState : std::uint8_t {
    CellFocused = 0x01,
    CellSelected = 0x02,
    CellReadOnly = 0x04,
    CellModified = 0x08,
};

// Rows or columns, for the rules that hold for both alike.
enum class Orientation : std::uint8_t { Rows, Columns };

// Receives the changes of a TableLogic. The widget that shows a table listens
// here, so every change made through the logic (also by a derived class such as
// the case grid) is repainted. All callbacks default to doing nothing.
class TableObserver {
public:
    virtual ~TableObserver() = default;
    // The cells in rows row0..row1 and columns col0..col1 (inclusive) changed
    // their text, colours or state.
    virtual void cellsChanged(int /*row0*/, int /*col0*/, int /*row1*/, int /*col1*/) {}
    // Rows or columns were added, removed, reordered or the header counts changed.
    virtual void structureChanged() {}
    // Row heights or column widths changed.
    virtual void sizesChanged() {}
    // The focus cell moved; (-1, -1) when it was cleared.
    virtual void focusChanged(int /*row*/, int /*col*/) {}
    // The selection is about to change / has changed; the cell is the one that
    // caused it, or the focus cell.
    virtual void selectionChanging(int /*row*/, int /*col*/) {}
    virtual void selectionChanged(int /*row*/, int /*col*/) {}
    // A property that affects drawing changed (colours, separator row, ...).
    virtual void propertiesChanged() {}
    // The logic asks the view to scroll the cell into view.
    virtual void ensureVisibleRequested(int /*row*/, int /*col*/) {}
};

// Gives the pixel extent of a Windows-1252 text in the table font.
using TextMeasure = std::function<TextExtent(std::string_view)>;

// The table of text cells behind every list of the program, without any user
// interface: cells, sizes, header rows and columns, focus and selection, and
// the sort state of header clicks (TableSort). Type-ahead (TypeAhead), the
// clipboard text (TableClipboard.h) and the sizes worked out from the texts
// (TableSizing.h) work on it from outside. Texts are Windows-1252 bytes. Rows
// and columns are numbered from 0.
class TableLogic {
public:
    TableLogic();
    virtual ~TableLogic();

    TableLogic(const TableLogic&) = delete;
    TableLogic& operator=(const TableLogic&) = delete;

    // --- observers -------------------------------------------------------------
    void addObserver(TableObserver* observer);
    void removeObserver(TableObserver* observer);

    // --- size of the table -----------------------------------------------------
    // Grow or shrink; new cells are empty. Negative counts are refused.
    bool setRowCount(int rows);
    bool setColumnCount(int cols);
    int rowCount() const { return rows_; }
    int columnCount() const { return cols_; }

    // The first n rows or columns become header cells (the table grows when it
    // has fewer); a focus or a selection inside them is cleared.
    bool setHeaderCount(Orientation o, int n);
    bool setHeaderRowCount(int n) { return setHeaderCount(Orientation::Rows, n); }
    bool setHeaderColumnCount(int n) { return setHeaderCount(Orientation::Columns, n); }
    int headerRowCount() const { return headerRows_; }
    int headerColumnCount() const { return headerCols_; }

    // Rows or columns alike: the count, the header count, a height or width.
    int count(Orientation o) const { return o == Orientation::Rows ? rows_ : cols_; }
    int headerCount(Orientation o) const {
        return o == Orientation::Rows ? headerRows_ : headerCols_;
    }
    int extent(Orientation o, int index) const {
        return o == Orientation::Rows ? rowHeight(index) : columnWidth(index);
    }

    bool isValid(int row, int col) const {
        return row >= 0 && col >= 0 && row < rows_ && col < cols_;
    }
    bool isHeaderCell(int row, int col) const { return row < headerRows_ || col < headerCols_; }

    // --- cells -----------------------------------------------------------------
    // Stores the text and marks the cell modified; false (and no change) outside
    // the table. Derived tables (the case grid) override it.
    virtual bool setCellText(int row, int col, const std::string& text);
    // The text, or with numeric sort keys on its numeric key; empty outside.
    std::string cellText(int row, int col) const;
    // The stored text itself, whatever the numeric key setting; empty outside.
    const std::string& rawCellText(int row, int col) const;

    // A number the owner attaches to a row (-1 when none) that moves with the
    // row when the rows are sorted, so the owner can tell which of its items a
    // row shows. rowWithKey gives the first row with the key, or -1.
    bool setRowKey(int row, int key);
    int rowKey(int row) const;
    int rowWithKey(int key) const;

    // Own background; std::nullopt returns the cell to the default of its kind.
    bool setCellBackground(int row, int col, std::optional<Rgb> colour);
    std::optional<Rgb> cellBackground(int row, int col) const;
    // Own text colour; std::nullopt = the default text colour.
    bool setCellTextColour(int row, int col, std::optional<Rgb> colour);
    std::optional<Rgb> cellTextColour(int row, int col) const;
    // Tip text shown by title tips; without an own tip the cell text is the tip.
    bool setCellTip(int row, int col, std::optional<std::string> tip);
    std::string cellTip(int row, int col) const;
    // Marks of a cell: a short text (the weight and mark of a case row) that
    // is drawn in a place of its own at the cell's right end, so a narrow
    // column cuts the text but never the marks. Not part of the cell text:
    // sorting, type-ahead and the numeric keys ignore it. Empty: none.
    bool setCellMarks(int row, int col, std::string marks);
    const std::string& cellMarks(int row, int col) const;
    // The text as a person reads the cell: the text, then a blank and the
    // marks when it has any.
    std::string cellTextWithMarks(int row, int col) const;

    // State bits (CellState); focused and selected follow the focus and the
    // selection, read-only and modified can be set here.
    std::uint8_t cellState(int row, int col) const;
    bool setCellReadOnly(int row, int col, bool readOnly);
    bool setCellModified(int row, int col, bool modified);

    // Background of all header cells without an own colour; none = the
    // platform's button face.
    void setDefaultHeaderBackground(std::optional<Rgb> colour);
    std::optional<Rgb> defaultHeaderBackground() const { return defaultHeaderBackground_; }

    // --- sizes -----------------------------------------------------------------
    // Pixels; 0 hides a row or column; negative sizes and indexes outside the
    // table are refused.
    bool setRowHeight(int row, int height);
    int rowHeight(int row) const;
    bool setColumnWidth(int col, int width);
    int columnWidth(int col) const;
    // Sizes given to rows and columns created later (and, with `applyToAll`,
    // to all existing ones).
    void setDefaultRowHeight(int height, bool applyToAll = false);
    void setDefaultColumnWidth(int width, bool applyToAll = false);
    int defaultRowHeight() const { return defaultRowHeight_; }
    int defaultColumnWidth() const { return defaultColumnWidth_; }
    // Every row height and column width at once, one size per row / column;
    // refused when a count does not match or a size is negative.
    bool setSizes(std::vector<int> rowHeights, std::vector<int> columnWidths);
    // Every column width at once, likewise.
    bool setColumnWidths(std::vector<int> columnWidths);
    // Sums of sizes: rows / columns [first, last) ; clamped to the table.
    long long totalRowHeight(int first = 0, int last = -1) const;
    long long totalColumnWidth(int first = 0, int last = -1) const;

    // --- properties ------------------------------------------------------------
    void setEditable(bool on) { editable_ = on; }
    bool isEditable() const { return editable_; }
    // Switching cell selection clears the selection.
    void setCellSelection(bool on);
    bool cellSelection() const { return cellSelection_; }
    void setListMode(bool on) { listMode_ = on; }
    bool listMode() const { return listMode_; }
    void setSortByHeaderClick(bool on) { sortByHeaderClick_ = on; }
    bool sortByHeaderClick() const { return sortByHeaderClick_; }
    void setNumericSortKeys(bool on) { numericSortKeys_ = on; }
    bool numericSortKeys() const { return numericSortKeys_; }
    void setSeparatorRow(int row);
    int separatorRow() const { return separatorRow_; }
    // 0 or below = no limit.
    void setMaximumColumnWidth(int pixels) { maximumColumnWidth_ = pixels; }
    int maximumColumnWidth() const { return maximumColumnWidth_; }
    void setMaximumRowHeight(int pixels) { maximumRowHeight_ = pixels; }
    int maximumRowHeight() const { return maximumRowHeight_; }
    void setTitleTips(bool on) { titleTips_ = on; }
    bool titleTips() const { return titleTips_; }

    // The caption text of the owning window. Setting it switches type-ahead and
    // the position display on (the owner itself lives in the widget).
    void setCaption(std::string caption);
    void clearCaption();
    bool hasCaption() const { return hasCaption_; }
    const std::string& caption() const { return caption_; }
    // " %d/%d": the focused column and the column count minus 1; empty unless
    // the focus is on a cell whose row and column are both above 0.
    std::string captionSuffix() const;
    // The caption text followed by the suffix.
    std::string captionWithSuffix() const { return caption_ + captionSuffix(); }

    // --- focus and selection ---------------------------------------------------
    // Moves the focus; a row or column inside the header area is raised to the
    // first non-header one; (-1, -1) clears it. False when the cell does not exist.
    bool setFocusCell(int row, int col);
    void clearFocus() { setFocusCell(-1, -1); }
    int focusRow() const { return focusRow_; }
    int focusColumn() const { return focusCol_; }
    bool hasFocusCell() const { return focusRow_ >= 0 && focusCol_ >= 0; }

    bool isSelected(int row, int col) const;
    int selectedCount() const { return selectedCount_; }
    // Selects the non-header cells of the rectangle (r0,c0)-(r1,c1), corners in
    // any order; with `add` false the old selection goes first. Nothing happens
    // when cell selection is off.
    void selectRange(int row0, int col0, int row1, int col1, bool add = false);
    // Selects a cell, or its whole row in list mode.
    void selectCellOrRow(int row, int col, bool add = false);
    // Every non-header cell (only with cell selection on).
    void selectAll();
    void clearSelection();

    // Asks the view to scroll the cell into view (no-op without a view).
    void ensureVisible(int row, int col);

    // Keyboard moves: the row (or column) `step` shown ones away from `from`,
    // passing over hidden ones (height or width 0) and never into the header;
    // it stops at the last shown one in that direction. `from` may lie just
    // outside the table (Home: the first header index - 1, End: the count).
    int nextShown(Orientation o, int from, int step) const;

    // --- sorting ---------------------------------------------------------------
    // The sort of header clicks and its state.
    TableSort& sorting() { return sort_; }
    const TableSort& sorting() const { return sort_; }
    // Puts the rows first.. in a new order: order[i] is the row that goes to
    // row first + i; heights and row keys move along. The order must hold each
    // of those rows once.
    void reorderRows(int first, const std::vector<int>& order);
    // The same for columns; widths move along.
    void reorderColumns(int first, const std::vector<int>& order);

    // --- what the view reports ---------------------------------------------------
    // The measure of texts in the view's font, for sizing from the texts.
    void setMeasure(TextMeasure measure) { measure_ = std::move(measure); }
    // The width of the view's cell area in pixels.
    void setClientWidth(int width) { clientWidth_ = width; }
    int clientWidth() const { return clientWidth_; }

    // Inserts a row before `position` (-1 or past the end: at the end) with the
    // text of column 0, stored as it is (not through setCellText, so a derived
    // table may call it from its own setCellText); a table without columns
    // gets one. Returns the new row's index.
    int insertRow(const std::string& col0Text, int position = -1);
    // Removes one row; false when it does not exist.
    bool deleteRow(int row);
    // Removes all rows and columns.
    void clear();

protected:
    // Stores a text without any overriding (for derived tables that want to
    // write the cell itself after their own checks).
    bool storeCellText(int row, int col, const std::string& text);

    // The measure the view has given; without one a text is 7 pixels per
    // character and 16 pixels high.
    TextMeasure effectiveMeasure() const;

private:
    void notifyCellsChanged(int row0, int col0, int row1, int col1);
    void notifyStructureChanged();
    void notifySizesChanged();
    void notifyFocusChanged();
    void notifySelectionChanging(int row, int col);
    void notifySelectionChanged(int row, int col);
    void notifyPropertiesChanged();

    // What few cells carry besides their text: an own tip, marks.
    struct CellExtras {
        std::optional<std::string> tip;
        std::string marks;
    };
    // One cell: the text, its extras when it has any, colours and state
    // packed small.
    struct Cell {
        std::string text;
        std::unique_ptr<CellExtras> extras;
        Rgb background;
        Rgb textColour;
        std::uint8_t state = 0; // CellState bits and the "has colour" flags
    };

    // Calls `call` with every observer.
    template <typename Call> void notify(Call call) const {
        for (TableObserver* observer : observers_) {
            call(*observer);
        }
    }
    Cell* cellAt(int row, int col);
    const Cell* cellAt(int row, int col) const;
    void resize(int rows, int cols);
    void setSelectedBit(Cell& cell, bool on);
    static void setStateBits(Cell& cell, std::uint8_t bits, bool on);
    // The background or text colour: the field and its "has colour" flag.
    bool setCellColour(int row, int col, std::optional<Rgb> colour, Rgb Cell::*field,
                       std::uint8_t hasFlag);
    std::optional<Rgb> cellColour(int row, int col, Rgb Cell::*field, std::uint8_t hasFlag) const;

    std::vector<Cell> cells_; // row-major, rows_ * cols_, columns in stored order
    std::vector<int> colMap_; // column -> stored column (sorting columns permutes it)
    std::vector<int> rowHeights_;
    std::vector<int> rowKeys_; // per row, -1 unless the owner set one
    std::vector<int> colWidths_;
    std::vector<TableObserver*> observers_;
    int rows_ = 0;
    int cols_ = 0;
    int headerRows_ = 0;
    int headerCols_ = 0;
    int defaultRowHeight_ = 20;
    int defaultColumnWidth_ = 80;
    int focusRow_ = -1;
    int focusCol_ = -1;
    int selectedCount_ = 0;
    std::optional<Rgb> defaultHeaderBackground_;
    TextMeasure measure_;
    int clientWidth_ = 0;

    bool editable_ = true;
    bool cellSelection_ = true;
    bool listMode_ = true;
    bool sortByHeaderClick_ = false;
    bool numericSortKeys_ = false;
    bool titleTips_ = false;
    int separatorRow_ = -1;
    int maximumColumnWidth_ = 0;
    int maximumRowHeight_ = 0;

    bool hasCaption_ = false;
    std::string caption_;

    TableSort sort_{*this};
};

} // namespace tessalyn
