#include "ui/table/TableView.h"
#include "ui/widgets/WaitCursor.h"

#include "table/TableClipboard.h"
#include "table/TableSizing.h"
#include "ui/table/TableViewAccessible.h"
#include "ui/table/TitleTip.h"
#include "ui/widgets/TextCodec.h"

#include <QApplication>
#include <QClipboard>
#include <QGuiApplication>
#include <QKeyEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPaintEvent>
#include <QPainter>
#include <QScrollBar>
#include <QStyle>
#include <QWheelEvent>

#include <algorithm>
#include <climits>

namespace tessalyn {

namespace {

// How near (pixels) a header divider must be to grab it.
constexpr int kDividerGrip = 3;
// How long the pointer must rest on a cell before its title tip shows.
constexpr int kTitleTipDelayMs = 400;

std::optional<Rgb> toRgb(const std::optional<QColor>& c) {
    if (!c) {
        return std::nullopt;
    }
    return Rgb{static_cast<std::uint8_t>(c->red()), static_cast<std::uint8_t>(c->green()),
               static_cast<std::uint8_t>(c->blue())};
}

int saturatingAdd(int a, int b) {
    const long long sum = static_cast<long long>(a) + b;
    return static_cast<int>(std::min<long long>(sum, INT_MAX / 2));
}

} // namespace

// Passes the logic's notifications on to the view.
class TableView::Bridge : public TableObserver {
public:
    explicit Bridge(TableView* view) : view_(view) {}
    void cellsChanged(int row0, int col0, int row1, int col1) override {
        view_->onCellsChanged(row0, col0, row1, col1);
    }
    void structureChanged() override { view_->onStructureChanged(); }
    void sizesChanged() override { view_->onSizesChanged(); }
    void focusChanged(int row, int col) override { view_->onFocusChanged(row, col); }
    void selectionChanging(int row, int col) override { emit view_->selectionChanging(row, col); }
    void selectionChanged(int row, int col) override {
        view_->requestRepaint();
        view_->announceLater(row, col);
        emit view_->selectionChanged(row, col);
    }
    void propertiesChanged() override { view_->requestRepaint(); }
    void ensureVisibleRequested(int row, int col) override { view_->ensureVisible(row, col); }

private:
    TableView* view_;
};

TableView::TableView(QWidget* parent, TableLogic* logic)
    : QAbstractScrollArea(parent), ownLogic_(logic ? nullptr : std::make_unique<TableLogic>()),
      logic_(logic ? logic : ownLogic_.get()), bridge_(std::make_unique<Bridge>(this)),
      fontMetrics_(font()) {
    TableViewAccessible::installFactory();
    logic_->addObserver(bridge_.get());
    setFocusPolicy(Qt::WheelFocus);
    viewport()->setMouseTracking(true);
    viewport()->setAutoFillBackground(false);
    viewport()->setAttribute(Qt::WA_OpaquePaintEvent);

    editor_ = new QLineEdit(viewport());
    editor_->setObjectName("tableCellEditor");
    editor_->setFrame(false);
    editor_->hide();
    editor_->installEventFilter(this);

    titleTip_ = new TitleTip(this);
    titleTip_->hide();
    tipTimer_.setSingleShot(true);
    tipTimer_.setInterval(kTitleTipDelayMs);
    connect(&tipTimer_, &QTimer::timeout, this, &TableView::showTitleTip);

    elapsed_.start();
    applyFontMetrics();
    logic_->setClientWidth(viewport()->width());
}

TableView::~TableView() {
    tipTimer_.stop();
    editor_->removeEventFilter(this);
    logic_->removeObserver(bridge_.get());
    if (!ownLogic_) {
        // The measure refers to this view's font.
        logic_->setMeasure(nullptr);
    }
}

// --- forwarding with Qt types --------------------------------------------------

bool TableView::setCellText(int row, int col, const QString& text) {
    return logic_->setCellText(row, col, fromQString(text));
}

QString TableView::cellQText(int row, int col) const {
    return toQString(logic_->rawCellText(row, col));
}

bool TableView::setCellBackground(int row, int col, const std::optional<QColor>& colour) {
    return logic_->setCellBackground(row, col, toRgb(colour));
}

bool TableView::setCellTextColour(int row, int col, const std::optional<QColor>& colour) {
    return logic_->setCellTextColour(row, col, toRgb(colour));
}

void TableView::setDefaultHeaderBackground(const std::optional<QColor>& colour) {
    logic_->setDefaultHeaderBackground(toRgb(colour));
}

void TableView::setTitleTips(bool on) {
    logic_->setTitleTips(on);
    if (!on) {
        hideTitleTip();
    }
}

void TableView::setCaptionOwner(QWidget* owner, const QString& caption) {
    captionOwner_ = owner;
    if (owner) {
        logic_->setCaption(fromQString(caption));
        updateCaption();
    } else {
        logic_->clearCaption();
    }
}

void TableView::updateCaption() {
    if (!captionOwner_ || !logic_->hasCaption()) {
        return;
    }
    if (logic_->captionSuffix().empty()) {
        return;
    }
    captionOwner_->setWindowTitle(toQString(logic_->captionWithSuffix()));
}

void TableView::setFont(const QFont& font, bool redraw) {
    const int oldDefault = logic_->defaultRowHeight();
    QAbstractScrollArea::setFont(font); // changeEvent applies the metrics
    applyFontMetrics();
    // Rows that still have the old default height follow the new font.
    const int newDefault = logic_->defaultRowHeight();
    if (newDefault != oldDefault) {
        for (int r = 0; r < logic_->rowCount(); ++r) {
            if (logic_->rowHeight(r) == oldDefault) {
                logic_->setRowHeight(r, newDefault);
            }
        }
    }
    if (redraw) {
        requestLayout();
    }
}

void TableView::applyFontMetrics() {
    fontMetrics_ = QFontMetrics(font());
    if (editor_) {
        editor_->setFont(font());
    }
    logic_->setDefaultRowHeight(fontMetrics_.height() + 4);
    logic_->setMeasure(measure());
}

TextMeasure TableView::measure() const {
    const QFontMetrics fm = fontMetrics_;
    return [fm](std::string_view text) -> TextExtent {
        if (text.empty()) {
            return TextExtent{0, fm.height()};
        }
        const QString s = toQString(text);
        if (!s.contains(QLatin1Char('\n'))) {
            return TextExtent{fm.horizontalAdvance(s), fm.height()};
        }
        const QSize size = fm.size(0, s);
        return TextExtent{size.width(), size.height()};
    };
}

int TableView::fittingWidth(std::string_view text) const {
    // The text starts after the margin; the grid line takes the last pixel.
    return measure()(text).width + kCellTextMargin + 1;
}

void TableView::autoSizeColumns(int n) {
    tessalyn::autoSizeColumns(*logic_, n, measure());
}

bool TableView::autoSizeColumn(int col) {
    return tessalyn::autoSizeColumn(*logic_, col, measure());
}

void TableView::expandColumnsToFit(bool includeHeaderColumns) {
    logic_->setClientWidth(viewport()->width());
    tessalyn::expandColumnsToFit(*logic_, viewport()->width(), includeHeaderColumns);
}

bool TableView::copySelection() {
    if (logic_->selectedCount() == 0) {
        return false;
    }
    QGuiApplication::clipboard()->setText(toQString(selectionText(*logic_)));
    return true;
}

bool TableView::cutSelection() {
    if (logic_->selectedCount() == 0) {
        return false;
    }
    const std::string text = cutSelectionText(*logic_);
    QGuiApplication::clipboard()->setText(toQString(text));
    return true;
}

bool TableView::paste() {
    if (!logic_->isEditable()) {
        return false;
    }
    return pasteText(*logic_, fromQString(QGuiApplication::clipboard()->text()));
}

// --- notifications -------------------------------------------------------------

void TableView::requestRepaint() {
    // One update per event-loop pass is enough, however many cells change.
    if (!repaintPending_) {
        repaintPending_ = true;
        viewport()->update();
    }
}

void TableView::requestLayout() {
    layoutDirty_ = true;
    if (!layoutPending_) {
        layoutPending_ = true;
        QMetaObject::invokeMethod(
            this,
            [this] {
                layoutPending_ = false;
                updateScrollBars();
                if (isEditing()) {
                    editor_->setGeometry(cellRect(editRow_, editCol_).adjusted(0, 0, -1, -1));
                }
            },
            Qt::QueuedConnection);
    }
    requestRepaint();
}

void TableView::onCellsChanged(int row0, int col0, int row1, int col1) {
    requestRepaint();
    TableViewAccessible::cellsChanged(*this, row0, col0, row1, col1);
}

void TableView::onStructureChanged() {
    // An editor over a cell that no longer exists has nothing to write to.
    if (isEditing() && !logic_->isValid(editRow_, editCol_)) {
        cancelEditing();
    }
    TableViewAccessible::structureChanged(*this);
    // The focus cell may show another row now: it is announced again.
    announceLater();
    requestLayout();
}

void TableView::onSizesChanged() {
    requestLayout();
}

void TableView::onFocusChanged(int row, int col) {
    requestRepaint();
    updateCaption();
    if (isEditing() && (row != editRow_ || col != editCol_)) {
        QMetaObject::invokeMethod(this, &TableView::commitEditing, Qt::QueuedConnection);
    }
    announceLater();
    emit focusCellChanged(row, col);
}

void TableView::announceLater(int selectionRow, int selectionCol) {
    if (!TableViewAccessible::listening()) {
        return;
    }
    if (selectionRow >= 0) {
        announcedSelection_ = {selectionRow, selectionCol};
    }
    // Told from the event loop: a row procedure that inserts rows and moves
    // the focus has finished by then, so the cell announced is the one that stays.
    if (announcePending_) {
        return;
    }
    announcePending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            announcePending_ = false;
            if (announcedSelection_) {
                const auto [row, col] = *announcedSelection_;
                announcedSelection_.reset();
                TableViewAccessible::selectionChanged(*this, row, col);
            }
            TableViewAccessible::focusMoved(*this);
        },
        Qt::QueuedConnection);
}

