#pragma once

#include "case/CaseSnapshot.h"

#include <optional>
#include <string>
#include <string_view>

namespace tessalyn {

// The case on screen as the bytes of the file that keeps it between two runs
// of the program: everything a CaseSnapshot holds (the name, every entry in
// use with its "+" chain, weight and mark, and the rows' number texts), as
// Windows-1252 text lines ending in CR LF. The first line names the format,
// the last one counts the rows, so a file cut short is told from a whole one.
std::string caseStateBytes(const CaseSnapshot& snapshot);

// Reads what caseStateBytes wrote. Anything else (another file, a file cut
// short, a value out of range) gives nothing and `error` says why in German
// (Windows-1252); the bytes are never trusted further than they were checked.
std::optional<CaseSnapshot> caseStateFromBytes(std::string_view bytes, std::string& error);

} // namespace tessalyn
