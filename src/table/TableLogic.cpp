#include "table/TableLogic.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <numeric>

namespace tessalyn {

namespace {

// Flags kept in the state byte next to the CellState bits.
constexpr std::uint8_t kHasBackground = 0x40;
constexpr std::uint8_t kHasTextColour = 0x80;
constexpr std::uint8_t kPublicStateBits = CellFocused | CellSelected | CellReadOnly | CellModified;

const std::string kEmpty;

} // namespace

TableLogic::TableLogic() = default;
TableLogic::~TableLogic() = default;

// --- observers -----------------------------------------------------------------

void TableLogic::addObserver(TableObserver* observer) {
    if (observer && std::find(observers_.begin(), observers_.end(), observer) == observers_.end()) {
        observers_.push_back(observer);
    }
}

void TableLogic::removeObserver(TableObserver* observer) {
    observers_.erase(std::remove(observers_.begin(), observers_.end(), observer), observers_.end());
}

void TableLogic::notifyCellsChanged(int row0, int col0, int row1, int col1) {
    notify([&](TableObserver& o) { o.cellsChanged(row0, col0, row1, col1); });
}

void TableLogic::notifyStructureChanged() {
    notify([](TableObserver& o) { o.structureChanged(); });
}

void TableLogic::notifySizesChanged() {
    notify([](TableObserver& o) { o.sizesChanged(); });
}

void TableLogic::notifyFocusChanged() {
    notify([&](TableObserver& o) { o.focusChanged(focusRow_, focusCol_); });
}

void TableLogic::notifySelectionChanging(int row, int col) {
    notify([&](TableObserver& o) { o.selectionChanging(row, col); });
}

void TableLogic::notifySelectionChanged(int row, int col) {
    notify([&](TableObserver& o) { o.selectionChanged(row, col); });
}

void TableLogic::notifyPropertiesChanged() {
    notify([](TableObserver& o) { o.propertiesChanged(); });
}

void TableLogic::ensureVisible(int row, int col) {
    if (!isValid(row, col)) {
        return;
    }
    notify([&](TableObserver& o) { o.ensureVisibleRequested(row, col); });
}

// --- size of the table ---------------------------------------------------------

TableLogic::Cell* TableLogic::cellAt(int row, int col) {
    return isValid(row, col)
               ? &cells_[static_cast<std::size_t>(row) * cols_ +
                         static_cast<std::size_t>(colMap_[static_cast<std::size_t>(col)])]
               : nullptr;
}

const TableLogic::Cell* TableLogic::cellAt(int row, int col) const {
    return isValid(row, col)
               ? &cells_[static_cast<std::size_t>(row) * cols_ +
                         static_cast<std::size_t>(colMap_[static_cast<std::size_t>(col)])]
               : nullptr;
}

void TableLogic::resize(int rows, int cols) {
    if (rows == rows_ && cols == cols_) {
        return;
    }
    // Selected cells that disappear leave the count.
    if (selectedCount_ > 0) {
        for (int r = 0; r < rows_; ++r) {
            for (int c = r >= rows ? 0 : cols; c < cols_; ++c) {
                if (cellAt(r, c)->state & CellSelected) {
                    --selectedCount_;
                }
            }
        }
    }
    if (cols == cols_) {
        cells_.resize(static_cast<std::size_t>(rows) * cols);
    } else {
        std::vector<Cell> cells(static_cast<std::size_t>(rows) * cols);
        const int keepRows = std::min(rows, rows_);
        const int keepCols = std::min(cols, cols_);
        for (int r = 0; r < keepRows; ++r) {
            for (int c = 0; c < keepCols; ++c) {
                cells[static_cast<std::size_t>(r) * cols + c] = std::move(*cellAt(r, c));
            }
        }
        cells_ = std::move(cells);
        // The cells now lie in the order of the columns.
        colMap_.resize(static_cast<std::size_t>(cols));
        std::iota(colMap_.begin(), colMap_.end(), 0);
    }
    rowHeights_.resize(static_cast<std::size_t>(rows), defaultRowHeight_);
    rowKeys_.resize(static_cast<std::size_t>(rows), -1);
    colWidths_.resize(static_cast<std::size_t>(cols), defaultColumnWidth_);
    rows_ = rows;
    cols_ = cols;
    if (focusRow_ >= rows_ || focusCol_ >= cols_) {
        focusRow_ = -1;
        focusCol_ = -1;
        notifyFocusChanged();
    }
    sort_.forgetOutside(rows_, cols_);
}

bool TableLogic::setRowCount(int rows) {
    if (rows < 0) {
        return false;
    }
    if (rows != rows_) {
        resize(rows, cols_);
        notifyStructureChanged();
    }
    return true;
}

bool TableLogic::setColumnCount(int cols) {
    if (cols < 0) {
        return false;
    }
    if (cols != cols_) {
        resize(rows_, cols);
        notifyStructureChanged();
    }
    return true;
}

bool TableLogic::setHeaderCount(Orientation o, int n) {
    if (n < 0) {
        return false;
    }
    const bool rows = o == Orientation::Rows;
    if (n > count(o)) {
        resize(rows ? n : rows_, rows ? cols_ : n);
    }
    (rows ? headerRows_ : headerCols_) = n;
    // Header cells can hold neither the focus nor the selection.
    const int rowEnd = rows ? n : rows_;
    const int colEnd = rows ? cols_ : n;
    for (int r = 0; r < rowEnd; ++r) {
        for (int c = 0; c < colEnd; ++c) {
            setSelectedBit(*cellAt(r, c), false);
        }
    }
    const int focus = rows ? focusRow_ : focusCol_;
    if (focus >= 0 && focus < n) {
        setFocusCell(-1, -1);
    }
    notifyStructureChanged();
    return true;
}

// --- cells ---------------------------------------------------------------------

bool TableLogic::storeCellText(int row, int col, const std::string& text) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    cell->text = text;
    cell->state |= CellModified;
    notifyCellsChanged(row, col, row, col);
    return true;
}

