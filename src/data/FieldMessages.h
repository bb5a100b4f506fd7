#pragma once

#include <string>

namespace tessalyn {

// The outcome of checking the text of a whole-number field.
enum class FieldCheck {
    Ok,
    NotAnInteger, // the text holds no integer
    OutOfRange,   // an integer outside the field's range
};

// What a number field says when its text fails the check (Windows-1252):
// "Bitte geben Sie eine ganze Zahl ein." for NotAnInteger, "Bitte geben Sie
// eine ganze Zahl zwischen LO und HI ein." for OutOfRange; empty for Ok.
std::string fieldCheckMessage(FieldCheck check, int lo, int hi);

} // namespace tessalyn
