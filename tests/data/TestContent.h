#pragma once

#include "data/ContentLoader.h"

#include <gtest/gtest.h>

namespace tessalyn::test {

// The built-in content, loaded once per test program.
inline const RepertoryData& builtIn() {
    static const RepertoryData data = [] {
        RepertoryData d;
        ContentError error;
        if (!loadBuiltInContent(d, error)) {
            ADD_FAILURE() << "built-in content refused: " << error.message();
        }
        return d;
    }();
    return data;
}

} // namespace tessalyn::test
