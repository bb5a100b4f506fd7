// The result view opens ready to read: its size without a stored placement,
// the header columns that leave room for the remedy columns, stored
// placements and widths.
#include "ui/PrintTestSupport.h"

#include "settings/MemorySettingsStore.h"
#include "settings/Placement.h"
#include "settings/SettingsKeys.h"
#include "ui/RankingChart.h"
#include "ui/ResultDialog.h"
#include "ui/table/TableView.h"
#include "ui/widgets/DialogSetup.h"
#include "ui/widgets/DialogUnits.h"

#include <QApplication>
#include <QScreen>
#include <QTest>
#include <QWidget>

#include <gtest/gtest.h>

#include <initializer_list>
#include <memory>
#include <vector>

using namespace tessalyn;
using namespace tessalyn::test;

namespace {

// A main window stand-in in the middle of the screen, and the result view of
// a case opened over it, shown.
struct ViewOverMain {
    ViewOverMain(std::initializer_list<int> numbers, const ProgramSettings& options = {})
        : ViewOverMain(std::vector<int>(numbers), options) {}
    ViewOverMain(const std::vector<int>& numbers, const ProgramSettings& options = {})
        : evaluated(builtInContent(), numbers), settings(options) {
        main.resize(500, 300);
        const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
        main.move(screen.center() - QPoint(250, 150));
        main.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&main));
    }
    ResultDialog& open() {
        dialog = std::make_unique<ResultDialog>(builtInContent(), evaluated.result, settings,
                                                std::nullopt, store, QString(), &main);
        dialog->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(dialog.get()));
        QApplication::processEvents();
        return *dialog;
    }

    EvaluatedCase evaluated;
    ProgramSettings settings;
    MemorySettingsStore store;
    QWidget main;
    std::unique_ptr<ResultDialog> dialog;
};

QSize screenCap() {
    const QRect area = QGuiApplication::primaryScreen()->availableGeometry();
    return QSize(static_cast<int>(area.width() * kGrowScreenShare),
                 static_cast<int>(area.height() * kGrowScreenShare));
}

int shownRemedyColumns(const TableView& t) {
    return t.firstVisibleColumn() < 0 ? 0 : t.lastVisibleColumn() - t.firstVisibleColumn() + 1;
}

int headerWidth(const TableView& t) {
    return t.columnWidth(0) + t.columnWidth(1);
}

} // namespace

TEST(ResultViewSize, OpensWithChartTenRemedyColumnsAndEightRowsWithinTheScreen) {
    ViewOverMain v({1, 2, 3, 12, 16, 25, 40, 57, 88, 102, 120, 140});
    ResultDialog& d = v.open();
    TableView& t = *d.table();
    ASSERT_GT(t.columnCount(), 2 + 10);
    ASSERT_GT(t.rowCount(), 2 + 8);

    const QSize cap = screenCap();
    EXPECT_LE(d.width(), cap.width());
    EXPECT_LE(d.height(), cap.height());
    // The template size stays the smallest size.
    const QSize templateSize = dialogUnitsToPixels(&d, 338, 159);
    EXPECT_EQ(d.minimumSize(), templateSize.expandedTo(d.minimumSizeHint()));
    EXPECT_GT(d.width(), templateSize.width());
    EXPECT_GT(d.height(), templateSize.height());

    // Ten remedy columns and eight rubric rows, unless the screen stopped the growth.
    EXPECT_TRUE(shownRemedyColumns(t) >= 10 || d.width() == cap.width()) << shownRemedyColumns(t);
    EXPECT_GE(t.firstVisibleColumn(), 2);
    const int rows = t.lastVisibleRow() - t.firstVisibleRow() + 1;
    EXPECT_TRUE(rows >= 8 || d.height() == cap.height()) << rows;
    EXPECT_TRUE(d.chart()->isVisible());
    EXPECT_TRUE(d.chart()->height() >= d.chart()->sizeHint().height() ||
                d.height() == cap.height());
    // The header columns take at most half of what the table shows.
    EXPECT_LE(headerWidth(t), t.viewport()->width() / 2);
    EXPECT_GT(t.columnWidth(0), t.columnWidth(1) / 4);

    // Centred over the main window, as far as the screen allows.
    const QPoint offset = d.geometry().center() - v.main.geometry().center();
    EXPECT_LE(std::abs(offset.x()), 2 + std::max(0, d.width() - cap.width() / 2));
}

