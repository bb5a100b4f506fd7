#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace tessalyn {

// One lock as the kernel lists it in /proc/locks, e.g.
// "1: FLOCK  ADVISORY  WRITE 1234 08:01:5678 0 EOF".
struct ProcLock {
    long pid = 0; // the holder; -1 for a lock of an open file without a process
    unsigned major = 0;
    unsigned minor = 0;
    std::uint64_t inode = 0;
    bool waiting = false; // "->": a process waiting for the lock, not holding it
};

// Reads one line of /proc/locks (without its line end); nothing when the line
// has not that form. Any bytes are safe to give.
std::optional<ProcLock> parseProcLocksLine(std::string_view line);

// The first process other than `ownPid` that holds a lock on the file
// `device`/`inode` (as stat gives them) according to `locks`, the whole text
// of /proc/locks; 0 when none is listed.
long procLocksHolder(std::string_view locks, std::uint64_t device, std::uint64_t inode,
                     long ownPid);

} // namespace tessalyn
