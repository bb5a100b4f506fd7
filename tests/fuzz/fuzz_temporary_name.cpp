// libFuzzer target for the reading of temporary file names: anyone who may
// write the history's folder chooses the names found there, and a save
// removes the temporary files whose maker no longer runs. Any text after
// ".tmp-" is read; one that is accepted must be exactly the name the program
// makes for that process and counter, and every name the program makes (for
// a process id and counter taken from the input) reads back to them.
#include "history/SafeFile.h"

#include <cstdint>
#include <cstring>
#include <limits>
#include <string>
#include <string_view>

#include <sys/types.h>

using namespace tessalyn;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view text(reinterpret_cast<const char*>(data), size);
    if (const auto tag = parseTemporaryTag(text)) {
        require(tag->pid > 0 && tag->pid <= std::numeric_limits<pid_t>::max());
        require(temporaryTag(*tag) == text);
    }

    if (size >= 8) {
        std::uint32_t pid = 0;
        std::uint32_t counter = 0;
        std::memcpy(&pid, data, sizeof pid);
        std::memcpy(&counter, data + 4, sizeof counter);
        const TemporaryTag made{static_cast<long>(pid % std::numeric_limits<pid_t>::max()) + 1,
                                counter};
        require(parseTemporaryTag(temporaryTag(made)) == made);
    }
    return 0;
}
