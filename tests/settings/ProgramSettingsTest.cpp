#include "settings/ProgramSettings.h"
#include "settings/MemorySettingsStore.h"
#include "settings/SettingsKeys.h"
#include "support/TestSettingsStore.h"

#include <gtest/gtest.h>

using namespace tessalyn;
namespace keys = tessalyn::settings;

TEST(ProgramSettings, FirstRunWithEmptyStore) {
    MemorySettingsStore store;
    const ProgramSettings s = readProgramSettings(store);
    EXPECT_EQ(s.polarityMode, 1);
    EXPECT_TRUE(s.askBeforeQuit && s.askBeforeQuitX && s.askBeforeDelete && s.jumpToEnd &&
                s.saveColumnWidths && s.escapeDiscards && s.noGreyInPrint);
    EXPECT_EQ(s.fontName, "");
    EXPECT_EQ(s.fontSize, 1);
    EXPECT_FALSE(s.tableFont().has_value());
    EXPECT_EQ(store.size(), 0u) << "reading the options writes nothing";

    // The splash window's read is the one that writes its default.
    EXPECT_EQ(readStartDelay(store), 5);
    ASSERT_NE(store.find("", "Startverz\xF6gerung"), nullptr);
    EXPECT_EQ(store.readInt("", "Startverz\xF6gerung", -1), 5);
    EXPECT_EQ(store.size(), 1u);

    // The settings dialog starts from polarity mode 0, everything else as above.
    const SettingsDialogValues d = readSettingsDialogValues(MemorySettingsStore());
    EXPECT_EQ(d.options.polarityMode, 0);
    ProgramSettings expected;
    expected.polarityMode = 0;
    EXPECT_EQ(d.options, expected);
    EXPECT_EQ(d.startDelay, 5);
}

TEST(ProgramSettings, StoredValuesAreReadUnderTheirNames) {
    test_support::TestSettingsStore store;
    store.set("", "Polarit\xE4tenHandhabung", 2);
    store.set("", "FragenBeimBeenden", 0);
    store.set("", "FragenBeimBeendenX", 0);
    store.set("", "FragenBeimLoeschen", 0);
    store.set("", "SprungEnde", 0);
    store.set("", "Spaltenbreite", 0);
    store.set("", "EscapeLoescht", 0);
    store.set("", "KeinGrauBeimDruck", 0);
    store.set("", "FontName", std::string("Arial"));
    store.set("", "FontSize", 14);
    store.set("", "Startverz\xF6gerung", 0);

    const ProgramSettings s = readProgramSettings(store);
    EXPECT_EQ(s.polarityMode, 2);
    EXPECT_FALSE(s.askBeforeQuit || s.askBeforeQuitX || s.askBeforeDelete || s.jumpToEnd ||
                 s.saveColumnWidths || s.escapeDiscards || s.noGreyInPrint);
    ASSERT_TRUE(s.tableFont().has_value());
    EXPECT_EQ(*s.tableFont(), (TableFontChoice{"Arial", 14}));
    EXPECT_EQ(readSettingsDialogValues(store).options, s);
    EXPECT_EQ(readSettingsDialogValues(store).startDelay, 0);
    EXPECT_EQ(readStartDelay(store), 0);
    EXPECT_EQ(store.writeAttempts(), 0) << "a start delay of 0 is present, not missing";
}

TEST(ProgramSettings, BadStoredValuesReadAsTheReadingSitesDefault) {
    MemorySettingsStore store;
    store.set("", "Polarit\xE4tenHandhabung", 7);
    store.set("", "FragenBeimBeenden", std::string("0"));
    store.set("", "SprungEnde", 2);
    store.set("", "Spaltenbreite", -1);
    store.set("", "FontName", 12);
    store.set("", "FontSize", -12);
    store.set("", "Startverz\xF6gerung", 999);

    const ProgramSettings s = readProgramSettings(store);
    EXPECT_EQ(s.polarityMode, 1);
    EXPECT_TRUE(s.askBeforeQuit);
    EXPECT_TRUE(s.jumpToEnd);
    EXPECT_TRUE(s.saveColumnWidths);
    EXPECT_EQ(s.fontName, "");
    EXPECT_EQ(s.fontSize, 1);

    const SettingsDialogValues d = readSettingsDialogValues(store);
    EXPECT_EQ(d.options.polarityMode, 0);
    EXPECT_EQ(d.startDelay, 5);
    EXPECT_EQ(readStartDelay(store), 5);
    EXPECT_EQ(store.readInt("", "Startverz\xF6gerung", 0), 999) << "present values stay";

    // A size above the largest is the largest, never the 1-pixel fallback.
    store.set("", "FontName", std::string("Arial"));
    for (const int stored : {kMaxFontSize + 1, 5000}) {
        store.set("", "FontSize", stored);
        EXPECT_EQ(readProgramSettings(store).fontSize, kMaxFontSize) << stored;
        EXPECT_EQ(readProgramSettings(store).tableFont(), (TableFontChoice{"Arial", kMaxFontSize}));
    }
    store.set("", "FontSize", kMaxFontSize);
    EXPECT_EQ(readProgramSettings(store).fontSize, kMaxFontSize);

    // A start delay stored as text counts as missing for the splash window.
    store.set("", "Startverz\xF6gerung", std::string("drei"));
    EXPECT_EQ(readStartDelay(store), 5);
    EXPECT_EQ(store.readInt("", "Startverz\xF6gerung", -1), 5);
}

