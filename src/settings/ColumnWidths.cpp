#include "settings/ColumnWidths.h"

#include "table/TableLogic.h"

#include <algorithm>

namespace tessalyn {

namespace {

int columnsToHandle(const TableLogic& table, int count) {
    const int columns = table.columnCount();
    return count < 1 ? columns : std::min(count, columns);
}

} // namespace

std::string columnWidthName(int column) {
    return "Col" + std::to_string(column);
}

int storeColumnWidths(const ProgramSettings& settings, const TableLogic& table,
                      SettingsStore& store, std::string_view section, int count) {
    if (!settings.saveColumnWidths) {
        return 0;
    }
    const int n = columnsToHandle(table, count);
    int written = 0;
    for (int col = 0; col < n; ++col) {
        if (store.writeInt(section, columnWidthName(col), table.columnWidth(col))) {
            ++written;
        }
    }
    return written;
}

int restoreColumnWidths(const ProgramSettings& settings, TableLogic& table,
                        const SettingsStore& store, std::string_view section, int count) {
    if (!settings.saveColumnWidths) {
        return 0;
    }
    const int n = columnsToHandle(table, count);
    int applied = 0;
    for (int col = 0; col < n; ++col) {
        const int width = store.readInt(section, columnWidthName(col), -1);
        if (width > 0 && table.setColumnWidth(col, std::min(width, kMaxRestoredColumnWidth))) {
            ++applied;
        }
    }
    return applied;
}

} // namespace tessalyn
