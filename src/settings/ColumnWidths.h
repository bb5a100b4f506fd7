#pragma once

#include "settings/ProgramSettings.h"
#include "settings/SettingsStore.h"

#include <string>
#include <string_view>

namespace tessalyn {

class TableLogic;

// Widest column width taken back from the store; larger stored values are
// cut to it so that sums of widths stay far from overflowing.
inline constexpr int kMaxRestoredColumnWidth = 32767;

// Value name of column n's width: "Col0", "Col1", ...
std::string columnWidthName(int column);

// Writes "Col%d" = width of columns 0 .. count-1 (all columns when count is
// below 1, never more than the table has) into `section`. Does nothing when
// "Spaltenbreite" is off. Returns the number of widths written.
int storeColumnWidths(const ProgramSettings& settings, const TableLogic& table,
                      SettingsStore& store, std::string_view section, int count);

// Reads the same values (default -1) and applies each one above 0 to its
// column. Does nothing when "Spaltenbreite" is off. Returns the number of
// widths applied.
int restoreColumnWidths(const ProgramSettings& settings, TableLogic& table,
                        const SettingsStore& store, std::string_view section, int count);

} // namespace tessalyn
