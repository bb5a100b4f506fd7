#include "history/CaseName.h"

#include "data/Cp1252.h"
#include "history/CaseHistory.h"

#include <algorithm>

namespace tessalyn {

namespace {

// Windows-1252's no-break space counts as a blank too.
bool isNameBlank(char c) {
    return c == ' ' || c == static_cast<char>(0xA0);
}

std::string withoutBlanks(std::string_view text) {
    std::string out;
    out.reserve(text.size());
    std::copy_if(text.begin(), text.end(), std::back_inserter(out),
                 [](char c) { return !isNameBlank(c); });
    return out;
}

} // namespace

std::optional<std::string> filedCaseName(std::string_view typed) {
    if (std::any_of(typed.begin(), typed.end(),
                    [](char c) { return isCp1252Control(static_cast<unsigned char>(c)); })) {
        return std::nullopt;
    }
    while (!typed.empty() && isNameBlank(typed.front())) {
        typed.remove_prefix(1);
    }
    while (!typed.empty() && isNameBlank(typed.back())) {
        typed.remove_suffix(1);
    }
    return std::string(typed);
}

std::string caseNameWithControlsText() {
    return "Ein Fallname darf keine Zeilenumbrüche oder Steuerzeichen enthalten."_cp1252;
}

NameDifference nameDifference(std::string_view a, std::string_view b) {
    if (a == b) {
        return NameDifference::Same;
    }
    if (cp1252EqualsIgnoreCase(a, b)) {
        return NameDifference::LetterCase;
    }
    const std::string bareA = withoutBlanks(a);
    const std::string bareB = withoutBlanks(b);
    if (bareA == bareB) {
        return NameDifference::Blanks;
    }
    if (cp1252EqualsIgnoreCase(bareA, bareB)) {
        return NameDifference::BlanksAndLetterCase;
    }
    return NameDifference::Other;
}

CaseNameTarget caseNameTarget(const CaseHistory& history, std::string_view typed) {
    CaseNameTarget target;
    target.name = filedCaseName(typed);
    if (!target.name || target.name->empty()) {
        return target;
    }
    target.existing = history.findCase(*target.name);
    if (target.existing != nullptr) {
        target.difference = nameDifference(*target.name, target.existing->name);
        if (target.difference != NameDifference::Same) {
            target.lookAlike = target.existing;
        }
        return target;
    }
    for (const auto& filed : history.cases()) {
        const NameDifference difference = nameDifference(*target.name, filed->name);
        if (difference != NameDifference::Other) {
            target.lookAlike = filed.get();
            target.difference = difference;
            break;
        }
    }
    return target;
}

} // namespace tessalyn
