#pragma once

#include <string>
#include <string_view>

namespace tessalyn {

class TableLogic;

// The clipboard text of a table's selection and the pasting of clipboard text
// into a table. Texts are Windows-1252 bytes; every cell is written through
// the table's (overridable) setCellText.

// Tab after every column but the last of the selection's bounding range, "\n"
// between rows; hidden rows and columns skipped. Empty when nothing is selected
// (the caller then leaves the clipboard alone).
std::string selectionText(const TableLogic& table);
// The selection's text; then, when the table is editable, the selected cells
// that are not read-only are emptied.
std::string cutSelectionText(TableLogic& table);
// Tab- and line-separated text into the cells from the focus on (from the
// first non-header cell without a focus), cut at the table's edges; only when
// editable. Returns whether any cell was written.
bool pasteText(TableLogic& table, std::string_view text);

} // namespace tessalyn
