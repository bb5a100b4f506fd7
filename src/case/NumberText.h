#pragma once

#include "data/RepertoryData.h"

#include <optional>
#include <string_view>

namespace tessalyn {

// Result of reading a number text such as "12", "-40", "12 BD 3".
struct ParsedNumber {
    SymptomRef ref; // number and BD value as read
    bool valid = false;
};

// Leading decimal integer of a text as the C library reads it: leading blanks
// skipped, an optional sign, then digits up to the first other character; 0
// when there is none. Values beyond the 32-bit range saturate.
std::int32_t leadingInteger(std::string_view text);

// Reads a number text into a symptom reference. The BD value is 0 unless the
// text carries a marker: from the second character up to the end or the first
// tab, wherever a D (or d) follows a B (or b), the BD value becomes the integer
// after the D, or 1 when the D is last or a tab follows it; a later marker
// replaces an earlier one. Valid when the number is not 0, its absolute value
// is at most 8385 and the BD value is 0.
ParsedNumber parseNumberText(std::string_view text);

// How a finding window hands a hit to the case, by the way the user took it.
enum class HitTakeOver {
    // A double-click on a hit of the text search: only a valid number.
    ValidOnly,
    // "Übernehmen" and a double-click in the remedy overview: any number, an
    // invalid one with BD 0 (the case grid turns it into an empty row).
    InvalidAsEmptyRow,
    // "Hinzufügen": any number above 0, as read.
    PositiveNumber,
};

// The reference the number text of a hit row hands to the case under `rule`;
// none for an empty text (no hit row) or a number the rule refuses.
std::optional<SymptomRef> hitReference(std::string_view numberText, HitTakeOver rule);

} // namespace tessalyn
