#include "settings/Placement.h"
#include "settings/MemorySettingsStore.h"
#include "support/TestSettingsStore.h"

#include <gtest/gtest.h>

#include <climits>
#include <vector>

using namespace tessalyn;

namespace {

const char* const kKey = "Dialog/Eingabe";

WindowPlacement placement(int l, int t, int r, int b, int state = kShowNormal) {
    return WindowPlacement{ScreenRect{l, t, r, b}, state};
}

} // namespace

TEST(Placement, StoreWritesTheMarkerFirstAndLast) {
    test_support::TestSettingsStore store;
    EXPECT_TRUE(storePlacement(store, kKey, placement(10, 20, 410, 320, kShowMaximized)));
    const std::vector<std::string> expected = {"Dialog/Eingabe|(check)", "Dialog/Eingabe|Left",
                                               "Dialog/Eingabe|Right",   "Dialog/Eingabe|Top",
                                               "Dialog/Eingabe|Bottom",  "Dialog/Eingabe|State",
                                               "Dialog/Eingabe|(check)"};
    EXPECT_EQ(store.writeLog(), expected);
    EXPECT_EQ(store.readInt(kKey, "(check)", 0), 32639);
    EXPECT_EQ(store.readInt(kKey, "State", 0), kShowMaximized);

    const auto back = readPlacement(store, kKey, placement(0, 0, 1, 1));
    ASSERT_TRUE(back.has_value());
    EXPECT_EQ(*back, placement(10, 20, 410, 320, kShowMaximized));
}

TEST(Placement, BrokenOffStoreIsIgnoredOnTheNextOpening) {
    test_support::TestSettingsStore store;
    ASSERT_TRUE(storePlacement(store, kKey, placement(10, 20, 410, 320)));
    store.failWritesFrom(store.writeAttempts() + 3); // "(check)", "Left", "Right" go through
    EXPECT_FALSE(storePlacement(store, kKey, placement(500, 500, 900, 800)));
    EXPECT_EQ(store.writeAttempts(), 7 + 4) << "storing stops at the first failed write";
    EXPECT_EQ(store.readInt(kKey, "(check)", 0), -32640);
    EXPECT_FALSE(readPlacement(store, kKey, placement(0, 0, 1, 1)).has_value());
}

TEST(Placement, RestoreNeedsTheCompleteMarkerAndASoundRectangle) {
    const WindowPlacement current = placement(1, 2, 301, 202);
    MemorySettingsStore store;
    EXPECT_FALSE(readPlacement(store, kKey, current).has_value()) << "nothing stored";

    store.set(kKey, "(check)", 0);
    store.set(kKey, "Left", 50);
    EXPECT_FALSE(readPlacement(store, kKey, current).has_value());
    store.set(kKey, "(check)", std::string("32639"));
    EXPECT_FALSE(readPlacement(store, kKey, current).has_value()) << "a text marker";

    // Missing values keep the window's current ones.
    store.set(kKey, "(check)", 32639);
    auto p = readPlacement(store, kKey, current);
    ASSERT_TRUE(p.has_value());
    EXPECT_EQ(*p, placement(50, 2, 301, 202));

    store.set(kKey, "Right", 40); // Left > Right
    EXPECT_FALSE(readPlacement(store, kKey, current).has_value());
    store.set(kKey, "Right", 50); // empty
    EXPECT_FALSE(readPlacement(store, kKey, current).has_value());
    store.set(kKey, "Right", 450);
    store.set(kKey, "Bottom", -5); // Top > Bottom
    EXPECT_FALSE(readPlacement(store, kKey, current).has_value());
}

TEST(Placement, RectanglesOnAScreenStayWhereTheyAre) {
    const std::vector<ScreenRect> screens = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    for (const ScreenRect r : {ScreenRect{100, 100, 600, 500}, ScreenRect{2000, 10, 2400, 400},
                               ScreenRect{1700, 300, 2300, 700},   // across both screens
                               ScreenRect{-300, 100, 200, 500}}) { // partly off to the left
        EXPECT_EQ(bringOntoScreen(r, screens), r);
    }
    const std::vector<ScreenRect> none;
    EXPECT_EQ(bringOntoScreen(ScreenRect{-9000, 0, -8000, 100}, none),
              (ScreenRect{-9000, 0, -8000, 100}));
}

TEST(Placement, UnreachableRectanglesComeBackOntoAScreen) {
    const std::vector<ScreenRect> screens = {{0, 0, 1920, 1040}, {1920, 0, 3200, 1024}};
    // The monitor it stood on is gone: the first screen takes it, size kept.
    EXPECT_EQ(bringOntoScreen(ScreenRect{4000, 200, 4600, 700}, screens),
              (ScreenRect{1320, 200, 1920, 700}));
    // Title bar above the top edge: moved down until it can be grabbed.
    EXPECT_EQ(bringOntoScreen(ScreenRect{100, -400, 500, 300}, screens),
              (ScreenRect{100, 0, 500, 700}));
    // Mostly on the second screen: it goes there.
    EXPECT_EQ(bringOntoScreen(ScreenRect{3190, 100, 3600, 400}, screens),
              (ScreenRect{2790, 100, 3200, 400}));
    // Larger than the screen it moves to: shrunk to fit.
    EXPECT_EQ(bringOntoScreen(ScreenRect{-5000, -5000, 0, -4000}, screens),
              (ScreenRect{0, 0, 1920, 1000}));
    // Extreme stored coordinates do not overflow.
    const ScreenRect huge =
        bringOntoScreen(ScreenRect{INT_MIN, INT_MIN, INT_MAX, INT_MAX}, screens);
    EXPECT_EQ(huge, (ScreenRect{0, 0, 1920, 1040}));
    const ScreenRect wide = bringOntoScreen(ScreenRect{INT_MIN, 100, INT_MAX, 500}, screens);
    EXPECT_EQ(wide, (ScreenRect{0, 100, 3200, 500}));
}
