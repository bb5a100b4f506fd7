#pragma once

#include <QDialog>

#include <functional>
#include <memory>
#include <utility>

namespace tessalyn {

template <typename Signature> class TestHook;

// A process-wide point where a test stands in for something that would wait
// for the user (a modal dialog, a file dialog, a message box, a printer).
// The program asks `if (hook) return hook(...);` before showing the real
// thing; without a test nothing is installed and the real thing runs.
//
// A test installs a function only through install(), whose Guard puts the
// previous function back when it goes out of scope, so a test that fails
// half-way cannot leave its answer behind for the next one. Guards of one
// hook nest: the inner one must end first, as scopes do. The guard counts
// how often the installed function was asked.
template <typename Result, typename... Args> class TestHook<Result(Args...)> {
public:
    using Function = std::function<Result(Args...)>;

    class [[nodiscard]] Guard {
    public:
        // Installs `function` on `hook` until the guard ends.
        Guard(TestHook& hook, Function function)
            : hook_(hook), previous_(std::move(hook.function_)), calls_(std::make_shared<int>(0)) {
            if (function) {
                hook_.function_ = [calls = calls_,
                                   function = std::move(function)](Args... args) -> Result {
                    ++*calls;
                    return function(std::forward<Args>(args)...);
                };
            }
        }
        ~Guard() { hook_.function_ = std::move(previous_); }
        Guard(const Guard&) = delete;
        Guard& operator=(const Guard&) = delete;
        Guard(Guard&&) = delete;
        Guard& operator=(Guard&&) = delete;

        // How often the program asked the installed function so far.
        int calls() const { return *calls_; }

    private:
        TestHook& hook_;
        Function previous_;
        std::shared_ptr<int> calls_;
    };

    TestHook() = default;
    TestHook(const TestHook&) = delete;
    TestHook& operator=(const TestHook&) = delete;

    // Whether a test has installed a function.
    explicit operator bool() const { return static_cast<bool>(function_); }

    Result operator()(Args... args) const { return function_(std::forward<Args>(args)...); }

    // Installs `function` until the returned guard ends; an empty function
    // takes the hook away for that time, so the real thing runs.
    Guard install(Function function) { return Guard(*this, std::move(function)); }

private:
    Function function_;
};

// The exec() of a modal dialog a test may stand in for: while a function is
// installed on `hook`, `standIn` works the dialog through it instead of the
// modal event loop. Either way the dialog's result is returned.
template <typename Signature, typename StandIn>
int execUnlessHooked(QDialog& dialog, const TestHook<Signature>& hook, StandIn standIn) {
    if (!hook) {
        return dialog.QDialog::exec();
    }
    standIn();
    return dialog.result();
}

} // namespace tessalyn
