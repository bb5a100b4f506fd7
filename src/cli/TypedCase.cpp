#include "cli/TypedCase.h"

namespace tessalyn::cli {

std::unique_ptr<CaseGrid> typeCase(const Context& ctx, Case& theCase, PolarityMode mode,
                                   const std::vector<std::string>& entries) {
    const std::vector<std::string> texts = ctx.texts(entries);
    // A full list takes further typing into its last row, overwriting it; on
    // the command line that would drop entries without a word. Each entry
    // takes a row.
    if (texts.size() > static_cast<std::size_t>(kCaseRowCapacity)) {
        throw UsageError("ein Fall hat höchstens " + std::to_string(kCaseRowCapacity) +
                         " Zeilen, nicht " + std::to_string(texts.size()) + " Einträge");
    }
    auto grid = std::make_unique<CaseGrid>(ctx.data, theCase);
    grid->initialise();
    grid->setPolarityMode(mode);
    // The list keeps an input row below its entries while it has fewer than
    // kCaseRowCapacity rows; counter-polar rows it inserts by itself (mode 0)
    // take rows too.
    bool inputRow = true;
    for (std::size_t i = 0; i < texts.size(); ++i) {
        if (!inputRow) {
            throw UsageError("ein Fall hat höchstens " + std::to_string(kCaseRowCapacity) +
                             " Zeilen; mit den eingefügten Gegenpolen bleibt für den Eintrag " +
                             std::to_string(i + 1) + " (" + entries[i] + ") keine Zeile");
        }
        const int row = theCase.count();
        grid->setCellText(row, 0, texts[i]);
        inputRow = row < kCaseRowCapacity;
    }
    return grid;
}

} // namespace tessalyn::cli
