#pragma once

#include <string>

namespace tessalyn {

// What a number field says when its text fails the check (Windows-1252):
// "Bitte geben Sie eine ganze Zahl ein." for a text that holds no integer,
// "Bitte geben Sie eine ganze Zahl zwischen LO und HI ein." for one outside
// the field's range.
std::string notAnIntegerMessage();
std::string integerRangeMessage(int lo, int hi);

} // namespace tessalyn
