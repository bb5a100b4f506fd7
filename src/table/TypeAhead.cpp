#include "table/TypeAhead.h"

#include "data/Cp1252.h"
#include "table/TableLogic.h"

#include <algorithm>
#include <string_view>

namespace tessalyn {

namespace {

// A pause longer than this starts a new type-ahead text.
constexpr std::int64_t kTypeAheadPauseMs = 3000;

// Upper case without ".", "-" and blanks: the form in which type-ahead compares.
std::string foldForTypeAhead(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    for (char c : text) {
        if (c == '.' || c == '-' || c == ' ') {
            continue;
        }
        out.push_back(cp1252ToUpper(c));
    }
    return out;
}

} // namespace

int TypeAhead::type(TableLogic& table, char ch, std::int64_t nowMs) {
    if (ch == '\t' || ch == '\x1b' || ch == '\0') {
        return -1;
    }
    int start = table.focusColumn() < 0 ? 0 : table.focusColumn();
    if (!started_ || nowMs - lastMs_ > kTypeAheadPauseMs) {
        text_.clear();
        start = 0;
    }
    started_ = true;
    lastMs_ = nowMs;
    text_.push_back(ch);
    const int headerRows = table.headerRowCount();
    if (table.rowCount() <= headerRows) {
        return -1;
    }

    // Header columns cannot take the focus, so the search begins after them.
    const std::string wanted = foldForTypeAhead(text_);
    for (int c = std::max(start, table.headerColumnCount()); c < table.columnCount(); ++c) {
        const std::string name = foldForTypeAhead(table.rawCellText(0, c));
        if (name.compare(0, wanted.size(), wanted) == 0) {
            table.setFocusCell(headerRows, c);
            table.ensureVisible(headerRows, c);
            return c;
        }
    }
    return -1;
}

} // namespace tessalyn
