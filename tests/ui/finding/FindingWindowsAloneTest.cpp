// The finding windows built on their own, over a context a test fills in:
// what they hand back goes to a recording callback, not into a case grid.
#include "ui/finding/FindingContext.h"

#include "case/NumberText.h"
#include "data/TestContent.h"
#include "settings/ColumnWidths.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/AskedOnce.h"
#include "support/MessageRecorder.h"
#include "ui/UserDriving.h"
#include "ui/finding/RemedyOverviewDialog.h"
#include "ui/finding/SymptomSearchDialog.h"
#include "ui/finding/TextSearchDialog.h"
#include "ui/table/TableView.h"
#include "ui/widgets/IconPushButton.h"

#include <QComboBox>
#include <QLineEdit>
#include <QTest>
#include <QTreeView>

#include <gtest/gtest.h>

#include <vector>

using namespace tessalyn;

namespace {

// A context over the built-in content and an in-memory store that records
// every rubric handed back.
struct Finding {
    Finding() {
        context.data = &test::builtIn();
        context.store = &store;
        context.options = &options;
        context.takeReference = [this](const SymptomRef& ref) { taken.push_back(ref); };
    }

    MemorySettingsStore store;
    ProgramSettings options;
    std::vector<SymptomRef> taken;
    FindingContext context;
};

} // namespace

TEST(FindingWindowsAlone, ChapterTreeHandsRubricsToTheCallbackAndUsesTheContextFont) {
    Finding f;
    QFont font(QStringLiteral("DejaVu Serif"), 13);
    f.context.tableFont = font;
    SymptomSearchDialog d(f.context);
    d.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.tree()->font(), font);
    EXPECT_EQ(d.model()->rowCount(), 32);

    const RepertoryTreeModel& m = *d.model();
    d.tree()->setCurrentIndex(m.headingItem(0));
    {
        test_support::MessageRecorder messages;
        QTest::mouseClick(d.addButton(), Qt::LeftButton);
        EXPECT_EQ(messages.texts().size(), 1) << "says why";
    }
    EXPECT_TRUE(f.taken.empty()) << "a heading of several rubrics is no rubric";
    d.tree()->setCurrentIndex(m.rubricItem(41));
    QTest::mouseClick(d.addButton(), Qt::LeftButton);
    EXPECT_EQ(f.taken, (std::vector<SymptomRef>{{42, 0}}));
    EXPECT_TRUE(d.isVisible());

    QTest::mouseClick(d.acceptButton(), Qt::LeftButton);
    EXPECT_EQ(f.taken, (std::vector<SymptomRef>{{42, 0}, {42, 0}}));
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(f.store.readInt(settings::kPlacementSymptomSearch, "(check)", 0), 32639);
}

TEST(FindingWindowsAlone, TextSearchReadsSpaltenbreiteWhenItHides) {
    Finding f;
    TextSearchDialog d(f.context);
    d.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));

    QTest::keyClicks(d.searchField(), QStringLiteral("open air"));
    const int row = test::rowWithNumber(*d.table(), 2);
    ASSERT_GT(row, 0);
    test::clickCell(*d.table(), row, 0, true);
    EXPECT_EQ(f.taken, (std::vector<SymptomRef>{{2, 0}}));

    // "Spaltenbreite" off: hiding stores no widths; switched on while the
    // window stays open, the next hide stores them.
    f.options.saveColumnWidths = false;
    QTest::mouseClick(d.backButton(), Qt::LeftButton);
    EXPECT_FALSE(d.isVisible());
    EXPECT_EQ(f.store.readInt(settings::kColumnsTextSearch, columnWidthName(0), -1), -1);
    f.options.saveColumnWidths = true;
    d.showWindow();
    QTest::mouseClick(d.backButton(), Qt::LeftButton);
    EXPECT_EQ(f.store.readInt(settings::kColumnsTextSearch, columnWidthName(0), -1), 60);
}

TEST(FindingWindowsAlone, TextSearchShownAgainAfterTakingARubricTakesTypingAfresh) {
    Finding f;
    TextSearchDialog d(f.context);
    d.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    QTest::keyClicks(d.searchField(), QStringLiteral("open air"));
    const QString caption = d.windowTitle();
    EXPECT_TRUE(caption.startsWith(QStringLiteral("Textuelle Symptomsuche: ")))
        << caption.toStdString();
    const int row = test::rowWithNumber(*d.table(), 2);
    ASSERT_GT(row, 0);
    QTest::mouseClick(d.table()->viewport(), Qt::LeftButton, {},
                      d.table()->cellRect(row, 0).center());
    ASSERT_EQ(d.focusWidget(), d.table());
    QTest::mouseClick(d.acceptButton(), Qt::LeftButton);
    EXPECT_EQ(f.taken, (std::vector<SymptomRef>{{2, 0}}));
    ASSERT_FALSE(d.isVisible());

    // Shown again: the table is empty and the caption says so, typing goes
    // into "Suchtext" over its selected text, and the same text finds again.
    d.showWindow();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&d));
    EXPECT_EQ(d.focusWidget(), d.searchField());
    EXPECT_EQ(d.searchField()->selectedText(), QStringLiteral("open air"));
    EXPECT_EQ(d.windowTitle(), QStringLiteral("Textuelle Symptomsuche"));
    EXPECT_LT(test::rowWithNumber(*d.table(), 2), 0);
    QTest::keyClicks(d.searchField(), QStringLiteral("open air"));
    EXPECT_EQ(d.searchField()->text(), QStringLiteral("open air"));
    EXPECT_EQ(test::rowWithNumber(*d.table(), 2), row);
    EXPECT_EQ(d.windowTitle(), caption);
}

TEST(FindingWindowsAlone, RemedyOverviewReturnsTheRubricThroughItsGetter) {
    Finding f;
    RemedyOverviewDialog d(f.context);
    int expected = 0;
    const test_support::AskedOnce overview(
        RemedyOverviewDialog::testHook(), [&](RemedyOverviewDialog& shown) {
            shown.remedyBox()->lineEdit()->clear();
            QTest::keyClicks(shown.remedyBox()->lineEdit(), QStringLiteral("acon"));
            QTest::mouseClick(shown.searchButton(), Qt::LeftButton);
            expected = leadingInteger(shown.table()->cellText(1, 0));
            test::clickCell(*shown.table(), 1, 0, true);
        });
    const int result = d.exec();
    EXPECT_EQ(result, QDialog::Accepted);
    ASSERT_GT(expected, 0);
    EXPECT_EQ(d.reference(), (SymptomRef{expected, 0}));
    EXPECT_TRUE(f.taken.empty()) << "the caller applies the getter's rubric";
}
