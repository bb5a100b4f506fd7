// libFuzzer target for the typed number text ("12", "-40", "12+34",
// "12 BD 3"): the first byte of an input picks the polarity mode, the rest is
// what the user types into the input row of the symptom list.
//
// Checked for each "+" part: the leading integer is what the C library reads,
// saturated to 32 bits; a number text written back from what was read reads
// the same; a valid text names a rubric with BD 0; each way of taking a hit
// follows its rule. For the whole text: the row's text that typing leaves
// behind, typed again, gives the same text and the same entries.
#include "FuzzContent.h"
#include "case/Case.h"
#include "case/CaseGrid.h"
#include "case/NumberText.h"

#include <climits>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>
#include <vector>

using namespace tessalyn;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

void checkPart(std::string_view part) {
    const std::string terminated(part);
    long long expected = std::strtoll(terminated.c_str(), nullptr, 10);
    expected = expected > INT32_MAX ? INT32_MAX : (expected < INT32_MIN ? INT32_MIN : expected);
    // strtoll stops at the first NUL; the text may go on behind it.
    if (terminated.find('\0') == std::string::npos) {
        require(leadingInteger(part) == expected);
    }

    const ParsedNumber parsed = parseNumberText(part);
    if (parsed.valid) {
        require(parsed.ref.bd == 0 && parsed.ref.number != 0 &&
                parsed.ref.number >= -kRubricCount && parsed.ref.number <= kRubricCount);
    }
    std::string written = std::to_string(parsed.ref.number);
    if (parsed.ref.bd != 0) {
        written += " BD " + std::to_string(parsed.ref.bd);
    }
    const ParsedNumber reread = parseNumberText(written);
    require(reread.ref == parsed.ref && reread.valid == parsed.valid);

    const auto validOnly = hitReference(part, HitTakeOver::ValidOnly);
    const auto emptyRow = hitReference(part, HitTakeOver::InvalidAsEmptyRow);
    const auto positive = hitReference(part, HitTakeOver::PositiveNumber);
    if (part.empty()) {
        require(!validOnly && !emptyRow && !positive);
        return;
    }
    require(validOnly.has_value() == parsed.valid && (!validOnly || *validOnly == parsed.ref));
    require(emptyRow && emptyRow->number == parsed.ref.number &&
            emptyRow->bd == (parsed.valid ? parsed.ref.bd : 0));
    require(positive.has_value() == (parsed.ref.number > 0) &&
            (!positive || *positive == parsed.ref));
}

struct Typed {
    std::string cell;
    std::vector<SymptomRef> chain; // the row's entry and the ones joined by "+"
    int count = 0;
};

Typed type(PolarityMode mode, const std::string& text) {
    // One grid for all runs, emptied for each: a new case and grid cost more
    // than the typing itself.
    static Case theCase;
    static CaseGrid grid(fuzz::builtIn(), theCase);
    grid.initialise();
    grid.setPolarityMode(mode);
    const int row = theCase.count();
    grid.setCellText(row, 0, text);
    Typed typed{grid.cellText(row, 0), {}, theCase.count()};
    for (const CaseEntry* e = &theCase.entry(row - 1); e != nullptr; e = e->next.get()) {
        typed.chain.push_back(e->ref());
    }
    return typed;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const auto mode = static_cast<PolarityMode>(data[0] % 3);
    const std::string text(reinterpret_cast<const char*>(data) + 1, size - 1);

    checkPart(text);
    std::string_view rest(text);
    for (;;) {
        const std::size_t plus = rest.find('+');
        checkPart(rest.substr(0, plus));
        if (plus == std::string_view::npos) {
            break;
        }
        rest.remove_prefix(plus + 1);
    }

    const Typed once = type(mode, text);
    const Typed twice = type(mode, once.cell);
    require(twice.cell == once.cell && twice.chain == once.chain && twice.count == once.count);
    return 0;
}
