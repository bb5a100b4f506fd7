// Finding the holder of a kernel lock in the text of /proc/locks: only a
// holder (not a waiter) of exactly that file, never the asking process itself,
// and nothing from lines of another form.
#include "history/ProcLocks.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include <sys/sysmacros.h>

using namespace tessalyn;

TEST(ProcLocks, TheHolderIsAnotherProcessHoldingThatVeryFile) {
    constexpr long kOwn = 700;
    const auto device = static_cast<std::uint64_t>(makedev(0x103, 0x2c));
    constexpr std::uint64_t kInode = 5678;
    struct Case {
        const char* what;
        std::string locks;
        long holder;
    };
    const std::vector<Case> cases = {
        {"another holder", "1: FLOCK  ADVISORY  WRITE 4321 103:2c:5678 0 EOF\n", 4321},
        {"the own process first, then another",
         "1: FLOCK  ADVISORY  WRITE 700 103:2c:5678 0 EOF\n"
         "2: FLOCK  ADVISORY  WRITE 4321 103:2c:5678 0 EOF",
         4321},
        {"only the own process", "1: FLOCK  ADVISORY  WRITE 700 103:2c:5678 0 EOF\n", 0},
        {"a waiter is no holder", "1: -> FLOCK  ADVISORY  WRITE 4321 103:2c:5678 0 EOF\n", 0},
        {"an indented waiter, then the holder",
         " 1: -> FLOCK  ADVISORY  WRITE 4322 103:2c:5678 0 EOF\n"
         "1: POSIX  ADVISORY  WRITE 4321 103:2c:5678 0 EOF\n",
         4321},
        {"another inode", "1: FLOCK  ADVISORY  WRITE 4321 103:2c:56789 0 EOF\n", 0},
        {"another device", "1: FLOCK  ADVISORY  WRITE 4321 03:2c:5678 0 EOF\n", 0},
        {"a lock without a process", "1: OFDLCK ADVISORY  READ  -1 103:2c:5678 0 EOF\n", 0},
        {"a file without an inode", "1: LEASE  ACTIVE    READ  4321 <none>:0 0 EOF\n", 0},
        {"numbers out of range",
         "1: FLOCK  ADVISORY  WRITE 99999999999999999999 103:2c:5678 0 EOF\n"
         "2: FLOCK  ADVISORY  WRITE 4321 1ffffffff:2c:5678 0 EOF\n",
         0},
        {"cut-off and stray lines",
         "1: FLOCK  ADVISORY  WRITE 4321\n1: FLOCK\n\n:\n1 FLOCK ADVISORY WRITE 4321 "
         "103:2c:5678\n1: FLOCK  ADVISORY  WRITE 4321 103:2c:5678x 0 EOF\n",
         0},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(procLocksHolder(c.locks, device, kInode, kOwn), c.holder) << c.what;
    }
}
