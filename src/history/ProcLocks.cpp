#include "history/ProcLocks.h"

#include <charconv>
#include <system_error>

#include <sys/sysmacros.h>

namespace tessalyn {

namespace {

bool isBlank(char c) {
    return c == ' ' || c == '\t';
}

// The next blank-separated word of `rest`, taken off it; empty at the end.
std::string_view nextWord(std::string_view& rest) {
    std::size_t start = 0;
    while (start < rest.size() && isBlank(rest[start])) {
        ++start;
    }
    std::size_t end = start;
    while (end < rest.size() && !isBlank(rest[end])) {
        ++end;
    }
    const std::string_view word = rest.substr(start, end - start);
    rest.remove_prefix(end);
    return word;
}

// The whole of `text` as a number in `base`.
template <typename Number> bool readNumber(std::string_view text, Number& value, int base = 10) {
    if (text.empty()) {
        return false;
    }
    const char* end = text.data() + text.size();
    const auto [at, error] = std::from_chars(text.data(), end, value, base);
    return error == std::errc() && at == end;
}

} // namespace

std::optional<ProcLock> parseProcLocksLine(std::string_view line) {
    std::string_view rest = line;
    // "<n>:" numbers the lock.
    const std::string_view number = nextWord(rest);
    if (number.size() < 2 || number.back() != ':') {
        return std::nullopt;
    }
    ProcLock lock;
    std::string_view kind = nextWord(rest);
    if (kind == "->") {
        lock.waiting = true;
        kind = nextWord(rest);
    }
    const std::string_view mode = nextWord(rest);
    const std::string_view access = nextWord(rest);
    const std::string_view pid = nextWord(rest);
    const std::string_view file = nextWord(rest);
    if (kind.empty() || mode.empty() || access.empty() || !readNumber(pid, lock.pid)) {
        return std::nullopt;
    }
    // "<major>:<minor>:<inode>", the device numbers in hexadecimal.
    const std::size_t first = file.find(':');
    const std::size_t second = first == std::string_view::npos ? first : file.find(':', first + 1);
    if (second == std::string_view::npos || !readNumber(file.substr(0, first), lock.major, 16) ||
        !readNumber(file.substr(first + 1, second - first - 1), lock.minor, 16) ||
        !readNumber(file.substr(second + 1), lock.inode)) {
        return std::nullopt;
    }
    return lock;
}

long procLocksHolder(std::string_view locks, std::uint64_t device, std::uint64_t inode,
                     long ownPid) {
    while (!locks.empty()) {
        const std::size_t end = locks.find('\n');
        const std::string_view line = locks.substr(0, end);
        locks.remove_prefix(end == std::string_view::npos ? locks.size() : end + 1);
        const std::optional<ProcLock> lock = parseProcLocksLine(line);
        if (lock && !lock->waiting && lock->pid > 0 && lock->pid != ownPid &&
            lock->inode == inode &&
            static_cast<std::uint64_t>(makedev(lock->major, lock->minor)) == device) {
            return lock->pid;
        }
    }
    return 0;
}

} // namespace tessalyn
