#pragma once

#include "ui/widgets/TestHook.h"

#include <QAccessible>
#include <QAccessibleWidget>
#include <QHash>
#include <QString>

#include <string>

namespace tessalyn {

class TableView;

// What assistive technology (a screen reader through AT-SPI) sees of a
// TableView. Its rows and columns are those of the TableLogic below the
// header rows and right of the header columns, as the user counts them: the
// case grid's first rubric is row 1 (index 0). The cells of the header rows
// are the column headers, those of the header columns the row headers, and
// every cell names them as its headers, so that a screen reader says
// "Zeile 2, Symptom: Air, - While in the Open" as the focus moves. All cells,
// headers included, are the table's children in the order the window shows
// them: child (row * columns + column) in the logic's own numbering. A cell
// is named by the text the view shows in it (its own tip, such as the case
// grid's remedy list, is its description). Cells are read from the logic
// whenever asked; their interfaces are made on demand and dropped when rows
// or columns are added, removed or reordered, so a screen reader never holds
// on to a cell that now shows another row.
//
// The view announces its changes through the static functions below: the
// focus cell (when the view has the keyboard focus), the selection, texts of
// cells that changed, and changes of the table's structure.
class TableViewAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit TableViewAccessible(TableView* view);
    ~TableViewAccessible() override;

    // Makes every TableView answer with this class (called by each view; the
    // first call installs it).
    static void installFactory();

    // "Zeile 2, Symptom": how a cell is spoken where it is not a cell of the
    // table itself, such as the row editor that edits it. Rows count from 1
    // below the header rows.
    static QString cellLabel(const TableView& view, int row, int col);

    // --- what the view announces (nothing while no assistive technology listens)
    // Whether an assistive technology (or a test) is listening.
    static bool listening();
    // The focus cell, if the view has the keyboard focus.
    static void focusMoved(TableView& view);
    // The selection changed; (row, col) is the cell that changed it.
    static void selectionChanged(TableView& view, int row, int col);
    // The texts of the cells in rows row0..row1 and columns col0..col1.
    static void cellsChanged(TableView& view, int row0, int col0, int row1, int col1);
    // Rows or columns were added, removed or reordered.
    static void structureChanged(TableView& view);

    // --- QAccessibleInterface
    void* interface_cast(QAccessible::InterfaceType type) override;
    int childCount() const override;
    QAccessibleInterface* child(int index) const override;
    int indexOfChild(const QAccessibleInterface* child) const override;
    QAccessibleInterface* childAt(int x, int y) const override;
    QAccessibleInterface* focusChild() const override;

    // --- QAccessibleTableInterface
    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override;
    int selectedCellCount() const override;
    QList<QAccessibleInterface*> selectedCells() const override;
    QString columnDescription(int column) const override;
    QString rowDescription(int row) const override;
    int selectedColumnCount() const override;
    int selectedRowCount() const override;
    int columnCount() const override;
    int rowCount() const override;
    QList<int> selectedColumns() const override;
    QList<int> selectedRows() const override;
    bool isColumnSelected(int column) const override;
    bool isRowSelected(int row) const override;
    bool selectRow(int row) override;
    bool selectColumn(int column) override;
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent* event) override;

    // The view this interface stands for.
    TableView* view() const;
    // The interface of cell (row, col) in the logic's numbering, headers
    // included; made when first asked for.
    QAccessibleInterface* viewCell(int row, int col) const;

    // For tests: gets the events instead of the platform's bridge, and has
    // the views announce them as to a listening screen reader (the headless
    // platform of the tests has no accessibility to switch on).
    using EventHook = TestHook<void(QAccessibleEvent& event)>;
    static EventHook& eventHook();

private:
    // The interface of the view, when an assistive technology is listening.
    static TableViewAccessible* listeningTable(TableView& view);
    static void deliver(QAccessibleEvent& event);
    // Drops the interfaces of all cells made so far.
    void forgetCells();

    // A cell interface made so far, with the text it last told.
    struct KnownCell {
        QAccessible::Id id = 0;
        std::string text;
    };
    // By (row, column).
    mutable QHash<quint64, KnownCell> cells_;
};

} // namespace tessalyn
