#include "settings/ColumnWidths.h"
#include "settings/MemorySettingsStore.h"
#include "support/TestSettingsStore.h"
#include "table/TableLogic.h"

#include <gtest/gtest.h>

using namespace tessalyn;

namespace {

const char* const kKey = "Spalten/Textsuche";

void giveWidths(TableLogic& table, std::initializer_list<int> widths) {
    table.setColumnCount(static_cast<int>(widths.size()));
    int col = 0;
    for (int w : widths) {
        table.setColumnWidth(col++, w);
    }
}

} // namespace

TEST(ColumnWidths, StoresAllColumnsOrTheGivenCount) {
    const ProgramSettings on;
    TableLogic table;
    giveWidths(table, {40, 0, 250, 75});

    MemorySettingsStore all;
    EXPECT_EQ(storeColumnWidths(on, table, all, kKey, 0), 4);
    EXPECT_EQ(all.readInt(kKey, "Col0", -1), 40);
    EXPECT_EQ(all.readInt(kKey, "Col1", -1), 0);
    EXPECT_EQ(all.readInt(kKey, "Col3", -1), 75);

    MemorySettingsStore two;
    EXPECT_EQ(storeColumnWidths(on, table, two, kKey, 2), 2);
    EXPECT_EQ(two.size(), 2u);

    MemorySettingsStore more;
    EXPECT_EQ(storeColumnWidths(on, table, more, kKey, 9), 4) << "never past the last column";
    EXPECT_FALSE(more.contains(kKey, "Col4"));
}

TEST(ColumnWidths, RestoresOnlyPositiveWidths) {
    const ProgramSettings on;
    TableLogic table;
    giveWidths(table, {10, 20, 30, 40, 50});
    MemorySettingsStore store;
    store.set(kKey, "Col0", 111);
    store.set(kKey, "Col1", 0);
    store.set(kKey, "Col2", -7);
    store.set(kKey, "Col3", std::string("90"));
    store.set(kKey, "Col4", 2000000000);

    EXPECT_EQ(restoreColumnWidths(on, table, store, kKey, -1), 2);
    EXPECT_EQ(table.columnWidth(0), 111);
    EXPECT_EQ(table.columnWidth(1), 20);
    EXPECT_EQ(table.columnWidth(2), 30);
    EXPECT_EQ(table.columnWidth(3), 40) << "a text value is ignored";
    EXPECT_EQ(table.columnWidth(4), kMaxRestoredColumnWidth);

    // Only the first n columns when a count is given.
    store.set(kKey, "Col1", 222);
    store.set(kKey, "Col2", 333);
    EXPECT_EQ(restoreColumnWidths(on, table, store, kKey, 2), 2);
    EXPECT_EQ(table.columnWidth(1), 222);
    EXPECT_EQ(table.columnWidth(2), 30);
}

TEST(ColumnWidths, NothingReadOrWrittenWhenSwitchedOff) {
    ProgramSettings off;
    off.saveColumnWidths = false;
    TableLogic table;
    giveWidths(table, {10, 20});
    test_support::TestSettingsStore store;
    store.set(kKey, "Col0", 99);
    EXPECT_EQ(storeColumnWidths(off, table, store, kKey, 0), 0);
    EXPECT_EQ(store.writeAttempts(), 0);
    EXPECT_EQ(restoreColumnWidths(off, table, store, kKey, 0), 0);
    EXPECT_EQ(table.columnWidth(0), 10);
}
