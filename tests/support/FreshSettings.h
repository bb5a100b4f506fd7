#pragma once

#include <QSettings>
#include <QString>

#include <gtest/gtest.h>

namespace tessalyn::test_support {

// Empties the program's own settings (the file QtSettingsStore keeps in the
// test's private configuration folder) when it begins and when it ends, so a
// test starts as a first start and leaves nothing for the next one.
class FreshSettings {
public:
    FreshSettings() { clear(); }
    ~FreshSettings() { clear(); }
    FreshSettings(const FreshSettings&) = delete;
    FreshSettings& operator=(const FreshSettings&) = delete;

    static void clear() {
        QSettings(QStringLiteral("Korvanei"), QStringLiteral("Tessalyn")).clear();
    }
};

// The base of GUI test fixtures that work with the program's own settings.
class GuiTest : public ::testing::Test {
private:
    FreshSettings settings_;
};

} // namespace tessalyn::test_support
