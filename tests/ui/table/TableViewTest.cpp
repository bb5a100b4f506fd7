#include "ui/table/TableView.h"
#include "ui/table/TitleTip.h"

#include <QApplication>
#include <QClipboard>
#include <QImage>
#include <QLineEdit>
#include <QPainter>
#include <QScrollBar>
#include <QSignalSpy>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <memory>
#include <string>

using namespace tessalyn;

namespace {

// A shown table of `rows` x `cols` cells with the text "r,c" in every cell.
std::unique_ptr<TableView> makeView(int rows, int cols, int headerRows = 1, int headerCols = 0) {
    auto view = std::make_unique<TableView>();
    view->setObjectName("table");
    view->resize(500, 300);
    view->setColumnCount(cols);
    view->setRowCount(rows);
    for (int r = 0; r < rows; ++r) {
        for (int c = 0; c < cols; ++c) {
            view->setCellText(r, c, std::to_string(r) + "," + std::to_string(c));
            view->logic().setCellModified(r, c, false);
        }
    }
    view->setHeaderRowCount(headerRows);
    view->setHeaderColumnCount(headerCols);
    for (int c = 0; c < cols; ++c) {
        view->setColumnWidth(c, 60);
    }
    view->show();
    EXPECT_TRUE(QTest::qWaitForWindowExposed(view.get()));
    QCoreApplication::processEvents();
    return view;
}

void click(TableView& view, int row, int col, Qt::KeyboardModifiers mods = {}) {
    QTest::mouseClick(view.viewport(), Qt::LeftButton, mods, view.cellRect(row, col).center());
}

} // namespace

TEST(TableView, HeaderClicksSortRowsAndColumnsUnderARestoredCursor) {
    auto view = makeView(6, 5, 2, 2);
    TableView& v = *view;
    const char* names[] = {"", "", "Bell.", "Acon.", "Calc."};
    const char* hits[] = {"", "", "1", "3", "2"};
    for (int c = 2; c < 5; ++c) {
        v.setCellText(0, c, names[c]);
        v.setCellText(1, c, hits[c]);
    }
    for (int r = 2; r < 6; ++r) {
        v.setCellText(r, 0, std::string(1, static_cast<char>('a' + (r * 3) % 4)));
    }
    v.setSortByHeaderClick(true);

    // Row 1 (hits): columns descending by the number.
    click(v, 1, 3);
    EXPECT_EQ(v.cellText(0, 2), "Acon.");
    EXPECT_EQ(v.cellText(0, 3), "Calc.");
    EXPECT_EQ(v.cellText(0, 4), "Bell.");
    EXPECT_EQ(QApplication::overrideCursor(), nullptr);

    // Row 0 of column 0: rows 2.. descending by that column's texts.
    click(v, 0, 0);
    EXPECT_EQ(v.cellText(2, 0), "d");
    EXPECT_EQ(v.cellText(5, 0), "a");
    click(v, 0, 0);
    EXPECT_EQ(v.cellText(2, 0), "a");

    // Sorting off: a header click changes nothing.
    v.setSortByHeaderClick(false);
    click(v, 0, 0);
    EXPECT_EQ(v.cellText(2, 0), "a");
}

TEST(TableView, CopyPutsTheSelectionOnTheClipboard) {
    auto view = makeView(6, 6, 1, 1);
    TableView& v = *view;
    v.setListMode(false);
    QClipboard* clipboard = QGuiApplication::clipboard();
    clipboard->setText("untouched");

    // Nothing selected: the clipboard is left alone.
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "untouched");

    click(v, 2, 2);
    click(v, 3, 4, Qt::ShiftModifier);
    QTest::keyClick(&v, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "2,2\t2,3\t2,4\n3,2\t3,3\t3,4");

    // Ctrl+A selects every non-header cell; Ctrl+Insert copies too.
    QTest::keyClick(&v, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClick(&v, Qt::Key_Insert, Qt::ControlModifier);
    EXPECT_TRUE(clipboard->text().startsWith("1,1\t1,2"));
    EXPECT_TRUE(clipboard->text().endsWith("5,4\t5,5"));

    // Shift+Insert pastes from the focus on; Ctrl+X empties the cut cells.
    clipboard->setText(QString::fromUtf8("x\ty\nÄ"));
    click(v, 4, 4);
    QTest::keyClick(&v, Qt::Key_Insert, Qt::ShiftModifier);
    EXPECT_EQ(v.cellText(4, 4), "x");
    EXPECT_EQ(v.cellText(4, 5), "y");
    EXPECT_EQ(v.cellText(5, 4), "\xC4");
    QTest::keyClick(&v, Qt::Key_X, Qt::ControlModifier);
    EXPECT_EQ(clipboard->text(), "x");
    EXPECT_EQ(v.cellText(4, 4), "");
}