TEST(ResultViewSize, OpensWithEveryRubricRowTheScreenHasRoomFor) {
    for (const int rubrics : {6, 12, 30}) {
        std::vector<int> numbers;
        for (int i = 0; i < rubrics; ++i) {
            numbers.push_back(1 + 7 * i);
        }
        ViewOverMain v(numbers);
        ResultDialog& d = v.open();
        const TableView& t = *d.table();
        ASSERT_EQ(t.rowCount(), 2 + rubrics);
        const int shownRows = t.lastVisibleRow() - t.firstVisibleRow() + 1;
        // The chart keeps the height it asks for to be read.
        EXPECT_GE(d.chart()->height(), d.chart()->sizeHint().height()) << rubrics;
        if (d.height() < screenCap().height()) {
            EXPECT_EQ(shownRows, rubrics) << rubrics << " rubrics, " << d.height() << " high";
            EXPECT_TRUE(t.isCellVisible(t.rowCount() - 1, 0)) << rubrics;
        } else {
            // The screen stopped the growth: the table has all the height
            // the chart leaves.
            EXPECT_LE(d.chart()->height(), d.chart()->sizeHint().height() + t.logic().rowHeight(2))
                << rubrics;
            EXPECT_GE(shownRows, std::min(rubrics, 15)) << rubrics;
        }
    }
}

TEST(ResultViewSize, ASmallCaseShowsAllItsRowsAndColumnsAndTheHeaderTextsWhole) {
    ViewOverMain v({5, 12});
    ResultDialog& d = v.open();
    TableView& t = *d.table();
    const int bodyRows = t.rowCount() - 2;
    ASSERT_EQ(bodyRows, 2);
    EXPECT_EQ(t.firstVisibleRow(), 2);
    EXPECT_EQ(t.lastVisibleRow(), t.rowCount() - 1);
    // Few remedies: the header columns keep what the remedy columns leave.
    const long long remedies = t.logic().totalColumnWidth(2);
    if (remedies < t.viewport()->width() / 2) {
        EXPECT_EQ(shownRemedyColumns(t), t.columnCount() - 2);
        EXPECT_LE(headerWidth(t), t.viewport()->width() - remedies);
    }
    // The cut header texts keep their tips.
    EXPECT_TRUE(t.logic().titleTips());
}

TEST(ResultViewSize, AStoredPlacementWinsAndStoredWidthsLeaveARemedyColumnInSight) {
    ViewOverMain v({1, 2, 3});
    const QRect screen = QGuiApplication::primaryScreen()->availableGeometry();
    const ScreenRect stored{screen.left() + 20, screen.top() + 30, screen.left() + 620,
                            screen.top() + 430};
    ASSERT_TRUE(
        storePlacement(v.store, settings::kPlacementResult, WindowPlacement{stored, kShowNormal}));
    v.store.writeInt(settings::kColumnsResult, "Col0", 900);
    v.store.writeInt(settings::kColumnsResult, "Col1", 300);
    ResultDialog& d = v.open();
    TableView& t = *d.table();
    EXPECT_EQ(d.geometry(), QRect(stored.left, stored.top, 600, 400));
    // The stored widths are cut in their proportion just so far that the
    // first remedy column shows beside them.
    EXPECT_EQ(t.firstVisibleColumn(), 2);
    EXPECT_LE(headerWidth(t) + t.columnWidth(2), t.viewport()->width());
    EXPECT_GT(headerWidth(t) + t.columnWidth(2) + t.columnWidth(3), t.viewport()->width() - 2);
    EXPECT_NEAR(static_cast<double>(t.columnWidth(0)) / t.columnWidth(1), 3.0, 0.1);

    // Stored widths that leave room are applied as they are.
    v.dialog.reset();
    v.store.writeInt(settings::kColumnsResult, "Col0", 150);
    v.store.writeInt(settings::kColumnsResult, "Col1", 60);
    ResultDialog& again = v.open();
    EXPECT_EQ(again.table()->columnWidth(0), 150);
    EXPECT_EQ(again.table()->columnWidth(1), 60);
}

TEST(ResultViewSize, WithoutTheChartTheTableTakesItsRoom) {
    ViewOverMain v({1, 2, 3, 12, 16});
    v.store.writeInt(settings::kApplication, settings::kRankingChart, 0);
    ResultDialog& d = v.open();
    EXPECT_FALSE(d.chart()->isVisible());
    const TableView& t = *d.table();
    EXPECT_EQ(t.lastVisibleRow(), t.rowCount() - 1);
    // Smaller than with the chart.
    ViewOverMain withChart({1, 2, 3, 12, 16});
    EXPECT_LT(d.height(), withChart.open().height());
}