// --- geometry ------------------------------------------------------------------

void TableView::ensureLayout() const {
    if (!layoutDirty_) {
        return;
    }
    for (const Orientation o : {Orientation::Rows, Orientation::Columns}) {
        std::vector<int>& table = o == Orientation::Rows ? rowTops_ : colLefts_;
        const int count = logic_->count(o);
        table.assign(static_cast<std::size_t>(count) + 1, 0);
        for (int i = 0; i < count; ++i) {
            table[static_cast<std::size_t>(i) + 1] =
                saturatingAdd(table[static_cast<std::size_t>(i)], logic_->extent(o, i));
        }
    }
    layoutDirty_ = false;
}

const std::vector<int>& TableView::starts(Orientation o) const {
    ensureLayout();
    return o == Orientation::Rows ? rowTops_ : colLefts_;
}

QScrollBar* TableView::scrollBar(Orientation o) const {
    return o == Orientation::Rows ? verticalScrollBar() : horizontalScrollBar();
}

int TableView::viewportExtent(Orientation o) const {
    return o == Orientation::Rows ? viewport()->height() : viewport()->width();
}

int TableView::headerExtent(Orientation o) const {
    return starts(o)[static_cast<std::size_t>(std::min(logic_->headerCount(o), logic_->count(o)))];
}