TEST(TableView, ListModeClickSelectsTheWholeRow) {
    auto view = makeView(5, 4);
    TableView& v = *view;
    QSignalSpy changing(&v, &TableView::selectionChanging);
    QSignalSpy changed(&v, &TableView::selectionChanged);
    click(v, 2, 1);
    EXPECT_EQ(v.focusRow(), 2);
    EXPECT_EQ(v.focusColumn(), 1);
    for (int c = 0; c < 4; ++c) {
        EXPECT_TRUE(v.logic().isSelected(2, c));
    }
    EXPECT_FALSE(v.logic().isSelected(1, 1));
    EXPECT_GE(changing.count(), 1);
    EXPECT_GE(changed.count(), 1);

    // With cell selection off nothing is selected, but the focus moves.
    v.setCellSelection(false);
    click(v, 3, 1);
    EXPECT_EQ(v.focusRow(), 3);
    EXPECT_EQ(v.logic().selectedCount(), 0);
}

TEST(TableView, TypingIntoAnEditableCellEditsIt) {
    auto view = makeView(4, 3);
    TableView& v = *view;
    QSignalSpy begins(&v, &TableView::editingBegins);
    QSignalSpy ended(&v, &TableView::editingEnded);
    click(v, 2, 1);
    QTest::keyClick(&v, Qt::Key_1);
    ASSERT_TRUE(v.isEditing());
    QLineEdit* editor = v.findChild<QLineEdit*>("tableCellEditor");
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->text(), "1");
    QTest::keyClicks(editor, "2");
    QTest::sendKeyEvent(QTest::Click, editor, Qt::Key_unknown, QString::fromUtf8("ü"),
                        Qt::NoModifier);
    QTest::keyClick(editor, Qt::Key_Return);
    QCoreApplication::processEvents();
    EXPECT_FALSE(v.isEditing());
    EXPECT_EQ(v.cellText(2, 1), "12\xFC");
    EXPECT_TRUE(v.logic().cellState(2, 1) & CellModified);
    ASSERT_EQ(begins.count(), 1);
    EXPECT_EQ(begins.at(0).at(0).toInt(), 2);
    EXPECT_EQ(begins.at(0).at(1).toInt(), 1);
    ASSERT_EQ(ended.count(), 1);
    EXPECT_EQ(ended.at(0).at(1).toInt(), 1);

    // Escape cancels.
    QTest::keyClick(&v, Qt::Key_9);
    QTest::keyClick(v.editor(), Qt::Key_Escape);
    QCoreApplication::processEvents();
    EXPECT_EQ(v.cellText(2, 1), "12\xFC");

    // Not editable, or a read-only cell: typing starts nothing.
    v.logic().setCellReadOnly(2, 1, true);
    QTest::keyClick(&v, Qt::Key_5);
    EXPECT_FALSE(v.isEditing());
    v.setEditable(false);
    click(v, 3, 1);
    QTest::keyClick(&v, Qt::Key_5);
    EXPECT_FALSE(v.isEditing());
}

// A logic that rewrites every text, as the case grid does with its numbers.
class BracketLogic : public TableLogic {
public:
    bool setCellText(int row, int col, const std::string& text) override {
        if (col != 0) {
            return false;
        }
        return storeCellText(row, col, "[" + text + "]");
    }
};

