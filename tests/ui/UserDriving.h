#pragma once

// Helpers of the tests that drive the program as a user does: keys typed one
// by one, clicks on buttons, cells and tree items, and modal dialogs answered
// from inside their own event loop.

#include "case/NumberText.h"
#include "ui/history/HistoryFiles.h"
#include "ui/table/TableView.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QLineEdit>
#include <QPointer>
#include <QPushButton>
#include <QString>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>

namespace tessalyn::test {

inline bool waitActive(QWidget* window) {
    window->activateWindow();
    return QTest::qWaitFor([window] { return QApplication::activeWindow() == window; });
}

inline void click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton);
}

// The button of `window` with the object name `objectName`: tests find a
// button by its name, never by its place in a row.
inline QPushButton* buttonNamed(const QWidget& window, const char* objectName) {
    auto* button = window.findChild<QPushButton*>(QLatin1String(objectName));
    EXPECT_NE(button, nullptr) << "no button \"" << objectName << "\" in "
                               << window.metaObject()->className();
    return button;
}

// Types text key by key; letters beyond ASCII (umlauts) come as the key of
// their capital with the letter as text, as a German keyboard sends them.
inline void typeText(QWidget* widget, const QString& text) {
    for (const QChar ch : text) {
        if (ch.unicode() < 0x80) {
            QTest::keyClick(widget, static_cast<char>(ch.unicode()));
        } else {
            const auto key = static_cast<Qt::Key>(ch.toUpper().unicode());
            QTest::sendKeyEvent(QTest::Press, widget, key, QString(ch), Qt::NoModifier);
            QTest::sendKeyEvent(QTest::Release, widget, key, QString(ch), Qt::NoModifier);
        }
    }
}

// Types a number into the focused row of a case grid and ends it with Enter:
// the first key opens the row's editor, the others go into it.
inline void typeIntoGrid(TableView& grid, const QString& text) {
    ASSERT_FALSE(text.isEmpty());
    QTest::keyClick(&grid, static_cast<char>(text.at(0).unicode()));
    ASSERT_TRUE(grid.isEditing());
    typeText(grid.editor(), text.mid(1));
    QTest::keyClick(grid.editor(), Qt::Key_Return);
    ASSERT_TRUE(QTest::qWaitFor([&grid] { return !grid.isEditing(); }));
}

// While it lives, every treatment the program files carries `date` instead of
// the clock's time, so a test that files sees the same dates on every run.
class FilingDate {
public:
    explicit FilingDate(std::string date) : previous_(setHistoryFilingDate(std::move(date))) {}
    ~FilingDate() { setHistoryFilingDate(std::move(previous_)); }
    FilingDate(const FilingDate&) = delete;
    FilingDate& operator=(const FilingDate&) = delete;

private:
    std::string previous_;
};

// How many dialogs whenModal has met.
inline int modalsMet = 0;

// Runs `act` on the modal dialog of type T as soon as its event loop runs,
// which is where a user would meet it. A dialog that `act` leaves open (after
// a failed check, say) is closed, so the test fails instead of hanging.
// Left over from a test that ended early, it does nothing in the next one.
template <typename T> void whenModal(std::function<void(T&)> act, int attempts = 200) {
    const ::testing::TestInfo* test = ::testing::UnitTest::GetInstance()->current_test_info();
    QTimer::singleShot(0, [act = std::move(act), attempts, test]() mutable {
        if (::testing::UnitTest::GetInstance()->current_test_info() != test) {
            return;
        }
        auto* dialog = qobject_cast<T*>(QApplication::activeModalWidget());
        if (dialog == nullptr) {
            if (attempts > 0) {
                whenModal<T>(std::move(act), attempts - 1);
            } else {
                ADD_FAILURE() << "the expected dialog " << T::staticMetaObject.className()
                              << " never came up";
            }
            return;
        }
        ++modalsMet;
        QPointer<T> guard(dialog);
        act(*dialog);
        if (guard && guard->isVisible() && QApplication::activeModalWidget() == guard) {
            ADD_FAILURE() << T::staticMetaObject.className() << " was left open";
            guard->reject();
        }
    });
}

// The row of a finding table whose first column reads `number` (a trailing
// blank or BD mark aside), or -1.
inline int rowWithNumber(const TableView& table, int number) {
    for (int r = table.headerRowCount(); r < table.rowCount(); ++r) {
        if (leadingInteger(table.cellText(r, 0)) == number) {
            return r;
        }
    }
    return -1;
}

// A click (or a double-click) in the middle of a table cell.
inline void clickCell(TableView& table, int row, int col, bool twice = false) {
    table.ensureVisible(row, col);
    QApplication::processEvents();
    const QPoint at = table.cellRect(row, col).center();
    if (twice) {
        QTest::mouseDClick(table.viewport(), Qt::LeftButton, {}, at);
    } else {
        QTest::mouseClick(table.viewport(), Qt::LeftButton, {}, at);
    }
}

// A click (or a double-click, which begins with a click) near the start of a
// tree item's text.
inline void clickItem(QAbstractItemView& view, const QModelIndex& item, bool twice = false) {
    view.scrollTo(item);
    QApplication::processEvents();
    const QRect rect = view.visualRect(item);
    const QPoint at(rect.left() + 8, rect.center().y());
    QTest::mouseClick(view.viewport(), Qt::LeftButton, {}, at);
    if (twice) {
        QTest::mouseDClick(view.viewport(), Qt::LeftButton, {}, at);
    }
}

} // namespace tessalyn::test