void TableView::updateScrollBars() {
    ensureLayout();
    const QSize size = viewport()->size();
    for (const Orientation o : {Orientation::Rows, Orientation::Columns}) {
        const bool rows = o == Orientation::Rows;
        const int extent = rows ? size.height() : size.width();
        QScrollBar* bar = scrollBar(o);
        bar->setRange(0, std::max(0, starts(o).back() - extent));
        bar->setPageStep(std::max(1, extent - headerExtent(o)));
        bar->setSingleStep(
            std::max(1, rows ? logic_->defaultRowHeight() : logic_->defaultColumnWidth() / 4));
    }
}

QRect TableView::cellRect(int row, int col) const {
    if (!logic_->isValid(row, col)) {
        return {};
    }
    ensureLayout();
    int x = colLeft(col);
    int y = rowTop(row);
    if (col >= logic_->headerColumnCount()) {
        x -= horizontalScrollBar()->value();
    }
    if (row >= logic_->headerRowCount()) {
        y -= verticalScrollBar()->value();
    }
    return QRect(x, y, logic_->columnWidth(col), logic_->rowHeight(row));
}

int TableView::indexAt(Orientation o, int position) const {
    if (position < 0) {
        return -1;
    }
    const std::vector<int>& table = starts(o);
    const int tablePosition =
        position < headerExtent(o) ? position : position + scrollBar(o)->value();
    const auto it = std::upper_bound(table.begin(), table.end(), tablePosition);
    const int index = static_cast<int>(it - table.begin()) - 1;
    return index >= 0 && index < logic_->count(o) ? index : -1;
}

