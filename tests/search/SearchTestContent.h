#pragma once

#include "data/ContentLoader.h"
#include "data/TestContent.h"

#include <gtest/gtest.h>

namespace tessalyn::testing {

// The built-in content, loaded once per test program.
inline const RepertoryData& builtInContent() {
    return tessalyn::test::builtIn();
}

// Last symptom number of each chapter in the built-in content.
inline constexpr int kChapterLastRubric[32] = {
    833,  1115, 1453, 1523, 1783, 2062, 2141, 2489, 2543, 2664, 2816, 2997, 3310, 3553, 3767, 3837,
    3968, 3999, 4015, 4181, 4849, 4994, 5125, 5270, 5323, 5743, 6064, 7495, 7692, 7825, 7984, 8385};

} // namespace tessalyn::testing
