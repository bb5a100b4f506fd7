#include "table/TableLogic.h"

#include "data/Cp1252.h"

#include <algorithm>
#include <climits>
#include <cstdio>
#include <numeric>

namespace tessalyn {

namespace {

// Flags kept in the state byte next to the CellState bits.
constexpr std::uint8_t kHasBackground = 0x40;
constexpr std::uint8_t kHasTextColour = 0x80;
constexpr std::uint8_t kPublicStateBits = CellFocused | CellSelected | CellReadOnly | CellModified;

// A pause longer than this starts a new type-ahead text.
constexpr std::int64_t kTypeAheadPauseMs = 3000;

// Pasted cell texts are cut to this length, so a megabyte line cannot turn
// into a cell that no one can read or draw.
constexpr std::size_t kMaxPastedCellText = 4096;

// Extra room around a measured text.
constexpr int kCellPaddingWidth = 16;
constexpr int kCellPaddingHeight = 2;

const std::string kEmpty;

// Leading integer of a text as the C library reads it: leading blanks, an
// optional sign, digits. Saturates instead of overflowing.
long long leadingValue(std::string_view text) {
    std::size_t i = 0;
    while (i < text.size() && (text[i] == ' ' || text[i] == '\t' || text[i] == '\n' ||
                               text[i] == '\r' || text[i] == '\v' || text[i] == '\f')) {
        ++i;
    }
    bool negative = false;
    if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
        negative = text[i] == '-';
        ++i;
    }
    long long value = 0;
    while (i < text.size() && text[i] >= '0' && text[i] <= '9') {
        if (value < 10'000'000'000LL) {
            value = value * 10 + (text[i] - '0');
        }
        ++i;
    }
    value = std::min<long long>(value, static_cast<long long>(INT_MAX) + (negative ? 1 : 0));
    return negative ? -value : value;
}

// Upper case without ".", "-" and blanks: the form in which type-ahead compares.
std::string foldForTypeAhead(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '.' || c == '-' || c == ' ') {
            continue;
        }
        out.push_back(cp1252ToUpper(c));
    }
    return out;
}

// Three-way byte-wise comparison (bytes as unsigned values).
int compareBytes(const std::string& a, const std::string& b) {
    const int c = a.compare(b);
    return c < 0 ? -1 : (c > 0 ? 1 : 0);
}

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
    for (TableObserver* o : observers_) {
        o->cellsChanged(row0, col0, row1, col1);
    }
}

void TableLogic::notifyStructureChanged() {
    for (TableObserver* o : observers_) {
        o->structureChanged();
    }
}

void TableLogic::notifySizesChanged() {
    for (TableObserver* o : observers_) {
        o->sizesChanged();
    }
}

void TableLogic::notifyFocusChanged() {
    for (TableObserver* o : observers_) {
        o->focusChanged(focusRow_, focusCol_);
    }
}

void TableLogic::notifySelectionChanging(int row, int col) {
    for (TableObserver* o : observers_) {
        o->selectionChanging(row, col);
    }
}

void TableLogic::notifySelectionChanged(int row, int col) {
    for (TableObserver* o : observers_) {
        o->selectionChanged(row, col);
    }
}

void TableLogic::notifyPropertiesChanged() {
    for (TableObserver* o : observers_) {
        o->propertiesChanged();
    }
}