std::pair<int, int> TableView::cellAt(const QPoint& pos) const {
    const int row = indexAt(Orientation::Rows, pos.y());
    const int col = indexAt(Orientation::Columns, pos.x());
    if (row < 0 || col < 0) {
        return {-1, -1};
    }
    return {row, col};
}

int TableView::firstVisible(Orientation o) const {
    const int header = headerExtent(o);
    if (logic_->count(o) <= logic_->headerCount(o) || header >= viewportExtent(o)) {
        return -1;
    }
    const int index = indexAt(o, header);
    return index >= logic_->headerCount(o) ? index : -1;
}

int TableView::lastVisible(Orientation o) const {
    if (firstVisible(o) < 0) {
        return -1;
    }
    const int index = indexAt(o, viewportExtent(o) - 1);
    return index < 0 ? logic_->count(o) - 1 : index;
}

int TableView::settledViewportWidth() const {
    const QSize area = maximumViewportSize();
    int width = area.width();
    if (verticalScrollBarPolicy() != Qt::ScrollBarAlwaysOff &&
        logic_->totalRowHeight() > area.height()) {
        width -= style()->pixelMetric(QStyle::PM_ScrollBarExtent, nullptr, this);
    }
    return std::max(0, width);
}

bool TableView::isCellVisible(int row, int col) const {
    const QRect rect = cellRect(row, col);
    if (rect.isEmpty()) {
        return false;
    }
    const QSize size = viewport()->size();
    const int top = row < logic_->headerRowCount() ? 0 : headerHeight();
    const int left = col < logic_->headerColumnCount() ? 0 : headerWidth();
    return rect.bottom() >= top && rect.top() < size.height() && rect.right() >= left &&
           rect.left() < size.width();
}

void TableView::ensureVisible(int row, int col) {
    if (!logic_->isValid(row, col)) {
        return;
    }
    updateScrollBars();
    scrollToShow(Orientation::Rows, row);
    scrollToShow(Orientation::Columns, col);
}

void TableView::scrollToShow(Orientation o, int index) {
    if (index < logic_->headerCount(o) || logic_->extent(o, index) <= 0) {
        return;
    }
    const int header = headerExtent(o);
    const std::vector<int>& table = starts(o);
    const int start = table[static_cast<std::size_t>(index)] - header;
    const int end = table[static_cast<std::size_t>(index) + 1] - header;
    const int avail = std::max(1, viewportExtent(o) - header);
    int value = scrollBar(o)->value();
    if (start < value || end - start > avail) {
        value = start;
    } else if (end > value + avail) {
        value = end - avail;
    }
    scrollBar(o)->setValue(value);
}

int TableView::dividerAt(Orientation o, const QPoint& pos) const {
    // Columns are resized in the header rows, rows in the header columns.
    const bool columns = o == Orientation::Columns;
    const Orientation across = columns ? Orientation::Rows : Orientation::Columns;
    const int along = columns ? pos.x() : pos.y();
    if ((columns ? pos.y() : pos.x()) >= headerExtent(across) || logic_->headerCount(across) == 0) {
        return -1;
    }
    const auto endOf = [&](int i) {
        const QRect rect = columns ? cellRect(0, i) : cellRect(i, 0);
        return columns ? rect.left() + rect.width() : rect.top() + rect.height();
    };
    // The far edge of the one under the point, or of the one before it.
    const int index = indexAt(o, along);
    const int count = logic_->count(o);
    for (int i : {index, index - 1}) {
        if (i < 0 || i >= count || logic_->extent(o, i) <= 0) {
            continue;
        }
        if (std::abs(along - endOf(i)) <= kDividerGrip) {
            return i;
        }
    }
    // Past the last column: its right edge.
    if (columns && index < 0 && count > 0) {
        for (int i = count - 1; i >= 0; --i) {
            if (logic_->extent(o, i) > 0) {
                return std::abs(along - endOf(i)) <= kDividerGrip ? i : -1;
            }
        }
    }
    return -1;
}