bool TableLogic::setCellText(int row, int col, const std::string& text) {
    return storeCellText(row, col, text);
}

bool TableLogic::setRowKey(int row, int key) {
    if (row < 0 || row >= rows_) {
        return false;
    }
    rowKeys_[static_cast<std::size_t>(row)] = key;
    return true;
}

int TableLogic::rowKey(int row) const {
    return row >= 0 && row < rows_ ? rowKeys_[static_cast<std::size_t>(row)] : -1;
}

int TableLogic::rowWithKey(int key) const {
    const auto it = std::find(rowKeys_.begin(), rowKeys_.end(), key);
    return it == rowKeys_.end() ? -1 : static_cast<int>(it - rowKeys_.begin());
}

std::string TableLogic::cellText(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    if (!cell) {
        return {};
    }
    return numericSortKeys_ ? numericSortKey(cell->text) : cell->text;
}

const std::string& TableLogic::rawCellText(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? cell->text : kEmpty;
}

bool TableLogic::setCellColour(int row, int col, std::optional<Rgb> colour, Rgb Cell::*field,
                               std::uint8_t hasFlag) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    cell->*field = colour.value_or(Rgb{});
    setStateBits(*cell, hasFlag, colour.has_value());
    notifyCellsChanged(row, col, row, col);
    return true;
}

std::optional<Rgb> TableLogic::cellColour(int row, int col, Rgb Cell::*field,
                                          std::uint8_t hasFlag) const {
    const Cell* cell = cellAt(row, col);
    if (!cell || !(cell->state & hasFlag)) {
        return std::nullopt;
    }
    return cell->*field;
}

bool TableLogic::setCellBackground(int row, int col, std::optional<Rgb> colour) {
    return setCellColour(row, col, colour, &Cell::background, kHasBackground);
}

std::optional<Rgb> TableLogic::cellBackground(int row, int col) const {
    return cellColour(row, col, &Cell::background, kHasBackground);
}

bool TableLogic::setCellTextColour(int row, int col, std::optional<Rgb> colour) {
    return setCellColour(row, col, colour, &Cell::textColour, kHasTextColour);
}

std::optional<Rgb> TableLogic::cellTextColour(int row, int col) const {
    return cellColour(row, col, &Cell::textColour, kHasTextColour);
}

bool TableLogic::setCellTip(int row, int col, std::optional<std::string> tip) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (!cell->extras && !tip) {
        return true;
    }
    if (!cell->extras) {
        cell->extras = std::make_unique<CellExtras>();
    }
    cell->extras->tip = std::move(tip);
    if (!cell->extras->tip && cell->extras->marks.empty()) {
        cell->extras.reset();
    }
    return true;
}

std::string TableLogic::cellTip(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    if (!cell) {
        return {};
    }
    return cell->extras && cell->extras->tip ? *cell->extras->tip : cell->text;
}

bool TableLogic::setCellMarks(int row, int col, std::string marks) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (!cell->extras && marks.empty()) {
        return true;
    }
    if (!cell->extras) {
        cell->extras = std::make_unique<CellExtras>();
    }
    cell->extras->marks = std::move(marks);
    if (!cell->extras->tip && cell->extras->marks.empty()) {
        cell->extras.reset();
    }
    notifyCellsChanged(row, col, row, col);
    return true;
}

