#pragma once

#include "settings/Placement.h"
#include "settings/SettingsStore.h"

#include <string_view>
#include <vector>

class QWidget;

namespace tessalyn {

// Window placements of the dialogs, kept in screen coordinates under
// "Dialog/<name>" (see settings/SettingsKeys.h for the names).

// Reads the stored placement of `window` and applies its rectangle, brought
// back onto a visible screen when it lies off all of them. The stored show
// state is not applied: every caller opens its window normally. Returns
// whether anything was applied.
bool restorePlacement(QWidget* window, const SettingsStore& store, std::string_view section);

// Stores the placement of `window`: its normal rectangle and show state.
// Returns whether the whole placement was written.
bool storePlacement(const QWidget* window, SettingsStore& store, std::string_view section);

// The placement of a top-level window as it would be stored.
WindowPlacement placementOf(const QWidget* window);

// The available areas of all screens, in screen coordinates.
std::vector<ScreenRect> availableScreenRects();

} // namespace tessalyn