void TableLogic::ensureVisible(int row, int col) {
    if (!isValid(row, col)) {
        return;
    }
    for (TableObserver* o : observers_) {
        o->ensureVisibleRequested(row, col);
    }
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
    if (rowSortColumn_ >= cols_) {
        rowSortColumn_ = -1;
    }
    if (columnSortRow_ >= rows_) {
        columnSortRow_ = -1;
    }
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

bool TableLogic::setHeaderRowCount(int n) {
    if (n < 0) {
        return false;
    }
    if (n > rows_) {
        resize(n, cols_);
    }
    headerRows_ = n;
    // Header cells can hold neither the focus nor the selection.
    for (int r = 0; r < n; ++r) {
        for (int c = 0; c < cols_; ++c) {
            setSelectedBit(*cellAt(r, c), false);
        }
    }
    if (focusRow_ >= 0 && focusRow_ < n) {
        setFocusCell(-1, -1);
    }
    notifyStructureChanged();
    return true;
}

bool TableLogic::setHeaderColumnCount(int n) {
    if (n < 0) {
        return false;
    }
    if (n > cols_) {
        resize(rows_, n);
    }
    headerCols_ = n;
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < n; ++c) {
            setSelectedBit(*cellAt(r, c), false);
        }
    }
    if (focusCol_ >= 0 && focusCol_ < n) {
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

bool TableLogic::setCellBackground(int row, int col, std::optional<Rgb> colour) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (colour) {
        cell->background = *colour;
        cell->state |= kHasBackground;
    } else {
        cell->background = Rgb{};
        cell->state &= static_cast<std::uint8_t>(~kHasBackground);
    }
    notifyCellsChanged(row, col, row, col);
    return true;
}

std::optional<Rgb> TableLogic::cellBackground(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    if (!cell || !(cell->state & kHasBackground)) {
        return std::nullopt;
    }
    return cell->background;
}

bool TableLogic::setCellTextColour(int row, int col, std::optional<Rgb> colour) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (colour) {
        cell->textColour = *colour;
        cell->state |= kHasTextColour;
    } else {
        cell->textColour = Rgb{};
        cell->state &= static_cast<std::uint8_t>(~kHasTextColour);
    }
    notifyCellsChanged(row, col, row, col);
    return true;
}

std::optional<Rgb> TableLogic::cellTextColour(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    if (!cell || !(cell->state & kHasTextColour)) {
        return std::nullopt;
    }
    return cell->textColour;
}

bool TableLogic::setCellTip(int row, int col, std::optional<std::string> tip) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (tip) {
        cell->tip = std::make_unique<std::string>(std::move(*tip));
    } else {
        cell->tip.reset();
    }
    return true;
}

std::string TableLogic::cellTip(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    if (!cell) {
        return {};
    }
    return cell->tip ? *cell->tip : cell->text;
}

std::uint8_t TableLogic::cellState(int row, int col) const {
    const Cell* cell = cellAt(row, col);
    return cell ? static_cast<std::uint8_t>(cell->state & kPublicStateBits) : 0;
}

bool TableLogic::setCellReadOnly(int row, int col, bool readOnly) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (readOnly) {
        cell->state |= CellReadOnly;
    } else {
        cell->state &= static_cast<std::uint8_t>(~CellReadOnly);
    }
    return true;
}