const std::string& TableLogic::cellMarks(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell && cell->extras ? cell->extras->marks : kEmpty;
}

std::string TableLogic::cellTextWithMarks(int row, int col) const {
    const std::string& marks = cellMarks(row, col);
    return marks.empty() ? rawCellText(row, col) : rawCellText(row, col) + ' ' + marks;
}

std::uint8_t TableLogic::cellState(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? static_cast<std::uint8_t>(cell->state & kPublicStateBits) : 0;
}

void TableLogic::setStateBits(Cell& cell, std::uint8_t bits, bool on) {
    if (on) {
        cell.state |= bits;
    } else {
        cell.state &= static_cast<std::uint8_t>(~bits);
    }
}

bool TableLogic::setCellReadOnly(int row, int col, bool readOnly) {
    Cell* cell = cellAt(row, col);
    if (cell) {
        setStateBits(*cell, CellReadOnly, readOnly);
    }
    return cell != nullptr;
}

bool TableLogic::setCellModified(int row, int col, bool modified) {
    Cell* cell = cellAt(row, col);
    if (cell) {
        setStateBits(*cell, CellModified, modified);
    }
    return cell != nullptr;
}

void TableLogic::setDefaultHeaderBackground(std::optional<Rgb> colour) {
    defaultHeaderBackground_ = colour;
    notifyPropertiesChanged();
}

// --- sizes ---------------------------------------------------------------------

bool TableLogic::setRowHeight(int row, int height) {
    if (row < 0 || row >= rows_ || height < 0) {
        return false;
    }
    rowHeights_[static_cast<std::size_t>(row)] = height;
    notifySizesChanged();
    return true;
}

int TableLogic::rowHeight(int row) const {
    return row >= 0 && row < rows_ ? rowHeights_[static_cast<std::size_t>(row)] : 0;
}

bool TableLogic::setColumnWidth(int col, int width) {
    if (col < 0 || col >= cols_ || width < 0) {
        return false;
    }
    colWidths_[static_cast<std::size_t>(col)] = width;
    notifySizesChanged();
    return true;
}

int TableLogic::columnWidth(int col) const {
    return col >= 0 && col < cols_ ? colWidths_[static_cast<std::size_t>(col)] : 0;
}

void TableLogic::setDefaultRowHeight(int height, bool applyToAll) {
    if (height < 0) {
        return;
    }
    defaultRowHeight_ = height;
    if (applyToAll) {
        std::fill(rowHeights_.begin(), rowHeights_.end(), height);
        notifySizesChanged();
    }
}

void TableLogic::setDefaultColumnWidth(int width, bool applyToAll) {
    if (width < 0) {
        return;
    }
    defaultColumnWidth_ = width;
    if (applyToAll) {
        std::fill(colWidths_.begin(), colWidths_.end(), width);
        notifySizesChanged();
    }
}

bool TableLogic::setSizes(std::vector<int> rowHeights, std::vector<int> columnWidths) {
    const auto negative = [](int size) { return size < 0; };
    if (rowHeights.size() != rowHeights_.size() || columnWidths.size() != colWidths_.size() ||
        std::any_of(rowHeights.begin(), rowHeights.end(), negative) ||
        std::any_of(columnWidths.begin(), columnWidths.end(), negative)) {
        return false;
    }
    rowHeights_ = std::move(rowHeights);
    colWidths_ = std::move(columnWidths);
    notifySizesChanged();
    return true;
}

bool TableLogic::setColumnWidths(std::vector<int> columnWidths) {
    return setSizes(rowHeights_, std::move(columnWidths));
}

TextMeasure TableLogic::effectiveMeasure() const {
    if (measure_) {
        return measure_;
    }
    return [](std::string_view text) { return TextExtent{static_cast<int>(text.size()) * 7, 16}; };
}

long long TableLogic::totalRowHeight(int first, int last) const {
    first = std::clamp(first, 0, rows_);
    last = last < 0 ? rows_ : std::clamp(last, first, rows_);
    return std::accumulate(rowHeights_.begin() + first, rowHeights_.begin() + last, 0LL);
}

long long TableLogic::totalColumnWidth(int first, int last) const {
    first = std::clamp(first, 0, cols_);
    last = last < 0 ? cols_ : std::clamp(last, first, cols_);
    return std::accumulate(colWidths_.begin() + first, colWidths_.begin() + last, 0LL);
}

// --- properties ----------------------------------------------------------------

void TableLogic::setCellSelection(bool on) {
    if (on != cellSelection_) {
        clearSelection();
    }
    cellSelection_ = on;
}

