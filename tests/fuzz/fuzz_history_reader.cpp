// libFuzzer target for the history reader: any bytes go in; the reader must
// never crash, leak or trip a sanitizer, report at most one error, and what
// it read must survive a save and a reload unchanged.
#include "history/CaseHistory.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

using namespace tessalyn;

namespace {

// Writing turns every line feed into CR LF, and reading keeps CR LF; so a
// line feed without a CR before it is the only thing a save changes.
std::string afterSave(const std::string& text) {
    std::string out;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r')) {
            out += '\r';
        }
        out += text[i];
    }
    return out;
}

bool sameAfterSave(const CaseHistory& read, const CaseHistory& reread) {
    if (read.caseCount() != reread.caseCount()) {
        return false;
    }
    for (std::size_t c = 0; c < read.caseCount(); ++c) {
        const FiledCase& a = *read.cases()[c];
        const FiledCase& b = *reread.cases()[c];
        if (afterSave(a.name) != b.name || a.treatments.size() != b.treatments.size()) {
            return false;
        }
        for (std::size_t t = 0; t < a.treatments.size(); ++t) {
            const Treatment& x = *a.treatments[t];
            const Treatment& y = *b.treatments[t];
            if (afterSave(x.date) != y.date || afterSave(x.comment) != y.comment ||
                x.preferred != y.preferred || x.symptoms != y.symptoms) {
                return false;
            }
        }
    }
    return true;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view bytes(reinterpret_cast<const char*>(data), size);
    CollectingHistoryReporter reporter;
    CaseHistory history;
    history.loadBytes(bytes, "fuzz.xml", &reporter);
    const bool syntaxError = history.loadStatus() == HistoryLoadStatus::SyntaxError;
    if (reporter.messages().size() != (syntaxError ? 1u : 0u)) {
        std::abort();
    }

    const std::string saved = history.fileBytes();
    CollectingHistoryReporter reporter2;
    CaseHistory reread;
    reread.loadBytes(saved, "fuzz.xml", &reporter2);
    if (!reread.loadOk() || !reporter2.messages().empty() || !sameAfterSave(history, reread)) {
        std::abort();
    }
    // Once every line break is CR LF, saving and reloading changes nothing.
    const std::string savedAgain = reread.fileBytes();
    CaseHistory third;
    third.loadBytes(savedAgain, "fuzz.xml", nullptr);
    if (!third.loadOk() || third.fileBytes() != savedAgain) {
        std::abort();
    }

    // The other operations on whatever was read.
    for (const auto& c : history.cases()) {
        for (const auto& t : c->treatments) {
            (void)treatmentLabel(*t);
        }
    }
    history.sortCases(true);
    history.sortCases(false);
    if (history.caseCount() > 0) {
        FiledCase* first = history.cases()[0].get();
        if (history.findCase(first->name) == nullptr) {
            std::abort();
        }
        history.removeCase(first);
    }
    return 0;
}
