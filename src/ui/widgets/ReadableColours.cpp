#include "ui/widgets/ReadableColours.h"

#include <algorithm>
#include <cmath>

namespace tessalyn {

namespace {

// How finely a colour is moved towards another: in this many steps.
constexpr int kMixSteps = 32;

double linearChannel(int value) {
    const double c = value / 255.0;
    return c <= 0.03928 ? c / 12.92 : std::pow((c + 0.055) / 1.055, 2.4);
}

// `from` moved the share `t` (0..1) of the way to `to`, channel by channel.
QColor mixed(const QColor& from, const QColor& to, double t) {
    const auto channel = [t](int a, int b) {
        return std::clamp(static_cast<int>(std::lround(a + (b - a) * t)), 0, 255);
    };
    return QColor(channel(from.red(), to.red()), channel(from.green(), to.green()),
                  channel(from.blue(), to.blue()));
}

// The first colour on the way from `from` to `to` that `good` accepts; `to`
// when none does.
template <typename Good> QColor firstOnTheWay(const QColor& from, const QColor& to, Good good) {
    for (int step = 1; step <= kMixSteps; ++step) {
        const QColor colour = mixed(from, to, static_cast<double>(step) / kMixSteps);
        if (good(colour)) {
            return colour;
        }
    }
    return to;
}

} // namespace

double relativeLuminance(const QColor& colour) {
    const QColor rgb = colour.toRgb();
    return 0.2126 * linearChannel(rgb.red()) + 0.7152 * linearChannel(rgb.green()) +
           0.0722 * linearChannel(rgb.blue());
}

double contrastRatio(const QColor& a, const QColor& b) {
    const double la = relativeLuminance(a);
    const double lb = relativeLuminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

bool isDarkPalette(const QPalette& palette) {
    return relativeLuminance(palette.color(QPalette::Base)) <
           relativeLuminance(palette.color(QPalette::Text));
}

QColor paletteColour(const QColor& lightColour, const QPalette& palette) {
    if (!isDarkPalette(palette)) {
        return lightColour;
    }
    const QColor text = palette.color(QPalette::Text);
    if (contrastRatio(text, lightColour) >= kTextContrast) {
        return lightColour;
    }
    return firstOnTheWay(lightColour, palette.color(QPalette::Base),
                         [&](const QColor& c) { return contrastRatio(text, c) >= kTextContrast; });
}

QColor markColour(const QColor& lightColour, const QPalette& palette) {
    if (!isDarkPalette(palette)) {
        return lightColour;
    }
    return readableOn(lightColour, palette.color(QPalette::Base), kGraphicContrast);
}

QPalette pagePalette(const QPalette& window) {
    if (!isDarkPalette(window)) {
        return window;
    }
    const QColor face(239, 239, 239);
    QPalette page(Qt::black, face, Qt::white, QColor(159, 159, 159), QColor(184, 184, 184),
                  Qt::black, Qt::white, Qt::white, face);
    page.setColor(QPalette::Highlight, QColor(48, 140, 198));
    page.setColor(QPalette::HighlightedText, Qt::white);
    page.setColor(QPalette::Link, QColor(0, 0, 255));
    page.setColor(QPalette::LinkVisited, QColor(128, 0, 128));
    return page;
}

QColor readableOn(const QColor& wanted, const QColor& background, double minimum) {
    if (contrastRatio(wanted, background) >= minimum) {
        return wanted;
    }
    const QColor black(Qt::black);
    const QColor white(Qt::white);
    const QColor away =
        contrastRatio(black, background) >= contrastRatio(white, background) ? black : white;
    return firstOnTheWay(wanted, away,
                         [&](const QColor& c) { return contrastRatio(c, background) >= minimum; });
}

} // namespace tessalyn