void TableLogic::setSeparatorRow(int row) {
    separatorRow_ = row < 0 ? -1 : row;
    notifyPropertiesChanged();
}

void TableLogic::setCaption(std::string caption) {
    caption_ = std::move(caption);
    hasCaption_ = true;
}

void TableLogic::clearCaption() {
    caption_.clear();
    hasCaption_ = false;
}

std::string TableLogic::captionSuffix() const {
    if (focusRow_ <= 0 || focusCol_ <= 0) {
        return {};
    }
    char buffer[32];
    std::snprintf(buffer, sizeof buffer, " %d/%d", focusCol_, cols_ - 1);
    return buffer;
}

int TableLogic::nextShown(Orientation o, int from, int step) const {
    const int first = headerCount(o);
    const int last = count(o) - 1;
    const int direction = step > 0 ? 1 : -1;
    int index = from;
    for (int i = 0; i < std::abs(step); ++i) {
        int next = index + direction;
        while (next >= first && next <= last && extent(o, next) <= 0) {
            next += direction;
        }
        if (next < first || next > last) {
            break;
        }
        index = next;
    }
    return std::clamp(index, first, std::max(first, last));
}

// --- focus and selection -------------------------------------------------------

bool TableLogic::setFocusCell(int row, int col) {
    if (row == -1 && col == -1) {
        if (Cell* old = cellAt(focusRow_, focusCol_)) {
            old->state &= static_cast<std::uint8_t>(~CellFocused);
            notifyCellsChanged(focusRow_, focusCol_, focusRow_, focusCol_);
        }
        const bool changed = focusRow_ != -1;
        focusRow_ = -1;
        focusCol_ = -1;
        if (changed) {
            notifyFocusChanged();
        }
        return true;
    }
    row = std::max(row, headerRows_);
    col = std::max(col, headerCols_);
    if (!isValid(row, col)) {
        return false;
    }
    if (Cell* old = cellAt(focusRow_, focusCol_)) {
        old->state &= static_cast<std::uint8_t>(~CellFocused);
        notifyCellsChanged(focusRow_, focusCol_, focusRow_, focusCol_);
    }
    focusRow_ = row;
    focusCol_ = col;
    cellAt(row, col)->state |= CellFocused;
    notifyCellsChanged(row, col, row, col);
    notifyFocusChanged();
    return true;
}

void TableLogic::setSelectedBit(Cell& cell, bool on) {
    const bool was = (cell.state & CellSelected) != 0;
    if (was == on) {
        return;
    }
    if (on) {
        cell.state |= CellSelected;
        ++selectedCount_;
    } else {
        cell.state &= static_cast<std::uint8_t>(~CellSelected);
        --selectedCount_;
    }
}

bool TableLogic::isSelected(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell && (cell->state & CellSelected);
}

void TableLogic::selectRange(int row0, int col0, int row1, int col1, bool add) {
    if (!cellSelection_) {
        return;
    }
    if (row0 > row1) {
        std::swap(row0, row1);
    }
    if (col0 > col1) {
        std::swap(col0, col1);
    }
    row0 = std::max(row0, headerRows_);
    col0 = std::max(col0, headerCols_);
    row1 = std::min(row1, rows_ - 1);
    col1 = std::min(col1, cols_ - 1);
    notifySelectionChanging(focusRow_, focusCol_);
    if (!add && selectedCount_ > 0) {
        for (Cell& cell : cells_) {
            setSelectedBit(cell, false);
        }
    }
    for (int r = row0; r <= row1; ++r) {
        for (int c = col0; c <= col1; ++c) {
            setSelectedBit(*cellAt(r, c), true);
        }
    }
    notifyCellsChanged(0, 0, rows_ - 1, cols_ - 1);
    notifySelectionChanged(focusRow_, focusCol_);
}

void TableLogic::selectCellOrRow(int row, int col, bool add) {
    if (!isValid(row, col)) {
        return;
    }
    if (listMode_) {
        selectRange(row, 0, row, cols_ - 1, add);
    } else {
        selectRange(row, col, row, col, add);
    }
}

void TableLogic::selectAll() {
    if (!cellSelection_ || rows_ <= headerRows_ || cols_ <= headerCols_) {
        return;
    }
    selectRange(headerRows_, headerCols_, rows_ - 1, cols_ - 1, false);
}

void TableLogic::clearSelection() {
    if (selectedCount_ == 0) {
        return;
    }
    notifySelectionChanging(focusRow_, focusCol_);
    for (Cell& cell : cells_) {
        setSelectedBit(cell, false);
    }
    notifyCellsChanged(0, 0, rows_ - 1, cols_ - 1);
    notifySelectionChanged(focusRow_, focusCol_);
}