bool TableLogic::setCellModified(int row, int col, bool modified) {
    Cell* cell = cellAt(row, col);
    if (!cell) {
        return false;
    }
    if (modified) {
        cell->state |= CellModified;
    } else {
        cell->state &= static_cast<std::uint8_t>(~CellModified);
    }
    return true;
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

void TableLogic::setEditable(bool on) {
    editable_ = on;
}

void TableLogic::setCellSelection(bool on) {
    if (on != cellSelection_) {
        clearSelection();
    }
    cellSelection_ = on;
}

void TableLogic::setListMode(bool on) {
    listMode_ = on;
}

void TableLogic::setSeparatorRow(int row) {
    separatorRow_ = row < 0 ? -1 : row;
    notifyPropertiesChanged();
}

void TableLogic::setGridLines(GridLines lines) {
    gridLines_ = lines;
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

// --- sorting -------------------------------------------------------------------

std::string TableLogic::numericSortKey(std::string_view text) {
    const long long value = leadingValue(text);
    if (value == 0) {
        return std::string(text);
    }
    char buffer[32];
    if (value > 0) {
        std::snprintf(buffer, sizeof buffer, "%07lld", value);
    } else {
        std::snprintf(buffer, sizeof buffer, "-%07lld", value + 1'000'000);
    }
    return buffer;
}

void TableLogic::applyRowOrder(int first, const std::vector<int>& order) {
    // order[i] is the old row that goes to row first + i.
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
}

void TableLogic::applyColumnOrder(int first, const std::vector<int>& order) {
    // order[i] is the old column that goes to column first + i. Only the map
    // from columns to stored cells changes; no cell moves.
    const std::size_t n = order.size();
    std::vector<int> map(n);
    std::vector<int> widths(n);
    for (std::size_t i = 0; i < n; ++i) {
        map[i] = colMap_[static_cast<std::size_t>(order[i])];
        widths[i] = colWidths_[static_cast<std::size_t>(order[i])];
    }
    std::copy(map.begin(), map.end(), colMap_.begin() + first);
    std::copy(widths.begin(), widths.end(), colWidths_.begin() + first);
}

bool TableLogic::sortRowsByColumn(int col) {
    if (col < 0 || col >= cols_) {
        return false;
    }
    rowSortAscending_ = col == rowSortColumn_ ? !rowSortAscending_ : false;
    rowSortColumn_ = col;

    const int first = headerRows_;
    const int last = separatorRow_ >= first && separatorRow_ < rows_ ? separatorRow_ : rows_ - 1;
    if (last <= first) {
        return true;
    }
    clearSelection();
    setFocusCell(-1, -1);

    std::vector<std::string> keys(static_cast<std::size_t>(last - first + 1));
    std::vector<int> order(keys.size());
    for (int r = first; r <= last; ++r) {
        keys[static_cast<std::size_t>(r - first)] = cellText(r, col);
        order[static_cast<std::size_t>(r - first)] = r;
    }
    const bool ascending = rowSortAscending_;
    // Stable, so rows with equal texts keep their order and a table sorted
    // twice the same way does not shuffle.
    std::stable_sort(order.begin(), order.end(), [&](int a, int b) {
        const int c = compareBytes(keys[static_cast<std::size_t>(a - first)],
                                   keys[static_cast<std::size_t>(b - first)]);
        return ascending ? c < 0 : c > 0;
    });
    applyRowOrder(first, order);
    notifyStructureChanged();
    return true;
}

bool TableLogic::sortColumnsByRow(int row) {
    if (row < 0 || row >= rows_) {
        return false;
    }
    columnSortAscending_ = row == columnSortRow_ ? !columnSortAscending_ : false;
    columnSortRow_ = row;

    const int first = headerCols_;
    const int n = cols_ - first;
    if (n < 2) {
        return true;
    }
    clearSelection();
    setFocusCell(-1, -1);

    // The keys of a column: the sort row, the row that breaks ties (row 2 for
    // row 1 and row 1 for row 2), and row 0, compared the other way round.
    const int tieRow = row == 1 ? 2 : (row == 2 ? 1 : -1);
    const bool useTie = tieRow >= 0 && tieRow < rows_;
    struct Keys {
        std::string main, tie, name;
    };
    std::vector<Keys> keys(static_cast<std::size_t>(n));
    for (int i = 0; i < n; ++i) {
        Keys& k = keys[static_cast<std::size_t>(i)];
        k.main = numericSortKey(rawCellText(row, first + i));
        if (useTie) {
            k.tie = numericSortKey(rawCellText(tieRow, first + i));
        }
        k.name = numericSortKey(rawCellText(0, first + i));
    }
    const bool ascending = columnSortAscending_;
    // Negative when column a goes before column b.
    auto order3 = [&](int a, int b) {
        const Keys& ka = keys[static_cast<std::size_t>(a)];
        const Keys& kb = keys[static_cast<std::size_t>(b)];
        int c = compareBytes(ka.main, kb.main);
        if (c == 0 && useTie) {
            c = compareBytes(ka.tie, kb.tie);
        }
        if (c != 0) {
            return ascending ? c : -c;
        }
        c = compareBytes(ka.name, kb.name);
        return ascending ? -c : c;
    };

    // Quicksort with the middle element as pivot, over the column indexes
    // (the columns themselves move once afterwards).
    std::vector<int> order(static_cast<std::size_t>(n));
    std::iota(order.begin(), order.end(), 0);
    std::vector<std::pair<int, int>> stack{{0, n - 1}};
    while (!stack.empty()) {
        const auto [lo, hi] = stack.back();
        stack.pop_back();
        const int pivot = order[static_cast<std::size_t>(lo + (hi - lo) / 2)];
        int i = lo;
        int j = hi;
        while (i <= j) {
            while (order3(order[static_cast<std::size_t>(i)], pivot) < 0) {
                ++i;
            }
            while (order3(order[static_cast<std::size_t>(j)], pivot) > 0) {
                --j;
            }
            if (i <= j) {
                std::swap(order[static_cast<std::size_t>(i)], order[static_cast<std::size_t>(j)]);
                ++i;
                --j;
            }
        }
        if (lo < j) {
            stack.emplace_back(lo, j);
        }
        if (i < hi) {
            stack.emplace_back(i, hi);
        }
    }
    for (int& o : order) {
        o += first;
    }
    applyColumnOrder(first, order);
    notifyStructureChanged();
    notifySizesChanged();
    return true;
}

int TableLogic::headerClickAction(int row, int col) const {
    if (!sortByHeaderClick_ || !isValid(row, col)) {
        return 0;
    }
    if (row < headerRows_ && row == 0) {
        return 1;
    }
    if (row < headerRows_ && row <= 3) {
        return 2;
    }
    // A header-column cell picks its row, also in a header row below row 3.
    if (col < headerCols_ && listMode_) {
        return 2;
    }
    return 0;
}

bool TableLogic::headerClick(int row, int col) {
    switch (headerClickAction(row, col)) {
    case 1:
        return sortRowsByColumn(col);
    case 2:
        return sortColumnsByRow(row);
    default:
        return false;
    }
}

// --- type-ahead ----------------------------------------------------------------

int TableLogic::typeAhead(char ch, std::int64_t nowMs) {
    if (ch == '\t' || ch == '\x1b' || ch == '\0') {
        return -1;
    }
    int start = focusCol_ < 0 ? 0 : focusCol_;
    if (!typeAheadStarted_ || nowMs - lastTypeAheadMs_ > kTypeAheadPauseMs) {
        typeAheadText_.clear();
        start = 0;
    }
    typeAheadStarted_ = true;
    lastTypeAheadMs_ = nowMs;
    typeAheadText_.push_back(ch);
    if (rows_ <= headerRows_) {
        return -1;
    }

    // Header columns cannot take the focus, so the search begins after them.
    const std::string wanted = foldForTypeAhead(typeAheadText_);
    for (int c = std::max(start, headerCols_); c < cols_; ++c) {
        const std::string name = foldForTypeAhead(rawCellText(0, c));
        if (name.compare(0, wanted.size(), wanted) == 0) {
            setFocusCell(headerRows_, c);
            ensureVisible(headerRows_, c);
            return c;
        }
    }
    return -1;
}

// --- automatic sizing ----------------------------------------------------------

TextMeasure TableLogic::effectiveMeasure() const {
    if (measure_) {
        return measure_;
    }
    return [](std::string_view text) { return TextExtent{static_cast<int>(text.size()) * 7, 16}; };
}

void TableLogic::autoSizeColumns(int n, const TextMeasure& measure) {
    if (!measure) {
        return;
    }
    n = std::clamp(n, 0, cols_);
    std::fill(colWidths_.begin(), colWidths_.end(), 0);
    std::fill(rowHeights_.begin(), rowHeights_.end(), 0);

    auto extentOf = [&](int r, int c) {
        TextExtent e = measure(cellText(r, c));
        e.width += kCellPaddingWidth;
        e.height += kCellPaddingHeight;
        return e;
    };
    if (rows_ > 0) {
        for (int c = 0; c < cols_; ++c) {
            const TextExtent e = extentOf(0, c);
            colWidths_[static_cast<std::size_t>(c)] = e.width;
            rowHeights_[0] = std::max(rowHeights_[0], e.height);
        }
    }
    for (int r = 1; r < rows_; ++r) {
        for (int c = 0; c < n; ++c) {
            const TextExtent e = extentOf(r, c);
            colWidths_[static_cast<std::size_t>(c)] =
                std::max(colWidths_[static_cast<std::size_t>(c)], e.width);
            rowHeights_[static_cast<std::size_t>(r)] =
                std::max(rowHeights_[static_cast<std::size_t>(r)], e.height);
        }
    }
    // Without measured columns the other rows would all be hidden; they take
    // the height of a line instead.
    if (n == 0 && rows_ > 1) {
        const int lineHeight = measure(std::string_view()).height + kCellPaddingHeight;
        std::fill(rowHeights_.begin() + 1, rowHeights_.end(), lineHeight);
    }
    if (maximumColumnWidth_ > 0) {
        for (int& w : colWidths_) {
            w = std::min(w, maximumColumnWidth_);
        }
    }
    if (maximumRowHeight_ > 0) {
        for (int& h : rowHeights_) {
            h = std::min(h, maximumRowHeight_);
        }
    }
    notifySizesChanged();
}

bool TableLogic::autoSizeColumn(int col, const TextMeasure& measure) {
    if (col < 0 || col >= cols_ || !measure) {
        return false;
    }
    int width = 0;
    for (int r = 0; r < rows_; ++r) {
        width = std::max(width, measure(cellText(r, col)).width + kCellPaddingWidth);
    }
    if (maximumColumnWidth_ > 0) {
        width = std::min(width, maximumColumnWidth_);
    }
    colWidths_[static_cast<std::size_t>(col)] = width;
    notifySizesChanged();
    return true;
}

bool TableLogic::autoSizeRow(int row, const TextMeasure& measure) {
    if (row < 0 || row >= rows_ || !measure) {
        return false;
    }
    int height = measure(std::string_view()).height + kCellPaddingHeight;
    for (int c = 0; c < cols_; ++c) {
        height = std::max(height, measure(cellText(row, c)).height + kCellPaddingHeight);
    }
    if (maximumRowHeight_ > 0) {
        height = std::min(height, maximumRowHeight_);
    }
    rowHeights_[static_cast<std::size_t>(row)] = height;
    notifySizesChanged();
    return true;
}

void TableLogic::expandColumnsToFit(int clientWidth, bool includeHeaderColumns) {
    const int first = includeHeaderColumns ? 0 : std::min(headerCols_, cols_);
    std::vector<int> shown;
    for (int c = first; c < cols_; ++c) {
        if (colWidths_[static_cast<std::size_t>(c)] > 0) {
            shown.push_back(c);
        }
    }
    if (shown.empty()) {
        return;
    }
    const long long difference = clientWidth - totalColumnWidth();
    const long long count = static_cast<long long>(shown.size());
    const long long share = difference / count;
    long long remainder = difference % count; // same sign as the difference
    for (int c : shown) {
        long long width = colWidths_[static_cast<std::size_t>(c)] + share;
        if (remainder > 0) {
            ++width;
            --remainder;
        } else if (remainder < 0) {
            --width;
            ++remainder;
        }
        colWidths_[static_cast<std::size_t>(c)] =
            static_cast<int>(std::clamp<long long>(width, 1, INT_MAX));
    }
    notifySizesChanged();
}

// --- clipboard -----------------------------------------------------------------

std::string TableLogic::copySelectionText() const {
    if (selectedCount_ == 0) {
        return {};
    }
    int minRow = rows_, maxRow = -1, minCol = cols_, maxCol = -1;
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < cols_; ++c) {
            if (cellAt(r, c)->state & CellSelected) {
                minRow = std::min(minRow, r);
                maxRow = std::max(maxRow, r);
                minCol = std::min(minCol, c);
                maxCol = std::max(maxCol, c);
            }
        }
    }
    // Hidden rows and columns are left out; fields are joined by tabs and lines
    // by "\n", with nothing after the last field or line.
    std::string out;
    bool firstLine = true;
    for (int r = minRow; r <= maxRow; ++r) {
        if (rowHeights_[static_cast<std::size_t>(r)] <= 0) {
            continue;
        }
        if (!firstLine) {
            out.push_back('\n');
        }
        firstLine = false;
        bool firstField = true;
        for (int c = minCol; c <= maxCol; ++c) {
            if (colWidths_[static_cast<std::size_t>(c)] <= 0) {
                continue;
            }
            if (!firstField) {
                out.push_back('\t');
            }
            firstField = false;
            const Cell* cell = cellAt(r, c);
            if (cell->state & CellSelected) {
                out += cell->text;
            }
        }
    }
    return out;
}