TEST(TableView, EditsGoThroughTheLogicsOverriddenSetCellText) {
    BracketLogic logic;
    {
        TableView v(nullptr, &logic);
        v.resize(400, 200);
        v.setColumnCount(2);
        v.setRowCount(3);
        v.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&v));
        EXPECT_EQ(&v.logic(), &logic);
        click(v, 1, 0);
        QTest::keyClick(&v, Qt::Key_7);
        QTest::keyClick(v.editor(), Qt::Key_Tab);
        QCoreApplication::processEvents();
        EXPECT_EQ(logic.rawCellText(1, 0), "[7]");
        // A refused write leaves the cell as it was.
        click(v, 1, 1);
        QTest::keyClick(&v, Qt::Key_7);
        QTest::keyClick(v.editor(), Qt::Key_Enter);
        QCoreApplication::processEvents();
        EXPECT_EQ(logic.rawCellText(1, 1), "");
    }
    // The logic outlives the view and no longer calls it.
    logic.setFocusCell(2, 0);
    logic.setRowCount(10);
    EXPECT_EQ(logic.rowCount(), 10);
}

TEST(TableView, DoubleAndRightClicksNotifyWithRowAndColumn) {
    auto view = makeView(5, 4);
    TableView& v = *view;
    QSignalSpy doubles(&v, &TableView::cellDoubleClicked);
    QSignalSpy rights(&v, &TableView::cellRightClicked);
    QTest::mouseDClick(v.viewport(), Qt::LeftButton, {}, v.cellRect(3, 2).center());
    ASSERT_EQ(doubles.count(), 1);
    EXPECT_EQ(doubles.at(0).at(0).toInt(), 3);
    EXPECT_EQ(doubles.at(0).at(1).toInt(), 2);
    QTest::mouseClick(v.viewport(), Qt::RightButton, {}, v.cellRect(4, 1).center());
    ASSERT_EQ(rights.count(), 1);
    EXPECT_EQ(rights.at(0).at(0).toInt(), 4);
    EXPECT_EQ(rights.at(0).at(1).toInt(), 1);
    EXPECT_EQ(v.focusRow(), 4);
}

TEST(TableView, KeysMoveTheFocusAndScrollItIntoView) {
    auto view = makeView(200, 30, 1, 1);
    TableView& v = *view;
    QSignalSpy focusSpy(&v, &TableView::focusCellChanged);
    click(v, 1, 1);
    QTest::keyClick(&v, Qt::Key_Down);
    QTest::keyClick(&v, Qt::Key_Right);
    EXPECT_EQ(v.focusRow(), 2);
    EXPECT_EQ(v.focusColumn(), 2);
    QTest::keyClick(&v, Qt::Key_Up);
    QTest::keyClick(&v, Qt::Key_Up); // stays below the header row
    EXPECT_EQ(v.focusRow(), 1);
    QTest::keyClick(&v, Qt::Key_End);
    EXPECT_EQ(v.focusColumn(), 29);
    EXPECT_TRUE(v.isCellVisible(1, 29));
    EXPECT_EQ(v.lastVisibleColumn(), 29);
    QTest::keyClick(&v, Qt::Key_Home);
    EXPECT_EQ(v.focusColumn(), 1);
    QTest::keyClick(&v, Qt::Key_End, Qt::ControlModifier);
    EXPECT_EQ(v.focusRow(), 199);
    EXPECT_TRUE(v.isCellVisible(199, 1));
    EXPECT_FALSE(v.isCellVisible(1, 1));
    EXPECT_TRUE(v.isCellVisible(0, 0)); // header cells stay
    const int before = v.focusRow();
    QTest::keyClick(&v, Qt::Key_PageUp);
    EXPECT_LT(v.focusRow(), before - 3);
    QTest::keyClick(&v, Qt::Key_Home, Qt::ControlModifier);
    EXPECT_EQ(v.focusRow(), 1);
    EXPECT_EQ(v.firstVisibleRow(), 1);
    EXPECT_GE(focusSpy.count(), 8);

    // Hidden rows are skipped.
    v.setRowHeight(2, 0);
    QTest::keyClick(&v, Qt::Key_Down);
    EXPECT_EQ(v.focusRow(), 3);
}

