#include "settings/Placement.h"

#include "settings/SettingsKeys.h"

#include <algorithm>
#include <cstdint>

namespace tessalyn {

namespace {

using namespace settings;

// How much of a window must show on a screen, at its top edge, for the user to
// grab it and drag it further: this much of its width and height (or all of it
// when the window is smaller).
constexpr int kGrabWidth = 48;
constexpr int kGrabHeight = 24;

ScreenRect intersect(const ScreenRect& a, const ScreenRect& b) {
    return ScreenRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                      std::min(a.bottom, b.bottom)};
}

std::int64_t area(const ScreenRect& r) {
    return r.isEmpty() ? 0 : r.width() * r.height();
}

ScreenRect placed(std::int64_t left, std::int64_t top, std::int64_t width, std::int64_t height) {
    return ScreenRect{static_cast<int>(left), static_cast<int>(top), static_cast<int>(left + width),
                      static_cast<int>(top + height)};
}

bool reachableOn(const ScreenRect& rect, const ScreenRect& screen) {
    if (rect.top < screen.top || rect.top >= screen.bottom) {
        return false;
    }
    const ScreenRect shown = intersect(rect, screen);
    return !shown.isEmpty() && shown.width() >= std::min<std::int64_t>(kGrabWidth, rect.width()) &&
           shown.height() >= std::min<std::int64_t>(kGrabHeight, rect.height());
}

} // namespace

bool storePlacement(SettingsStore& store, std::string_view section,
                    const WindowPlacement& placement) {
    const ScreenRect& r = placement.normal;
    return store.writeInt(section, kPlacementCheck, kPlacementIncomplete) &&
           store.writeInt(section, kPlacementLeft, r.left) &&
           store.writeInt(section, kPlacementRight, r.right) &&
           store.writeInt(section, kPlacementTop, r.top) &&
           store.writeInt(section, kPlacementBottom, r.bottom) &&
           store.writeInt(section, kPlacementState, placement.showState) &&
           store.writeInt(section, kPlacementCheck, kPlacementComplete);
}

std::optional<WindowPlacement> readPlacement(const SettingsStore& store, std::string_view section,
                                             const WindowPlacement& current) {
    if (store.readInt(section, kPlacementCheck, 0) != kPlacementComplete) {
        return std::nullopt;
    }
    WindowPlacement p;
    p.normal.left = store.readInt(section, kPlacementLeft, current.normal.left);
    p.normal.right = store.readInt(section, kPlacementRight, current.normal.right);
    p.normal.top = store.readInt(section, kPlacementTop, current.normal.top);
    p.normal.bottom = store.readInt(section, kPlacementBottom, current.normal.bottom);
    p.showState = store.readInt(section, kPlacementState, current.showState);
    if (p.normal.isEmpty()) {
        return std::nullopt;
    }
    return p;
}

ScreenRect bringOntoScreen(const ScreenRect& rect, std::span<const ScreenRect> screens) {
    if (screens.empty() || rect.isEmpty()) {
        return rect;
    }
    ScreenRect span = screens.front();
    for (const ScreenRect& screen : screens) {
        span = ScreenRect{std::min(span.left, screen.left), std::min(span.top, screen.top),
                          std::max(span.right, screen.right), std::max(span.bottom, screen.bottom)};
    }
    for (const ScreenRect& screen : screens) {
        if (reachableOn(rect, screen)) {
            // A rectangle larger than all screens together keeps only the part
            // that lies on them in that direction.
            ScreenRect cut = rect;
            if (rect.width() > span.width()) {
                cut.left = std::max(rect.left, span.left);
                cut.right = std::min(rect.right, span.right);
            }
            if (rect.height() > span.height()) {
                cut.top = std::max(rect.top, span.top);
                cut.bottom = std::min(rect.bottom, span.bottom);
            }
            return cut;
        }
    }
    const ScreenRect* target = &screens.front();
    std::int64_t best = 0;
    for (const ScreenRect& screen : screens) {
        const std::int64_t overlap = area(intersect(rect, screen));
        if (overlap > best) {
            best = overlap;
            target = &screen;
        }
    }
    const ScreenRect& s = *target;
    const std::int64_t width = std::min(rect.width(), s.width());
    const std::int64_t height = std::min(rect.height(), s.height());
    const std::int64_t left = std::clamp<std::int64_t>(rect.left, s.left, s.right - width);
    const std::int64_t top = std::clamp<std::int64_t>(rect.top, s.top, s.bottom - height);
    return placed(left, top, width, height);
}

} // namespace tessalyn