std::string TableLogic::cutSelection() {
    std::string text = copySelectionText();
    if (!editable_ || selectedCount_ == 0) {
        return text;
    }
    // Collect first: a derived setCellText may change the table.
    std::vector<std::pair<int, int>> selected;
    for (int r = 0; r < rows_; ++r) {
        for (int c = 0; c < cols_; ++c) {
            const Cell* cell = cellAt(r, c);
            if ((cell->state & CellSelected) && !(cell->state & CellReadOnly)) {
                selected.emplace_back(r, c);
            }
        }
    }
    for (const auto& [r, c] : selected) {
        setCellText(r, c, std::string());
    }
    return text;
}

bool TableLogic::paste(std::string_view text) {
    if (!editable_) {
        return false;
    }
    // Clipboard text ends at a NUL byte.
    if (const std::size_t nul = text.find('\0'); nul != std::string_view::npos) {
        text = text.substr(0, nul);
    }
    if (text.empty()) {
        return false;
    }
    int startRow = focusRow_;
    int startCol = focusCol_;
    if (startRow < 0 || startCol < 0) {
        startRow = headerRows_;
        startCol = headerCols_;
    }
    if (!isValid(startRow, startCol)) {
        return false;
    }
    // A line break at the very end does not start another row.
    if (text.back() == '\n') {
        text.remove_suffix(1);
        if (!text.empty() && text.back() == '\r') {
            text.remove_suffix(1);
        }
    }
    bool wrote = false;
    int row = startRow;
    std::size_t pos = 0;
    while (pos <= text.size() && row < rows_) {
        std::size_t end = text.find('\n', pos);
        if (end == std::string_view::npos) {
            end = text.size();
        }
        std::string_view line = text.substr(pos, end - pos);
        if (!line.empty() && line.back() == '\r') {
            line.remove_suffix(1);
        }
        int col = startCol;
        std::size_t fieldPos = 0;
        while (fieldPos <= line.size() && col < cols_) {
            std::size_t fieldEnd = line.find('\t', fieldPos);
            if (fieldEnd == std::string_view::npos) {
                fieldEnd = line.size();
            }
            std::string_view field = line.substr(fieldPos, fieldEnd - fieldPos);
            if (field.size() > kMaxPastedCellText) {
                field = field.substr(0, kMaxPastedCellText);
            }
            const Cell* cell = cellAt(row, col);
            if (cell && !(cell->state & CellReadOnly)) {
                wrote = setCellText(row, col, std::string(field)) || wrote;
            }
            ++col;
            fieldPos = fieldEnd + 1;
        }
        ++row;
        pos = end + 1;
    }
    return wrote;
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
    rowSortColumn_ = -1;
    columnSortRow_ = -1;
    if (hadFocus) {
        notifyFocusChanged();
    }
    notifyStructureChanged();
}

} // namespace tessalyn