TEST(TableView, WheelScrollsByTheSystemLineCount) {
    auto view = makeView(300, 3);
    TableView& v = *view;
    ASSERT_EQ(v.firstVisibleRow(), 1);
    QWheelEvent down(QPointF(50, 50), v.viewport()->mapToGlobal(QPointF(50, 50)), QPoint(),
                     QPoint(0, -120), Qt::NoButton, Qt::NoModifier, Qt::NoScrollPhase, false);
    QApplication::sendEvent(v.viewport(), &down);
    int lines = QApplication::wheelScrollLines();
    if (lines <= 0) {
        lines = 3;
    }
    EXPECT_EQ(v.firstVisibleRow(), 1 + lines);
}

TEST(TableView, DividerDragResizesAndDoubleClickFits) {
    auto view = makeView(4, 4);
    TableView& v = *view;
    v.setCellText(2, 1, "a rather long text in this cell");
    const QRect header = v.cellRect(0, 1);
    const QPoint divider(header.right() + 1, header.center().y());
    QTest::mousePress(v.viewport(), Qt::LeftButton, {}, divider);
    QTest::mouseMove(v.viewport(), divider + QPoint(40, 0));
    QTest::mouseRelease(v.viewport(), Qt::LeftButton, {}, divider + QPoint(40, 0));
    EXPECT_NEAR(v.columnWidth(1), 100, 2);

    QTest::mouseDClick(v.viewport(), Qt::LeftButton, {},
                       QPoint(v.cellRect(0, 1).right() + 1, header.center().y()));
    const int expected =
        QFontMetrics(v.font()).horizontalAdvance("a rather long text in this cell") + 16;
    EXPECT_EQ(v.columnWidth(1), expected);
}

TEST(TableView, TypeAheadMovesTheFocusAndTheCaptionShowsThePosition) {
    QWidget owner;
    owner.setWindowTitle("Ergebnis der Auswertung");
    auto view = makeView(5, 12, 2, 2);
    TableView& v = *view;
    const char* names[] = {"",     "",      "Acon.",   "Agar.", "Am-c.", "Bell.",
                           "Bry.", "Calc.", "Carb-v.", "Ign.",  "Lyc.",  "Nux-v."};
    for (int c = 0; c < 12; ++c) {
        v.setCellText(0, c, names[c]);
    }
    qint64 now = 100000;
    v.setClock([&now] { return now; });
    v.setCaptionOwner(&owner, "Ergebnis der Auswertung");

    QTest::keyClicks(&v, "am");
    EXPECT_FALSE(v.isEditing());
    EXPECT_EQ(v.focusRow(), 2);
    EXPECT_EQ(v.focusColumn(), 4);
    EXPECT_EQ(owner.windowTitle(), "Ergebnis der Auswertung 4/11");
    now += 4000;
    QTest::keyClicks(&v, "carbv");
    EXPECT_EQ(v.focusColumn(), 8);
    EXPECT_TRUE(v.isCellVisible(2, 8));
    EXPECT_EQ(owner.windowTitle(), "Ergebnis der Auswertung 8/11");
    QTest::keyClick(&v, Qt::Key_Q); // no match: the focus stays
    EXPECT_EQ(v.focusColumn(), 8);
    v.setFocusCell(3, 2);
    EXPECT_EQ(owner.windowTitle(), "Ergebnis der Auswertung 2/11");
}

