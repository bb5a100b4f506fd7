#pragma once

#include <utility>

namespace tessalyn::test_support {

// Sets a process-wide value the program reads (a file layer, a wait, a date)
// through its setter, which returns the previous value, and sets that back
// when the guard ends, so a failing test cannot leave it for the next one.
//     const SeamGuard wait(setHistoryLockWait, std::chrono::milliseconds(0));
template <typename Value, typename Argument> class SeamGuard {
public:
    SeamGuard(Value (*setter)(Argument), Value value)
        : setter_(setter), previous_(setter(std::move(value))) {}
    ~SeamGuard() { setter_(std::move(previous_)); }
    SeamGuard(const SeamGuard&) = delete;
    SeamGuard& operator=(const SeamGuard&) = delete;

private:
    Value (*setter_)(Argument);
    Value previous_;
};

} // namespace tessalyn::test_support
