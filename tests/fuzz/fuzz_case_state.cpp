// libFuzzer target for the file that keeps the case on screen between runs:
// any bytes go in; the reader must never crash or trip a sanitizer, must say
// why it refuses a file, and a case it reads must be written and read back
// unchanged.
#include "case/CaseState.h"

#include <cstdint>
#include <cstdlib>
#include <optional>
#include <string>
#include <string_view>

using namespace tessalyn;

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string error;
    const std::optional<CaseSnapshot> read =
        caseStateFromBytes(std::string_view(reinterpret_cast<const char*>(data), size), error);
    if (!read) {
        if (error.empty()) {
            std::abort();
        }
        return 0;
    }
    const std::optional<CaseSnapshot> again = caseStateFromBytes(caseStateBytes(*read), error);
    if (!again || !(*again == *read)) {
        std::abort();
    }
    return 0;
}