// --- painting ------------------------------------------------------------------

TableViewPainter TableView::painter() const {
    return TableViewPainter(*logic_, palette(), hasFocus());
}

void TableView::paintEvent(QPaintEvent* event) {
    repaintPending_ = false;
    ensureLayout();
    QPainter painter(viewport());
    painter.fillRect(event->rect(), palette().color(QPalette::Base));

    ShownCells shown;
    shown.headerRows = std::min(logic_->headerRowCount(), logic_->rowCount());
    shown.headerColumns = std::min(logic_->headerColumnCount(), logic_->columnCount());
    shown.headerHeight = headerHeight();
    shown.headerWidth = headerWidth();
    shown.size = viewport()->size();
    shown.firstRow = firstVisibleRow();
    shown.lastRow = lastVisibleRow();
    shown.firstColumn = firstVisibleColumn();
    shown.lastColumn = lastVisibleColumn();
    this->painter().paintShown(painter, shown,
                               [this](int row, int col) { return cellRect(row, col); });
}

void TableView::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    logic_->setClientWidth(viewport()->width());
    updateScrollBars();
}

void TableView::scrollContentsBy(int, int) {
    hideTitleTip();
    if (isEditing()) {
        editor_->setGeometry(cellRect(editRow_, editCol_).adjusted(0, 0, -1, -1));
    }
    viewport()->update();
}

void TableView::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange) {
        applyFontMetrics();
        requestLayout();
    } else if (event->type() == QEvent::PaletteChange) {
        viewport()->update();
    }
    QAbstractScrollArea::changeEvent(event);
}

// --- keyboard ------------------------------------------------------------------

int TableView::visibleRowsPerPage() const {
    const int first = firstVisibleRow();
    const int last = lastVisibleRow();
    return first < 0 ? 1 : std::max(1, last - first);
}

void TableView::moveFocus(int row, int col, Qt::KeyboardModifiers modifiers) {
    if (!logic_->isValid(row, col) || logic_->isHeaderCell(row, col)) {
        return;
    }
    if ((modifiers & Qt::ShiftModifier) && logic_->cellSelection() && anchorRow_ >= 0) {
        if (logic_->listMode()) {
            logic_->selectRange(anchorRow_, 0, row, logic_->columnCount() - 1);
        } else {
            logic_->selectRange(anchorRow_, anchorCol_, row, col);
        }
    } else {
        logic_->selectCellOrRow(row, col);
        anchorRow_ = row;
        anchorCol_ = col;
    }
    logic_->setFocusCell(row, col);
    ensureVisible(row, col);
}

