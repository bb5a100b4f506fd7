#pragma once

namespace tessalyn {

// A window's size in dialog units: a quarter of the font's average character
// width across, an eighth of its height down.
struct DialogUnitsSize {
    int width = 0;
    int height = 0;
};

// Every window's template size, which is also the smallest it opens with; in
// one place so the windows can be compared with each other.
namespace dialog_size {
inline constexpr DialogUnitsSize kMain{427, 198};
inline constexpr DialogUnitsSize kResult{338, 159};
inline constexpr DialogUnitsSize kSymptomSearch{294, 148};
inline constexpr DialogUnitsSize kTextSearch{292, 172};
inline constexpr DialogUnitsSize kRemedyOverview{326, 284};
inline constexpr DialogUnitsSize kHistory{330, 200};
inline constexpr DialogUnitsSize kFileCase{230, 150};
inline constexpr DialogUnitsSize kSettings{230, 276};
} // namespace dialog_size

} // namespace tessalyn