TEST(TableView, PaintsHeaderGridSeparatorAndOwnBackgrounds) {
    auto view = makeView(6, 4, 1, 1);
    TableView& v = *view;
    v.setSeparatorRow(2);
    v.setCellBackground(3, 2, QColor(230, 230, 230));
    v.setCellText(3, 2, "");
    QCoreApplication::processEvents();
    QImage image(v.viewport()->size(), QImage::Format_RGB32);
    image.fill(Qt::black);
    v.viewport()->render(&image);

    const QRect header = v.cellRect(0, 2);
    EXPECT_EQ(QColor(image.pixel(header.left() + 1, header.top() + 1)),
              v.palette().color(QPalette::Button));
    const QRect own = v.cellRect(3, 2);
    EXPECT_EQ(QColor(image.pixel(own.center())), QColor(230, 230, 230));
    const QRect cell = v.cellRect(4, 2);
    EXPECT_EQ(QColor(image.pixel(cell.right(), cell.center().y())), QColor(192, 192, 192));
    EXPECT_EQ(QColor(image.pixel(cell.center().x(), cell.bottom())), QColor(192, 192, 192));
    const QRect sep = v.cellRect(2, 2);
    for (int dy = 0; dy < 3; ++dy) {
        EXPECT_EQ(QColor(image.pixel(sep.center().x(), sep.bottom() - dy)), QColor(255, 0, 0));
    }
    EXPECT_NE(QColor(image.pixel(sep.center().x(), sep.bottom() - 3)), QColor(255, 0, 0));

    // A default header background replaces the button face.
    v.setDefaultHeaderBackground(QColor(Qt::white));
    v.viewport()->render(&image);
    EXPECT_EQ(QColor(image.pixel(header.left() + 1, header.top() + 1)), QColor(Qt::white));
}

TEST(TableView, TitleTipShowsTheTipOfATruncatedCell) {
    auto view = makeView(4, 3);
    TableView& v = *view;
    v.setTitleTips(true);
    v.setCellText(1, 1, "a text far too long for a column of sixty pixels");
    v.logic().setCellTip(1, 1, std::string("Acon. Bell. Sulph."));
    EXPECT_EQ(v.titleTipDelay(), 400);
    QTest::mouseMove(v.viewport(), v.cellRect(1, 1).center());
    // The tip waits for its delay; the test shortens what is left of it.
    EXPECT_TRUE(v.titleTipPending());
    EXPECT_FALSE(v.titleTip()->isVisible());
    v.setTitleTipDelay(0);
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.titleTip()->isVisible(); }));
    EXPECT_EQ(v.titleTip()->text(), "Acon. Bell. Sulph.");
    EXPECT_EQ(v.titleTip()->font().pixelSize(), 14);

    // A text that fits shows no tip, also once the delay has passed.
    QTest::mouseMove(v.viewport(), v.cellRect(2, 2).center());
    EXPECT_FALSE(v.titleTip()->isVisible());
    ASSERT_TRUE(QTest::qWaitFor([&] { return !v.titleTipPending(); }));
    EXPECT_FALSE(v.titleTip()->isVisible());

    // One that fits alone but not beside the cell's marks is cut: its tip shows.
    v.setCellText(2, 1, "Acon.");
    v.logic().setCellMarks(2, 1,
                           "\xD7"
                           "2 [E]");
    ASSERT_LE(v.fittingWidth("Acon."), v.columnWidth(1));
    QTest::mouseMove(v.viewport(), v.cellRect(2, 1).center());
    ASSERT_TRUE(QTest::qWaitFor([&] { return v.titleTip()->isVisible(); }));
    EXPECT_EQ(v.titleTip()->text(), "Acon.");
}

TEST(TableView, LeavingTheEditorCommitsTheText) {
    QWidget window;
    auto* view = new TableView(&window);
    auto* other = new QLineEdit(&window);
    other->setObjectName("otherField");
    view->setGeometry(0, 0, 300, 200);
    other->setGeometry(0, 210, 300, 20);
    view->setColumnCount(2);
    view->setRowCount(4);
    window.resize(300, 240);
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));

    // A click on another cell takes the text first.
    click(*view, 1, 0);
    QTest::keyClick(view, Qt::Key_4);
    click(*view, 2, 1);
    EXPECT_FALSE(view->isEditing());
    EXPECT_EQ(view->cellText(1, 0), "4");
    EXPECT_EQ(view->focusRow(), 2);

    // So does the keyboard focus moving to another control.
    QTest::keyClick(view, Qt::Key_5);
    ASSERT_TRUE(view->editor()->hasFocus());
    other->setFocus(Qt::MouseFocusReason);
    EXPECT_FALSE(view->isEditing());
    EXPECT_EQ(view->cellText(2, 1), "5");
}
