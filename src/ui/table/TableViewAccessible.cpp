#include "ui/table/TableViewAccessible.h"

#include "ui/table/TableView.h"
#include "ui/widgets/TextCodec.h"

#include <QLineEdit>
#include <QPointer>
#include <QStringList>
#include <QWidget>
#include <QWindow>

#include <algorithm>

namespace tessalyn {

namespace {

quint64 cellKey(int row, int col) {
    return (static_cast<quint64>(static_cast<quint32>(row)) << 32) | static_cast<quint32>(col);
}

// The texts of the header cells that stand above (Columns) or beside (Rows)
// the cell at `index` of the other orientation, non-empty ones only.
QStringList headerTexts(const TableLogic& logic, Orientation headers, int index) {
    QStringList texts;
    const int count = std::min(logic.headerCount(headers), logic.count(headers));
    for (int h = 0; h < count; ++h) {
        const std::string& text = headers == Orientation::Rows ? logic.rawCellText(h, index)
                                                               : logic.rawCellText(index, h);
        if (!text.empty()) {
            texts << toQString(text);
        }
    }
    return texts;
}

// One cell of a TableView, at (row_, col_) in the logic's numbering:
// everything is read from the view's logic when asked, so the cell always
// says what the view shows at its place.
class TableCellAccessible : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    TableCellAccessible(TableView* view, int row, int col) : view_(view), row_(row), col_(col) {}

    int logicRow() const { return row_; }
    int logicColumn() const { return col_; }

