#pragma once

#include "data/RepertoryData.h"

#include <string>
#include <string_view>

namespace tessalyn {

// Why a content text was refused: the line (1-based; 0 when the fault is not
// tied to one line) and the broken rule.
struct ContentError {
    int line = 0;
    std::string rule;

    // "line N: RULE", or just the rule when there is no line.
    std::string message() const;
};

// Reads repertory content in the tab-separated text format of
// data/repertory.tsv and verifies every invariant the program relies on.
// On failure `data` is left untouched and `error` says why: the program never
// runs on half-loaded tables.
bool loadContent(std::string_view text, RepertoryData& data, ContentError& error);

// Reads content from a file in the same format.
bool loadContentFile(const std::string& path, RepertoryData& data, ContentError& error);

// The content compiled into the program.
std::string_view builtInContentText();
bool loadBuiltInContent(RepertoryData& data, ContentError& error);

// Writes the tables in the content format, without comment lines.
std::string dumpContent(const RepertoryData& data);

} // namespace tessalyn