// --- order of rows and columns ------------------------------------------------

void TableLogic::reorderRows(int first, const std::vector<int>& order) {
    const std::size_t n = order.size();
    std::vector<Cell> moved(n * static_cast<std::size_t>(cols_));
    std::vector<int> heights(n);
    for (std::size_t i = 0; i < n; ++i) {
        const std::size_t from = static_cast<std::size_t>(order[i]) * cols_;
        std::move(cells_.begin() + static_cast<std::ptrdiff_t>(from),
                  cells_.begin() + static_cast<std::ptrdiff_t>(from + cols_),
                  moved.begin() + static_cast<std::ptrdiff_t>(i * cols_));
        heights[i] = rowHeights_[static_cast<std::size_t>(order[i])];
    }
    std::vector<int> keys(n);
    for (std::size_t i = 0; i < n; ++i) {
        keys[i] = rowKeys_[static_cast<std::size_t>(order[i])];
    }
    std::copy(keys.begin(), keys.end(), rowKeys_.begin() + first);
    std::move(moved.begin(), moved.end(),
              cells_.begin() +
                  static_cast<std::ptrdiff_t>(static_cast<std::size_t>(first) * cols_));
    std::copy(heights.begin(), heights.end(), rowHeights_.begin() + first);
    notifyStructureChanged();
}

void TableLogic::reorderColumns(int first, const std::vector<int>& order) {
    // Only the map from columns to stored cells changes; no cell moves.
    const std::size_t n = order.size();
    std::vector<int> map(n);
    std::vector<int> widths(n);
    for (std::size_t i = 0; i < n; ++i) {
        map[i] = colMap_[static_cast<std::size_t>(order[i])];
        widths[i] = colWidths_[static_cast<std::size_t>(order[i])];
    }
    std::copy(map.begin(), map.end(), colMap_.begin() + first);
    std::copy(widths.begin(), widths.end(), colWidths_.begin() + first);
    notifyStructureChanged();
    notifySizesChanged();
}

// --- rows ----------------------------------------------------------------------

int TableLogic::insertRow(const std::string& col0Text, int position) {
    if (cols_ == 0) {
        resize(rows_, 1);
    }
    if (position < 0 || position > rows_) {
        position = rows_;
    }
    const std::size_t at = static_cast<std::size_t>(position) * cols_;
    std::vector<Cell> fresh(static_cast<std::size_t>(cols_));
    cells_.insert(cells_.begin() + static_cast<std::ptrdiff_t>(at),
                  std::make_move_iterator(fresh.begin()), std::make_move_iterator(fresh.end()));
    rowHeights_.insert(rowHeights_.begin() + position, defaultRowHeight_);
    rowKeys_.insert(rowKeys_.begin() + position, -1);
    ++rows_;
    Cell& first = cells_[at + static_cast<std::size_t>(colMap_[0])];
    first.text = col0Text;
    first.state |= CellModified;
    if (focusRow_ >= position) {
        ++focusRow_;
        notifyFocusChanged();
    }
    notifyStructureChanged();
    return position;
}

bool TableLogic::deleteRow(int row) {
    if (row < 0 || row >= rows_) {
        return false;
    }
    for (int c = 0; c < cols_; ++c) {
        setSelectedBit(*cellAt(row, c), false);
    }
    const std::size_t at = static_cast<std::size_t>(row) * cols_;
    cells_.erase(cells_.begin() + static_cast<std::ptrdiff_t>(at),
                 cells_.begin() + static_cast<std::ptrdiff_t>(at + cols_));
    rowHeights_.erase(rowHeights_.begin() + row);
    rowKeys_.erase(rowKeys_.begin() + row);
    --rows_;
    if (focusRow_ == row) {
        focusRow_ = -1;
        focusCol_ = -1;
        notifyFocusChanged();
    } else if (focusRow_ > row) {
        --focusRow_;
        notifyFocusChanged();
    }
    notifyStructureChanged();
    return true;
}

void TableLogic::clear() {
    const bool hadFocus = focusRow_ >= 0;
    cells_.clear();
    cells_.shrink_to_fit();
    rowHeights_.clear();
    rowKeys_.clear();
    colWidths_.clear();
    colMap_.clear();
    rows_ = 0;
    cols_ = 0;
    headerRows_ = 0;
    headerCols_ = 0;
    selectedCount_ = 0;
    focusRow_ = -1;
    focusCol_ = -1;
    sort_.forgetOutside(0, 0);
    if (hadFocus) {
        notifyFocusChanged();
    }
    notifyStructureChanged();
}

} // namespace tessalyn
