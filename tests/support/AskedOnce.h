#pragma once

#include <gtest/gtest.h>

#include <utility>

namespace tessalyn::test_support {

// Installs `function` on a test hook for its lifetime, where the program is
// meant to ask exactly once: a second question fails the test at once, and
// none at all fails it when the guard ends.
template <typename Hook> class AskedOnce {
public:
    AskedOnce(Hook& hook, typename Hook::Function function)
        : guard_(hook.install(
              [this, function = std::move(function)](auto&&... args) -> decltype(auto) {
                  if (++asked_ > 1) {
                      ADD_FAILURE() << "the program asked a second time where it asks once";
                  }
                  return function(std::forward<decltype(args)>(args)...);
              })) {}
    ~AskedOnce() {
        if (asked_ == 0) {
            ADD_FAILURE() << "the program never asked";
        }
    }
    AskedOnce(const AskedOnce&) = delete;
    AskedOnce& operator=(const AskedOnce&) = delete;

    int asked() const { return asked_; }

private:
    int asked_ = 0;
    typename Hook::Guard guard_;
};

} // namespace tessalyn::test_support