void TableView::keyPressEvent(QKeyEvent* event) {
    const Qt::KeyboardModifiers mods = event->modifiers();
    const bool ctrl = mods & Qt::ControlModifier;
    const bool shift = mods & Qt::ShiftModifier;
    const int key = event->key();

    if ((ctrl && (key == Qt::Key_C || key == Qt::Key_Insert)) ||
        event->matches(QKeySequence::Copy)) {
        copySelection();
        event->accept();
        return;
    }
    if (ctrl && key == Qt::Key_A) {
        selectAll();
        event->accept();
        return;
    }
    if (ctrl && key == Qt::Key_X) {
        cutSelection();
        event->accept();
        return;
    }
    if ((ctrl && key == Qt::Key_V) || (shift && key == Qt::Key_Insert)) {
        paste();
        event->accept();
        return;
    }

    const int firstRow = logic_->headerRowCount();
    const int firstCol = logic_->headerColumnCount();
    const int row = logic_->focusRow() >= 0 ? logic_->focusRow() : firstRow;
    const int col = logic_->focusColumn() >= 0 ? logic_->focusColumn() : firstCol;
    const bool hadFocus = logic_->hasFocusCell();
    switch (key) {
    case Qt::Key_Up:
        moveFocus(hadFocus ? logic_->nextShown(Orientation::Rows, row, -1) : row, col, mods);
        break;
    case Qt::Key_Down:
        moveFocus(hadFocus ? logic_->nextShown(Orientation::Rows, row, 1) : row, col, mods);
        break;
    case Qt::Key_Left:
        moveFocus(row, hadFocus ? logic_->nextShown(Orientation::Columns, col, -1) : col, mods);
        break;
    case Qt::Key_Right:
        moveFocus(row, hadFocus ? logic_->nextShown(Orientation::Columns, col, 1) : col, mods);
        break;
    case Qt::Key_PageUp:
        moveFocus(logic_->nextShown(Orientation::Rows, row, -visibleRowsPerPage()), col, mods);
        break;
    case Qt::Key_PageDown:
        moveFocus(logic_->nextShown(Orientation::Rows, row, visibleRowsPerPage()), col, mods);
        break;
    case Qt::Key_Home:
        if (ctrl) {
            moveFocus(logic_->nextShown(Orientation::Rows, firstRow - 1, 1), col, mods);
        } else {
            moveFocus(row, logic_->nextShown(Orientation::Columns, firstCol - 1, 1), mods);
        }
        break;
    case Qt::Key_End:
        if (ctrl) {
            moveFocus(logic_->nextShown(Orientation::Rows, logic_->rowCount(), -1), col, mods);
        } else {
            moveFocus(row, logic_->nextShown(Orientation::Columns, logic_->columnCount(), -1),
                      mods);
        }
        break;
    case Qt::Key_F2:
        if (!beginEditing(cellQText(logic_->focusRow(), logic_->focusColumn()))) {
            event->ignore();
        }
        return;
    default: {
        const QString text = event->text();
        const bool typed = !text.isEmpty() && text.at(0).isPrint() && !ctrl &&
                           !(mods & Qt::AltModifier) && key != Qt::Key_Escape &&
                           key != Qt::Key_Tab && key != Qt::Key_Backtab;
        if (typed && logic_->hasCaption()) {
            const qint64 now = clock_ ? clock_() : elapsed_.elapsed();
            for (char ch : fromQString(text)) {
                typeAhead_.type(*logic_, ch, now);
            }
            event->accept();
            return;
        }
        if (typed && beginEditing(text)) {
            event->accept();
            return;
        }
        event->ignore();
        return;
    }
    }
    event->accept();
}

// --- mouse ---------------------------------------------------------------------

void TableView::mousePressEvent(QMouseEvent* event) {
    if (isEditing()) {
        commitEditing();
    }
    hideTitleTip();
    const QPoint pos = event->position().toPoint();
    const auto [row, col] = cellAt(pos);

    if (event->button() == Qt::RightButton) {
        if (row >= 0) {
            if (!logic_->isHeaderCell(row, col)) {
                if (!logic_->isSelected(row, col)) {
                    logic_->selectCellOrRow(row, col);
                }
                logic_->setFocusCell(row, col);
            }
            emit cellRightClicked(row, col);
        }
        return;
    }
    if (event->button() != Qt::LeftButton) {
        return;
    }
    setFocus(Qt::MouseFocusReason);

    if (const int divider = dividerAt(Orientation::Columns, pos); divider >= 0) {
        resizingColumn_ = divider;
        resizeOrigin_ = cellRect(0, divider).left();
        return;
    }
    if (const int divider = dividerAt(Orientation::Rows, pos); divider >= 0) {
        resizingRow_ = divider;
        resizeOrigin_ = cellRect(divider, 0).top();
        return;
    }
    if (row < 0) {
        return;
    }
    if (logic_->isHeaderCell(row, col)) {
        if (logic_->sorting().headerClickAction(row, col) != HeaderClickAction::None) {
            // A long table takes a moment to sort.
            WaitCursor wait;
            logic_->sorting().headerClick(row, col);
            return;
        }
        // A header cell at the left of a row picks that row.
        if (row >= logic_->headerRowCount() &&
            logic_->headerColumnCount() < logic_->columnCount()) {
            moveFocus(row, std::max(logic_->headerColumnCount(), logic_->focusColumn()),
                      event->modifiers());
        }
        return;
    }
    if (event->modifiers() & Qt::ControlModifier) {
        logic_->selectCellOrRow(row, col, true);
        anchorRow_ = row;
        anchorCol_ = col;
        logic_->setFocusCell(row, col);
    } else {
        moveFocus(row, col, event->modifiers());
    }
    selecting_ = true;
}

