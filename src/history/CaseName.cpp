#include "history/CaseName.h"

#include "data/Cp1252.h"

#include <algorithm>

namespace tessalyn {

std::optional<std::string> filedCaseName(std::string_view typed) {
    if (std::any_of(typed.begin(), typed.end(),
                    [](char c) { return isCp1252Control(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    // Windows-1252's no-break space counts as a blank too.
    const auto blank = [](char c) { return c == ' ' || c == static_cast<char>(0xA0); };
    while (!typed.empty() && blank(typed.front())) {
        typed.remove_prefix(1);
    }
    while (!typed.empty() && blank(typed.back())) {
        typed.remove_suffix(1);
    }
    return std::string(typed);
}

std::string caseNameWithControlsText() {
    return "Ein Fallname darf keine Zeilenumbrüche oder Steuerzeichen enthalten."_cp1252;
}

} // namespace tessalyn
