#pragma once

#include "settings/SettingsStore.h"

#include <cstdint>
#include <optional>
#include <span>
#include <string_view>

namespace tessalyn {

// A rectangle in screen coordinates; right and bottom are exclusive.
struct ScreenRect {
    int left = 0;
    int top = 0;
    int right = 0;
    int bottom = 0;

    // 64-bit: stored coordinates may lie anywhere in the int range.
    std::int64_t width() const { return std::int64_t{right} - left; }
    std::int64_t height() const { return std::int64_t{bottom} - top; }
    bool isEmpty() const { return right <= left || bottom <= top; }
    bool operator==(const ScreenRect&) const = default;
};

// Show states as stored in "State".
inline constexpr int kShowNormal = 1;
inline constexpr int kShowMinimized = 2;
inline constexpr int kShowMaximized = 3;

// Marker values of "(check)": written first and last around a placement.
inline constexpr int kPlacementIncomplete = -32640;
inline constexpr int kPlacementComplete = 32639;

// A window's placement: its normal-position rectangle and its show state.
struct WindowPlacement {
    ScreenRect normal;
    int showState = kShowNormal;
    bool operator==(const WindowPlacement&) const = default;
};

// Writes "(check)" = -32640, "Left", "Right", "Top", "Bottom", "State" and
// last "(check)" = 32639 into `section`, stopping at the first write that
// fails. Returns whether the whole placement was written.
bool storePlacement(SettingsStore& store, std::string_view section,
                    const WindowPlacement& placement);

// Reads a placement stored by storePlacement. Nothing unless "(check)" is
// 32639; each coordinate and the state default to `current`'s. A rectangle
// that is empty or inverted (Left >= Right or Top >= Bottom) is refused as a
// whole. The show state is read but callers open their windows normally.
std::optional<WindowPlacement> readPlacement(const SettingsStore& store, std::string_view section,
                                             const WindowPlacement& current);

// Brings a window rectangle back where the user can reach it. A rectangle
// whose top edge stands on one of `screens` with enough of it showing to be
// grabbed stays where it is; only when it is wider or taller than the area
// all screens span, it keeps just its part within that area.
// Otherwise it moves onto the screen it overlaps most (the first screen when
// it overlaps none), shrunk to that screen's size if it is larger. With no
// screens, or an empty rectangle, it is returned unchanged.
ScreenRect bringOntoScreen(const ScreenRect& rect, std::span<const ScreenRect> screens);

} // namespace tessalyn
