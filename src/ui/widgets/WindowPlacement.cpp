#include "ui/widgets/WindowPlacement.h"

#include <QGuiApplication>
#include <QRect>
#include <QScreen>
#include <QWidget>

#include <algorithm>

namespace tessalyn {

namespace {

ScreenRect toScreenRect(const QRect& r) {
    return ScreenRect{r.x(), r.y(), r.x() + r.width(), r.y() + r.height()};
}

// Keeps what QWidget accepts: sizes up to QWIDGETSIZE_MAX and positions that
// leave room for them within the int range.
QRect toQRect(const ScreenRect& r) {
    constexpr std::int64_t kLimit = QWIDGETSIZE_MAX;
    const auto left = static_cast<int>(std::clamp<std::int64_t>(r.left, -kLimit, kLimit));
    const auto top = static_cast<int>(std::clamp<std::int64_t>(r.top, -kLimit, kLimit));
    const auto width = static_cast<int>(std::min(r.width(), kLimit));
    const auto height = static_cast<int>(std::min(r.height(), kLimit));
    return QRect(left, top, width, height);
}

} // namespace

std::vector<ScreenRect> availableScreenRects() {
    std::vector<ScreenRect> rects;
    // The primary screen first: an unreachable window that overlaps no screen goes there.
    if (QScreen* primary = QGuiApplication::primaryScreen()) {
        rects.push_back(toScreenRect(primary->availableGeometry()));
    }
    for (QScreen* screen : QGuiApplication::screens()) {
        if (screen != QGuiApplication::primaryScreen()) {
            rects.push_back(toScreenRect(screen->availableGeometry()));
        }
    }
    return rects;
}

WindowPlacement placementOf(const QWidget* window) {
    WindowPlacement p;
    p.normal = toScreenRect(window->normalGeometry().isValid() ? window->normalGeometry()
                                                               : window->geometry());
    p.showState = window->isMinimized()   ? kShowMinimized
                  : window->isMaximized() ? kShowMaximized
                                          : kShowNormal;
    return p;
}

bool restorePlacement(QWidget* window, const SettingsStore& store, std::string_view section) {
    if (window == nullptr || !window->isWindow()) {
        return false;
    }
    const std::optional<WindowPlacement> stored =
        readPlacement(store, section, placementOf(window));
    if (!stored) {
        return false;
    }
    const std::vector<ScreenRect> screens = availableScreenRects();
    window->setGeometry(toQRect(bringOntoScreen(stored->normal, screens)));
    return true;
}

bool storePlacement(const QWidget* window, SettingsStore& store, std::string_view section) {
    // Only a top-level window has a placement of its own.
    if (window == nullptr || !window->isWindow()) {
        return false;
    }
    return storePlacement(store, section, placementOf(window));
}

} // namespace tessalyn
