#pragma once

#include <chrono>
#include <thread>

namespace tessalyn::test_support {

// Waits until `condition` returns true, looking again every `interval`, for
// at most `timeout`; returns whether it came true. For states that no event
// announces, such as what another process holds; widget tests wait with
// QTest::qWaitFor instead.
template <typename Condition>
bool waitUntil(Condition condition, std::chrono::steady_clock::duration timeout,
               std::chrono::steady_clock::duration interval) {
    const auto deadline = std::chrono::steady_clock::now() + timeout;
    while (!condition()) {
        if (std::chrono::steady_clock::now() >= deadline) {
            return false;
        }
        std::this_thread::sleep_for(interval);
    }
    return true;
}

} // namespace tessalyn::test_support
