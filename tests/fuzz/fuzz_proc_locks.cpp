// libFuzzer target for the reading of /proc/locks, which names the process
// that holds a history's lock: any text is read as the kernel's list. The
// first byte picks the file asked about and the process asking, both from
// what the text itself lists, so that the text can name them.
//
// Checked: a line read, written again in the kernel's form, reads the same; a
// holder found is never the process asking, never a waiting one, and is the
// first line that holds a lock on that very file.
#include "history/ProcLocks.h"

#include <cinttypes>
#include <cstdint>
#include <cstdio>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include <sys/sysmacros.h>

using namespace tessalyn;

namespace {

void require(bool condition) {
    if (!condition) {
        __builtin_trap();
    }
}

// The lines as the kernel writes them: ended by line feeds.
std::vector<std::string_view> splitLines(std::string_view text) {
    std::vector<std::string_view> lines;
    while (!text.empty()) {
        const std::size_t end = text.find('\n');
        lines.push_back(text.substr(0, end));
        text.remove_prefix(end == std::string_view::npos ? text.size() : end + 1);
    }
    return lines;
}

// A lock in the kernel's own form, e.g. "7: -> FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF".
std::string kernelLine(const ProcLock& lock) {
    char file[64];
    std::snprintf(file, sizeof file, "%02x:%02x:%" PRIu64, lock.major, lock.minor, lock.inode);
    return std::string("7: ") + (lock.waiting ? "-> " : "") + "FLOCK  ADVISORY  WRITE " +
           std::to_string(lock.pid) + " " + file + " 0 EOF";
}

bool sameLock(const ProcLock& a, const ProcLock& b) {
    return a.pid == b.pid && a.major == b.major && a.minor == b.minor && a.inode == b.inode &&
           a.waiting == b.waiting;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size == 0) {
        return 0;
    }
    const std::uint8_t pick = data[0];
    const std::string_view text(reinterpret_cast<const char*>(data) + 1, size - 1);

    std::vector<ProcLock> locks; // every line read, in order
    for (const std::string_view line : splitLines(text)) {
        if (const std::optional<ProcLock> lock = parseProcLocksLine(line)) {
            const std::optional<ProcLock> again = parseProcLocksLine(kernelLine(*lock));
            require(again && sameLock(*again, *lock));
            locks.push_back(*lock);
        }
    }

    // The file of one listed lock (or of none), asked about by the holder of
    // another listed lock (or by a process not listed).
    const std::size_t count = locks.size() + 1;
    const ProcLock none{};
    const ProcLock& file = pick % count < locks.size() ? locks[pick % count] : none;
    const ProcLock& asking = pick / 16 % count < locks.size() ? locks[pick / 16 % count] : none;
    const std::uint64_t device = makedev(file.major, file.minor);
    const long ownPid = asking.pid;
    const long holder = procLocksHolder(text, device, file.inode, ownPid);

    long expected = 0;
    for (const ProcLock& lock : locks) {
        if (!lock.waiting && lock.pid > 0 && lock.pid != ownPid && lock.inode == file.inode &&
            lock.major == file.major && lock.minor == file.minor) {
            expected = lock.pid;
            break;
        }
    }
    require(holder == expected && (holder == 0 || holder != ownPid));
    return 0;
}