void TableView::mouseMoveEvent(QMouseEvent* event) {
    const QPoint pos = event->position().toPoint();
    if (resizingColumn_ >= 0) {
        logic_->setColumnWidth(resizingColumn_, std::max(0, pos.x() - resizeOrigin_));
        return;
    }
    if (resizingRow_ >= 0) {
        logic_->setRowHeight(resizingRow_, std::max(0, pos.y() - resizeOrigin_));
        return;
    }
    if (selecting_ && (event->buttons() & Qt::LeftButton)) {
        const auto [row, col] = cellAt(pos);
        if (row >= logic_->headerRowCount() && col >= logic_->headerColumnCount() &&
            (row != logic_->focusRow() || col != logic_->focusColumn())) {
            moveFocus(row, col, Qt::ShiftModifier);
        }
        return;
    }
    if (dividerAt(Orientation::Columns, pos) >= 0) {
        viewport()->setCursor(Qt::SplitHCursor);
    } else if (dividerAt(Orientation::Rows, pos) >= 0) {
        viewport()->setCursor(Qt::SplitVCursor);
    } else {
        viewport()->unsetCursor();
    }
    updateTitleTip(pos);
}

void TableView::mouseReleaseEvent(QMouseEvent*) {
    resizingColumn_ = -1;
    resizingRow_ = -1;
    selecting_ = false;
}

void TableView::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton) {
        return;
    }
    const QPoint pos = event->position().toPoint();
    if (const int divider = dividerAt(Orientation::Columns, pos); divider >= 0) {
        autoSizeColumn(divider);
        return;
    }
    const auto [row, col] = cellAt(pos);
    if (row >= 0) {
        emit cellDoubleClicked(row, col);
    }
}

void TableView::wheelEvent(QWheelEvent* event) {
    const QPoint delta = event->angleDelta();
    const bool horizontal = delta.y() == 0 && delta.x() != 0;
    wheelRemainder_ += horizontal ? delta.x() : delta.y();
    const int notches = wheelRemainder_ / 120;
    wheelRemainder_ -= notches * 120;
    event->accept();
    if (notches == 0) {
        return;
    }
    int lines = QApplication::wheelScrollLines();
    if (lines <= 0) {
        lines = 3;
    }
    if (horizontal) {
        const int first = firstVisibleColumn();
        if (first >= 0) {
            const int target = logic_->nextShown(Orientation::Columns, first, -notches * lines);
            horizontalScrollBar()->setValue(colLeft(target) - headerWidth());
        }
        return;
    }
    const int first = firstVisibleRow();
    if (first < 0) {
        return;
    }
    // A line count beyond a page means page scrolling.
    const int page = visibleRowsPerPage();
    const int step = std::min(lines, page);
    const int target = logic_->nextShown(Orientation::Rows, first, -notches * step);
    verticalScrollBar()->setValue(rowTop(target) - headerHeight());
}

bool TableView::viewportEvent(QEvent* event) {
    if (event->type() == QEvent::Leave) {
        hideTitleTip();
        tipRow_ = -1;
        tipCol_ = -1;
    }
    return QAbstractScrollArea::viewportEvent(event);
}

void TableView::leaveEvent(QEvent* event) {
    hideTitleTip();
    QAbstractScrollArea::leaveEvent(event);
}

void TableView::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    // After the window's own focus event a screen reader hears which cell.
    announceLater();
}

