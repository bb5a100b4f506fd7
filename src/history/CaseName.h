#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessalyn {

// The name a typed case name (Windows-1252) is filed under: without the blanks
// around it (spaces and no-break spaces). A name with a line break or another
// control character is not filed and nothing is returned: in the history's
// lists it would pass for another name, and the same typed name could not find
// it again. Names already in a history file are read as they are.
std::optional<std::string> filedCaseName(std::string_view typed);

// Why filedCaseName refused a name (Windows-1252).
std::string caseNameWithControlsText();

} // namespace tessalyn
