#pragma once

#include <cstdint>
#include <string>

namespace tessalyn {

class TableLogic;

// Type-ahead over the column names of a table (its row-0 texts): the typed
// characters gather into a text, and the focus goes to the first column whose
// name begins with it. The view of a table with a caption keeps one.
class TypeAhead {
public:
    // Adds `ch` (times in milliseconds; a pause of more than 3000 starts a new
    // text searched from column 0) and focuses the first column from the
    // focused one whose row-0 text begins with it; points, hyphens, blanks and
    // case do not count. Returns the column found, or -1 (the focus stays
    // where it was).
    int type(TableLogic& table, char ch, std::int64_t nowMs);
    // The text typed so far.
    const std::string& text() const { return text_; }

private:
    std::string text_;
    std::int64_t lastMs_ = 0;
    bool started_ = false;
};

} // namespace tessalyn