void TableView::focusOutEvent(QFocusEvent* event) {
    hideTitleTip();
    QAbstractScrollArea::focusOutEvent(event);
    requestRepaint();
}

// --- title tips ----------------------------------------------------------------

void TableView::updateTitleTip(const QPoint& pos) {
    if (!logic_->titleTips()) {
        return;
    }
    const auto [row, col] = cellAt(pos);
    if (row == tipRow_ && col == tipCol_) {
        return;
    }
    hideTitleTip();
    tipRow_ = row;
    tipCol_ = col;
    if (row >= 0) {
        tipTimer_.start();
    }
}

void TableView::showTitleTip() {
    if (!logic_->titleTips() || !logic_->isValid(tipRow_, tipCol_) || isEditing()) {
        return;
    }
    const std::string tip = logic_->cellTip(tipRow_, tipCol_);
    if (tip.empty()) {
        return;
    }
    const QRect rect = cellRect(tipRow_, tipCol_);
    if (fittingWidth(logic_->rawCellText(tipRow_, tipCol_)) <= rect.width()) {
        return; // the text fits
    }
    titleTip_->showTip(toQString(tip), viewport()->mapToGlobal(rect.bottomLeft() + QPoint(0, 1)));
}

void TableView::hideTitleTip() {
    tipTimer_.stop();
    if (titleTip_ && titleTip_->isVisible()) {
        titleTip_->hideTip();
    }
}

// --- in-place editing ----------------------------------------------------------

bool TableView::beginEditing(const QString& initialText) {
    const int row = logic_->focusRow();
    const int col = logic_->focusColumn();
    if (!logic_->isEditable() || !logic_->isValid(row, col) ||
        (logic_->cellState(row, col) & CellReadOnly)) {
        return false;
    }
    if (isEditing()) {
        commitEditing();
    }
    hideTitleTip();
    editRow_ = row;
    editCol_ = col;
    emit editingBegins(row, col);
    ensureVisible(row, col);
    // A screen reader announces the editor as the cell it edits.
    editor_->setAccessibleName(TableViewAccessible::cellLabel(*this, row, col));
    editor_->setGeometry(cellRect(row, col).adjusted(0, 0, -1, -1));
    editor_->setText(initialText);
    editor_->show();
    editor_->setFocus(Qt::OtherFocusReason);
    editor_->end(false);
    return true;
}

void TableView::commitEditing() {
    endEditing(true);
}

void TableView::cancelEditing() {
    endEditing(false);
}

void TableView::endEditing(bool commit) {
    if (!isEditing() || committing_) {
        return;
    }
    committing_ = true;
    const int row = editRow_;
    const int col = editCol_;
    const QString text = editor_->text();
    const bool hadFocus = editor_->hasFocus();
    editRow_ = -1;
    editCol_ = -1;
    editor_->hide();
    if (hadFocus) {
        setFocus(Qt::OtherFocusReason);
    }
    if (commit) {
        logic_->setCellText(row, col, fromQString(text));
    }
    committing_ = false;
    emit editingEnded(row, col);
}

bool TableView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == editor_ && isEditing()) {
        if (event->type() == QEvent::KeyPress) {
            const auto* key = static_cast<QKeyEvent*>(event);
            switch (key->key()) {
            case Qt::Key_Return:
            case Qt::Key_Enter:
            case Qt::Key_Tab:
            case Qt::Key_Backtab:
                // Committed from the event loop, outside the editor's own handler.
                QMetaObject::invokeMethod(this, &TableView::commitEditing, Qt::QueuedConnection);
                return true;
            case Qt::Key_Escape:
                cancelEditing();
                return true;
            default:
                break;
            }
        } else if (event->type() == QEvent::FocusOut && !committing_) {
            // The focus went elsewhere (a click on a button of the dialog, for
            // instance): the text is taken at once, before that click acts.
            // The editor's own context menu and a switch of windows keep it open.
            const auto reason = static_cast<QFocusEvent*>(event)->reason();
            if (reason != Qt::PopupFocusReason && reason != Qt::ActiveWindowFocusReason) {
                commitEditing();
            }
        }
    }
    return QAbstractScrollArea::eventFilter(watched, event);
}

} // namespace tessalyn