    bool isValid() const override { return view_ && view_->logic().isValid(row_, col_); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return view_ ? view_->window()->windowHandle() : nullptr; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QAccessibleInterface* parent() const override {
        return view_ ? QAccessible::queryAccessibleInterface(view_.data()) : nullptr;
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }

    QString text(QAccessible::Text t) const override {
        if (!isValid()) {
            return {};
        }
        const TableLogic& logic = view_->logic();
        const std::string& shown = logic.rawCellText(row_, col_);
        switch (t) {
        case QAccessible::Name:
            return toQString(shown);
        case QAccessible::Description: {
            // An own tip, such as the remedies of the case grid's rubric.
            const std::string tip = logic.cellTip(row_, col_);
            return tip != shown ? toQString(tip) : QString();
        }
        default:
            return {};
        }
    }
    void setText(QAccessible::Text, const QString&) override {}

    QRect rect() const override {
        if (!isValid()) {
            return {};
        }
        const QRect cell = view_->cellRect(row_, col_);
        return QRect(view_->viewport()->mapToGlobal(cell.topLeft()), cell.size());
    }

    QAccessible::Role role() const override {
        if (!isValid()) {
            return QAccessible::Cell;
        }
        const TableLogic& logic = view_->logic();
        if (row_ < logic.headerRowCount()) {
            return QAccessible::ColumnHeader;
        }
        return col_ < logic.headerColumnCount() ? QAccessible::RowHeader : QAccessible::Cell;
    }

    QAccessible::State state() const override {
        QAccessible::State st;
        if (!isValid()) {
            st.invalid = true;
            return st;
        }
        const TableLogic& logic = view_->logic();
        const bool header = logic.isHeaderCell(row_, col_);
        const std::uint8_t cell = logic.cellState(row_, col_);
        st.disabled = !view_->isEnabled();
        st.focusable = !header;
        st.focused = (cell & CellFocused) && view_->hasFocus();
        st.selectable = !header && logic.cellSelection();
        st.selected = (cell & CellSelected) != 0;
        st.readOnly = header || !logic.isEditable() || (cell & CellReadOnly);
        st.editable = !st.readOnly;
        st.invisible = logic.rowHeight(row_) <= 0 || logic.columnWidth(col_) <= 0;
        st.offscreen = st.invisible || !view_->isCellVisible(row_, col_);
        return st;
    }

    void* interface_cast(QAccessible::InterfaceType type) override {
        return type == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    // --- QAccessibleTableCellInterface
    bool isSelected() const override { return isValid() && view_->logic().isSelected(row_, col_); }
    // The cells of the header rows above this cell (a header cell of those
    // rows names them too, so that the table's column header is found from
    // its first row); likewise the header columns beside it.
    QList<QAccessibleInterface*> columnHeaderCells() const override {
        return headerCells(Orientation::Rows);
    }
    QList<QAccessibleInterface*> rowHeaderCells() const override {
        return headerCells(Orientation::Columns);
    }
    // As the table counts: below and right of the headers; a header cell
    // by its place among the header rows or columns.
    int columnIndex() const override { return tableIndex(Orientation::Columns); }
    int rowIndex() const override { return tableIndex(Orientation::Rows); }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    int tableIndex(Orientation o) const {
        const int index = o == Orientation::Rows ? row_ : col_;
        const int headers = view_ ? view_->logic().headerCount(o) : 0;
        return index < headers ? index : index - headers;
    }

    QList<QAccessibleInterface*> headerCells(Orientation headers) const {
        QList<QAccessibleInterface*> cells;
        auto* owner = dynamic_cast<TableViewAccessible*>(table());
        if (!isValid() || owner == nullptr) {
            return cells;
        }
        const TableLogic& logic = view_->logic();
        const int count = std::min(logic.headerCount(headers), logic.count(headers));
        for (int h = 0; h < count; ++h) {
            cells << (headers == Orientation::Rows ? owner->viewCell(h, col_)
                                                   : owner->viewCell(row_, h));
        }
        return cells;
    }

    QPointer<TableView> view_;
    int row_;
    int col_;
};

QAccessibleInterface* tableViewFactory(const QString& className, QObject* object) {
    if (className == QLatin1String(TableView::staticMetaObject.className())) {
        if (auto* view = qobject_cast<TableView*>(object)) {
            return new TableViewAccessible(view);
        }
    }
    return nullptr;
}

} // namespace

TableViewAccessible::TableViewAccessible(TableView* view)
    : QAccessibleWidget(view, QAccessible::Table) {}

TableViewAccessible::~TableViewAccessible() {
    forgetCells();
}

void TableViewAccessible::installFactory() {
    static const bool installed = [] {
        QAccessible::installFactory(tableViewFactory);
        return true;
    }();
    (void)installed;
}

TableView* TableViewAccessible::view() const {
    return static_cast<TableView*>(widget());
}

QString TableViewAccessible::cellLabel(const TableView& view, int row, int col) {
    const TableLogic& logic = view.logic();
    if (!logic.isValid(row, col)) {
        return {};
    }
    QStringList header = headerTexts(logic, Orientation::Rows, col);
    if (header.isEmpty()) {
        header << QStringLiteral("Spalte %1").arg(col + 1);
    }
    const int headerRows = logic.headerRowCount();
    if (row < headerRows) {
        return header.join(QLatin1Char(' '));
    }
    return QStringLiteral("Zeile %1, %2")
        .arg(row - headerRows + 1)
        .arg(header.join(QLatin1Char(' ')));
}

// --- announcements ---------------------------------------------------------------

TableViewAccessible::EventHook& TableViewAccessible::eventHook() {
    static EventHook hook;
    return hook;
}

bool TableViewAccessible::listening() {
    return eventHook() || QAccessible::isActive();
}

TableViewAccessible* TableViewAccessible::listeningTable(TableView& view) {
    if (!listening()) {
        return nullptr;
    }
    return dynamic_cast<TableViewAccessible*>(QAccessible::queryAccessibleInterface(&view));
}

void TableViewAccessible::deliver(QAccessibleEvent& event) {
    if (eventHook()) {
        eventHook()(event);
    } else {
        QAccessible::updateAccessibility(&event);
    }
}

void TableViewAccessible::focusMoved(TableView& view) {
    const TableLogic& logic = view.logic();
    if (!view.hasFocus() || !logic.hasFocusCell() || listeningTable(view) == nullptr) {
        return;
    }
    QAccessibleEvent event(&view, QAccessible::Focus);
    event.setChild(logic.focusRow() * logic.columnCount() + logic.focusColumn());
    deliver(event);
}

void TableViewAccessible::selectionChanged(TableView& view, int row, int col) {
    if (listeningTable(view) == nullptr) {
        return;
    }
    const TableLogic& logic = view.logic();
    if (logic.isValid(row, col)) {
        QAccessibleEvent event(&view, logic.isSelected(row, col) ? QAccessible::Selection
                                                                 : QAccessible::SelectionRemove);
        event.setChild(row * logic.columnCount() + col);
        deliver(event);
    }
    QAccessibleEvent within(&view, QAccessible::SelectionWithin);
    deliver(within);
}

void TableViewAccessible::cellsChanged(TableView& view, int row0, int col0, int row1, int col1) {
    TableViewAccessible* table = listeningTable(view);
    if (table == nullptr) {
        return;
    }
    // A screen reader knows only the cells it has met (the focus cell among
    // them); of those in the range the ones whose text is new say so. Focus
    // and selection change cells too, but not their texts.
    const TableLogic& logic = view.logic();
    QList<QAccessible::Id> changed;
    const auto check = [&](int row, int col, KnownCell& known) {
        if (row >= row0 && row <= row1 && col >= col0 && col <= col1 &&
            logic.rawCellText(row, col) != known.text) {
            known.text = logic.rawCellText(row, col);
            changed << known.id;
        }
    };
    const long long range = (static_cast<long long>(row1) - row0 + 1) * (col1 - col0 + 1);
    if (range <= table->cells_.size()) {
        for (int row = row0; row <= row1; ++row) {
            for (int col = col0; col <= col1; ++col) {
                if (const auto it = table->cells_.find(cellKey(row, col));
                    it != table->cells_.end()) {
                    check(row, col, *it);
                }
            }
        }
    } else {
        for (auto it = table->cells_.begin(); it != table->cells_.end(); ++it) {
            check(static_cast<int>(it.key() >> 32), static_cast<int>(it.key() & 0xFFFFFFFFu), *it);
        }
    }
    for (const QAccessible::Id id : changed) {
        if (QAccessibleInterface* cell = QAccessible::accessibleInterface(id)) {
            QAccessibleEvent event(cell, QAccessible::NameChanged);
            deliver(event);
        }
    }
}

void TableViewAccessible::structureChanged(TableView& view) {
    TableViewAccessible* table = listeningTable(view);
    if (table == nullptr) {
        return;
    }
    table->forgetCells();
    QAccessibleTableModelChangeEvent event(&view, QAccessibleTableModelChangeEvent::ModelReset);
    deliver(event);
}

void TableViewAccessible::modelChange(QAccessibleTableModelChangeEvent* event) {
    if (event->modelChangeType() != QAccessibleTableModelChangeEvent::DataChanged) {
        forgetCells();
    }
}

void TableViewAccessible::forgetCells() {
    const QList<KnownCell> known = cells_.values();
    cells_.clear();
    for (const KnownCell& cell : known) {
        QAccessible::deleteAccessibleInterface(cell.id);
    }
}

// --- QAccessibleInterface -------------------------------------------------------

void* TableViewAccessible::interface_cast(QAccessible::InterfaceType type) {
    if (type == QAccessible::TableInterface) {
        return static_cast<QAccessibleTableInterface*>(this);
    }
    return QAccessibleWidget::interface_cast(type);
}

int TableViewAccessible::childCount() const {
    const TableLogic& logic = view()->logic();
    return logic.rowCount() * logic.columnCount();
}

QAccessibleInterface* TableViewAccessible::child(int index) const {
    const int cols = view()->logic().columnCount();
    if (index < 0 || cols <= 0 || index >= childCount()) {
        return nullptr;
    }
    return viewCell(index / cols, index % cols);
}

int TableViewAccessible::indexOfChild(const QAccessibleInterface* child) const {
    const auto* cell = dynamic_cast<const TableCellAccessible*>(child);
    if (cell == nullptr || cell->table() != this || !cell->isValid()) {
        return -1;
    }
    return cell->logicRow() * view()->logic().columnCount() + cell->logicColumn();
}

QAccessibleInterface* TableViewAccessible::childAt(int x, int y) const {
    const TableView* v = view();
    const auto [row, col] = v->cellAt(v->viewport()->mapFromGlobal(QPoint(x, y)));
    return row >= 0 ? viewCell(row, col) : nullptr;
}

QAccessibleInterface* TableViewAccessible::focusChild() const {
    const TableView* v = view();
    if (v->isEditing() && v->editor()->hasFocus()) {
        return QAccessible::queryAccessibleInterface(v->editor());
    }
    const TableLogic& logic = v->logic();
    if (!v->hasFocus() || !logic.hasFocusCell()) {
        return nullptr;
    }
    return viewCell(logic.focusRow(), logic.focusColumn());
}

// --- QAccessibleTableInterface ---------------------------------------------------

QAccessibleInterface* TableViewAccessible::cellAt(int row, int column) const {
    const TableLogic& logic = view()->logic();
    if (row < 0 || column < 0 || row >= rowCount() || column >= columnCount()) {
        return nullptr;
    }
    return viewCell(row + logic.headerRowCount(), column + logic.headerColumnCount());
}

QAccessibleInterface* TableViewAccessible::viewCell(int row, int column) const {
    if (!view()->logic().isValid(row, column)) {
        return nullptr;
    }
    const quint64 key = cellKey(row, column);
    if (const auto it = cells_.constFind(key); it != cells_.cend()) {
        if (QAccessibleInterface* cell = QAccessible::accessibleInterface(it->id)) {
            return cell;
        }
    }
    auto* cell = new TableCellAccessible(view(), row, column);
    cells_.insert(key, KnownCell{QAccessible::registerAccessibleInterface(cell),
                                 view()->logic().rawCellText(row, column)});
    return cell;
}

int TableViewAccessible::selectedCellCount() const {
    return view()->logic().selectedCount();
}

QList<QAccessibleInterface*> TableViewAccessible::selectedCells() const {
    QList<QAccessibleInterface*> cells;
    const TableLogic& logic = view()->logic();
    if (logic.selectedCount() == 0) {
        return cells;
    }
    for (int r = logic.headerRowCount(); r < logic.rowCount(); ++r) {
        for (int c = logic.headerColumnCount(); c < logic.columnCount(); ++c) {
            if (logic.isSelected(r, c)) {
                cells << viewCell(r, c);
            }
        }
    }
    return cells;
}

QString TableViewAccessible::columnDescription(int column) const {
    const TableLogic& logic = view()->logic();
    return column >= 0 && column < columnCount()
               ? headerTexts(logic, Orientation::Rows, column + logic.headerColumnCount())
                     .join(QLatin1Char(' '))
               : QString();
}

QString TableViewAccessible::rowDescription(int row) const {
    const TableLogic& logic = view()->logic();
    return row >= 0 && row < rowCount()
               ? headerTexts(logic, Orientation::Columns, row + logic.headerRowCount())
                     .join(QLatin1Char(' '))
               : QString();
}

int TableViewAccessible::columnCount() const {
    const TableLogic& logic = view()->logic();
    return std::max(0, logic.columnCount() - logic.headerColumnCount());
}

int TableViewAccessible::rowCount() const {
    const TableLogic& logic = view()->logic();
    return std::max(0, logic.rowCount() - logic.headerRowCount());
}

// A row or column counts as selected when all its cells are.
bool TableViewAccessible::isRowSelected(int row) const {
    const TableLogic& logic = view()->logic();
    if (row < 0 || row >= rowCount() || columnCount() == 0) {
        return false;
    }
    for (int c = logic.headerColumnCount(); c < logic.columnCount(); ++c) {
        if (!logic.isSelected(row + logic.headerRowCount(), c)) {
            return false;
        }
    }
    return true;
}

bool TableViewAccessible::isColumnSelected(int column) const {
    const TableLogic& logic = view()->logic();
    if (column < 0 || column >= columnCount() || rowCount() == 0) {
        return false;
    }
    for (int r = logic.headerRowCount(); r < logic.rowCount(); ++r) {
        if (!logic.isSelected(r, column + logic.headerColumnCount())) {
            return false;
        }
    }
    return true;
}

QList<int> TableViewAccessible::selectedRows() const {
    QList<int> rows;
    if (view()->logic().selectedCount() > 0) {
        for (int r = 0; r < rowCount(); ++r) {
            if (isRowSelected(r)) {
                rows << r;
            }
        }
    }
    return rows;
}

QList<int> TableViewAccessible::selectedColumns() const {
    QList<int> columns;
    if (view()->logic().selectedCount() > 0) {
        for (int c = 0; c < columnCount(); ++c) {
            if (isColumnSelected(c)) {
                columns << c;
            }
        }
    }
    return columns;
}

int TableViewAccessible::selectedRowCount() const {
    return static_cast<int>(selectedRows().size());
}

int TableViewAccessible::selectedColumnCount() const {
    return static_cast<int>(selectedColumns().size());
}

bool TableViewAccessible::selectRow(int row) {
    TableLogic& logic = view()->logic();
    if (!logic.cellSelection() || row < 0 || row >= rowCount()) {
        return false;
    }
    const int at = row + logic.headerRowCount();
    logic.selectRange(at, logic.headerColumnCount(), at, logic.columnCount() - 1, true);
    return isRowSelected(row);
}

bool TableViewAccessible::selectColumn(int column) {
    TableLogic& logic = view()->logic();
    if (!logic.cellSelection() || logic.listMode() || column < 0 || column >= columnCount()) {
        return false;
    }
    const int at = column + logic.headerColumnCount();
    logic.selectRange(logic.headerRowCount(), at, logic.rowCount() - 1, at, true);
    return isColumnSelected(column);
}

} // namespace tessalyn
