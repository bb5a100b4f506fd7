#pragma once

#include <QColor>
#include <QPalette>

namespace tessalyn {

// The colours the program paints itself (the yellow hit-count row, grey rows,
// grid lines, the chart's bars) were chosen for a light window. These
// helpers fit them to the window's palette, so that a dark desktop theme
// shows them readable too, and the printed page keeps them as they are.

// The contrast a text needs against its background (WCAG 2, level AA) and
// the contrast of a line or bar that carries meaning.
inline constexpr double kTextContrast = 4.5;
inline constexpr double kGraphicContrast = 3.0;

// WCAG 2: the relative luminance of a colour (0 black .. 1 white) and the
// contrast ratio of two colours (1 .. 21).
double relativeLuminance(const QColor& colour);
double contrastRatio(const QColor& a, const QColor& b);

// Whether the palette shows dark text fields: its base darker than its text.
bool isDarkPalette(const QPalette& palette);

// A colour chosen for a light window, as it stands in `palette`: unchanged
// in a light palette; in a dark one mixed with the palette's base until the
// palette's text reads on it with kTextContrast (and so a light background
// such as the hit-count row's yellow becomes a dark one of its hue).
QColor paletteColour(const QColor& lightColour, const QPalette& palette);

// A line or bar chosen for a light window (the separator row's border, the
// chart's bars), as it stands on the base of `palette`: unchanged in a light
// palette; in a dark one made to stand out from the base by
// kGraphicContrast.
QColor markColour(const QColor& lightColour, const QPalette& palette);

// The colours of a page written for a light window (a printed table, the
// help pages): those of `window` while it is light; under a dark palette
// those of a light window, so that the page reads as on paper.
QPalette pagePalette(const QPalette& window);

// `wanted` as a colour drawn on `background`: unchanged when it stands out
// by `minimum` contrast, otherwise mixed with black or white, whichever
// stands out more from the background, until it does.
QColor readableOn(const QColor& wanted, const QColor& background, double minimum = kTextContrast);

} // namespace tessalyn
