#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace tessalyn {

class CaseHistory;
struct FiledCase;

// The name a typed case name (Windows-1252) is filed under: without the blanks
// around it (spaces and no-break spaces). A name with a line break or another
// control character is not filed and nothing is returned: in the history's
// lists it would pass for another name, and the same typed name could not find
// it again. Names already in a history file are read as they are.
std::optional<std::string> filedCaseName(std::string_view typed);

// Why filedCaseName refused a name (Windows-1252).
std::string caseNameWithControlsText();

// How two case names differ when they differ only in a way a reader hardly
// sees: in blanks (spaces and no-break spaces, anywhere in the name) or in the
// case of letters, or both.
enum class NameDifference { Same, Blanks, LetterCase, BlanksAndLetterCase, Other };
NameDifference nameDifference(std::string_view a, std::string_view b);

// Where a typed name would file a treatment in `history`, and the case it is
// easily taken for.
struct CaseNameTarget {
    // filedCaseName of the typed text; none when it is refused.
    std::optional<std::string> name;
    // The case the treatment is appended to (CaseHistory::findCase of the
    // name); nullptr: a new case. Never set for an empty name.
    const FiledCase* existing = nullptr;
    // A case whose name differs from `name` only in blanks or letter case:
    // `existing` when its name is spelt otherwise, else, when a new case is
    // made, the first such case of the history (a name filed earlier with
    // blanks inside or around it): the patient would then be filed a second
    // time under a name that looks the same. nullptr when there is none or
    // the name is empty.
    const FiledCase* lookAlike = nullptr;
    // How `name` differs from the look-alike's name.
    NameDifference difference = NameDifference::Same;
};
CaseNameTarget caseNameTarget(const CaseHistory& history, std::string_view typed);

} // namespace tessalyn