TEST(ProgramSettings, WritesAllElevenOptionsAndReadsThemBack) {
    MemorySettingsStore store;
    SettingsDialogValues v;
    v.options.polarityMode = 2;
    v.options.askBeforeQuitX = false;
    v.options.noGreyInPrint = false;
    v.options.fontName = "Caf\xE9 Sans";
    v.options.fontSize = 13;
    v.startDelay = 0;
    EXPECT_TRUE(writeSettingsDialogValues(store, v));
    EXPECT_EQ(store.size(), 11u);
    ASSERT_NE(store.find("", keys::kFontName), nullptr);
    EXPECT_TRUE(std::holds_alternative<std::string>(*store.find("", keys::kFontName)));
    EXPECT_TRUE(std::holds_alternative<int>(*store.find("", keys::kPolarityMode)));
    EXPECT_EQ(readSettingsDialogValues(store), v);

    test_support::TestSettingsStore broken;
    broken.failWritesFrom(0);
    EXPECT_FALSE(writeSettingsDialogValues(broken, v)) << "a failed write is reported";
    EXPECT_EQ(broken.writeAttempts(), 11) << "every option is still attempted";
}

TEST(ProgramSettings, TakeOverReportsFontChanges) {
    ProgramSettings held;
    ProgramSettings edited = held;
    edited.jumpToEnd = false;
    edited.polarityMode = 0;
    EXPECT_FALSE(takeOverOptions(held, edited));
    EXPECT_EQ(held, edited);

    edited.fontName = "DejaVu Sans";
    EXPECT_TRUE(takeOverOptions(held, edited));
    EXPECT_FALSE(takeOverOptions(held, edited));
    edited.fontSize = 10;
    EXPECT_TRUE(takeOverOptions(held, edited));
    EXPECT_EQ(held.fontSize, 10);
}

TEST(ProgramSettings, SizeBoxRules) {
    // On opening: the first entry beginning with the stored digits.
    EXPECT_EQ(fontSizeEntryIndex(1), 2) << "a stored 1 shows as 10";
    EXPECT_EQ(fontSizeEntryIndex(6), 0);
    EXPECT_EQ(fontSizeEntryIndex(2), 7) << "20 begins with 2";
    EXPECT_EQ(fontSizeEntryIndex(20), 7);
    EXPECT_EQ(fontSizeEntryIndex(9), -1);
    EXPECT_EQ(fontSizeEntryIndex(13), -1);
    EXPECT_EQ(fontSizeEntryIndex(0), -1);
    EXPECT_EQ(fontSizeEntryIndex(100), -1);

    // On OK: the leading digits.
    EXPECT_EQ(parseFontSizeText("13"), 13);
    EXPECT_EQ(parseFontSizeText(" 12px"), 12);
    EXPECT_EQ(parseFontSizeText("abc"), 0);
    EXPECT_EQ(parseFontSizeText(""), 0);
    EXPECT_EQ(parseFontSizeText("-5"), 0);
    EXPECT_EQ(parseFontSizeText("99999999999999999999"), kMaxFontSize);
    EXPECT_EQ(readProgramSettings(MemorySettingsStore()).fontSize, 1);

    // The dialog takes a size only as the start delay: a whole number, here
    // from the smallest entry up.
    int size = -1;
    EXPECT_EQ(readFontSizeText(" 6 ", size), FieldCheck::Ok);
    EXPECT_EQ(size, 6);
    EXPECT_EQ(readFontSizeText("0", size), FieldCheck::OutOfRange);
    EXPECT_EQ(readFontSizeText("201", size), FieldCheck::OutOfRange);
    EXPECT_EQ(readFontSizeText("abc", size), FieldCheck::NotAnInteger);
    EXPECT_EQ(size, 6);
}

TEST(ProgramSettings, StartDelayTextIsCheckedAsTheDialogsFieldIs) {
    int delay = -1;
    EXPECT_EQ(readStartDelayText(" 7 ", delay), FieldCheck::Ok);
    EXPECT_EQ(delay, 7);
    EXPECT_EQ(readStartDelayText("0", delay), FieldCheck::Ok);
    EXPECT_EQ(delay, 0);
    EXPECT_EQ(readStartDelayText("10", delay), FieldCheck::Ok);
    EXPECT_EQ(delay, 10);

    // A failed check leaves the value alone.
    EXPECT_EQ(readStartDelayText("11", delay), FieldCheck::OutOfRange);
    EXPECT_EQ(readStartDelayText("0011", delay), FieldCheck::OutOfRange);
    EXPECT_EQ(readStartDelayText("", delay), FieldCheck::NotAnInteger);
    EXPECT_EQ(readStartDelayText("  ", delay), FieldCheck::NotAnInteger);
    EXPECT_EQ(readStartDelayText("-1", delay), FieldCheck::NotAnInteger);
    EXPECT_EQ(readStartDelayText("+3", delay), FieldCheck::NotAnInteger);
    EXPECT_EQ(readStartDelayText("4x", delay), FieldCheck::NotAnInteger);
    EXPECT_EQ(readStartDelayText("1 2", delay), FieldCheck::NotAnInteger);
    // Beyond the int range it is no integer at all, not one out of range.
    EXPECT_EQ(readStartDelayText("2147483648", delay), FieldCheck::NotAnInteger);
    EXPECT_EQ(readStartDelayText("2147483647", delay), FieldCheck::OutOfRange);
    EXPECT_EQ(delay, 10) << "the last value taken";

    EXPECT_EQ(fieldCheckMessage(FieldCheck::OutOfRange, kMinStartDelay, kMaxStartDelay),
              "Bitte geben Sie eine ganze Zahl zwischen 0 und 10 ein.");
    EXPECT_EQ(fieldCheckMessage(FieldCheck::NotAnInteger, kMinStartDelay, kMaxStartDelay),
              "Bitte geben Sie eine ganze Zahl ein.");
    EXPECT_EQ(fieldCheckMessage(FieldCheck::Ok, kMinStartDelay, kMaxStartDelay), "");
}
