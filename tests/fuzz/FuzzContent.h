#pragma once

#include "data/ContentLoader.h"

#include <cstdio>
#include <cstdlib>

namespace tessalyn::fuzz {

// The built-in content, loaded once per fuzzing process; a fuzz target cannot
// run without it.
inline const RepertoryData& builtIn() {
    static const RepertoryData data = [] {
        RepertoryData d;
        ContentError error;
        if (!loadBuiltInContent(d, error)) {
            std::fprintf(stderr, "built-in content: %s\n", error.message().c_str());
            std::abort();
        }
        return d;
    }();
    return data;
}

} // namespace tessalyn::fuzz
