#include "ui/GuardedApplication.h"
#include "support/MessageRecorder.h"
#include "ui/widgets/MessageBoxes.h"

#include <gtest/gtest.h>

#include <new>
#include <stdexcept>

using namespace tessalyn;

TEST(GuardedApplication, AnExceptionFromAnEventHandlerIsReportedAndTheProgramGoesOn) {
    test_support::MessageRecorder recorder;
    EXPECT_FALSE(GuardedApplication::deliverGuarded(
        []() -> bool { throw std::length_error("basic_string::_M_create"); }));
    EXPECT_FALSE(GuardedApplication::deliverGuarded([]() -> bool { throw std::bad_alloc(); }));
    EXPECT_FALSE(GuardedApplication::deliverGuarded([]() -> bool { throw 42; }));
    EXPECT_TRUE(GuardedApplication::deliverGuarded([] { return true; }));

    ASSERT_EQ(recorder.messages().size(), 3);
    for (const auto& m : recorder.messages()) {
        EXPECT_EQ(m.kind, MessageBoxes::Kind::Error);
        EXPECT_TRUE(m.text.startsWith("Die letzte Aktion konnte nicht ausgeführt werden: "))
            << m.text.toStdString();
        EXPECT_TRUE(m.text.contains("Tessalyn läuft weiter.")) << m.text.toStdString();
    }
    EXPECT_TRUE(recorder.messages()[0].text.contains("basic_string::_M_create"));
    EXPECT_TRUE(recorder.messages()[1].text.contains("nicht genug Arbeitsspeicher"));
}
