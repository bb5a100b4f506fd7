#include "ui/widgets/TestHook.h"

#include "support/AskedOnce.h"

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <string>

using namespace tessalyn;

namespace {

using NameHook = TestHook<std::string(int number)>;

// What the program would do: the hook's answer while one is installed.
std::string ask(NameHook& hook, int number) {
    return hook ? hook(number) : std::string("real");
}

} // namespace

TEST(TestHook, GuardsNestAndPutThePreviousAnswerBack) {
    NameHook hook;
    EXPECT_EQ(ask(hook, 1), "real");
    {
        const NameHook::Guard outer(hook, [](int n) { return "outer " + std::to_string(n); });
        EXPECT_EQ(ask(hook, 1), "outer 1");
        {
            const auto inner = hook.install([](int) { return std::string("inner"); });
            EXPECT_EQ(ask(hook, 2), "inner");
            {
                // An empty function lets the real thing run for a while.
                const auto none = hook.install({});
                EXPECT_EQ(ask(hook, 3), "real");
            }
            EXPECT_EQ(ask(hook, 4), "inner");
            EXPECT_EQ(inner.calls(), 2);
        }
        EXPECT_EQ(ask(hook, 5), "outer 5");
        EXPECT_EQ(outer.calls(), 2);
    }
    EXPECT_FALSE(hook);
}

TEST(TestHook, AskedOnceFailsOnASecondQuestionAndOnNone) {
    NameHook hook;
    {
        const test_support::AskedOnce once(hook, [](int) { return std::string("eins"); });
        EXPECT_EQ(ask(hook, 1), "eins");
        EXPECT_EQ(once.asked(), 1);
    }
    EXPECT_NONFATAL_FAILURE(
        {
            const test_support::AskedOnce twice(hook, [](int) { return std::string("zwei"); });
            ask(hook, 1);
            ask(hook, 2);
        },
        "asked a second time");
    EXPECT_NONFATAL_FAILURE(
        { const test_support::AskedOnce never(hook, [](int) { return std::string(); }); },
        "never asked");
    EXPECT_FALSE(hook);
}
