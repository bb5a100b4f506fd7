#pragma once

// The Repertorium Publicum content as the build unpacks it, and as the
// program's loader reads it.

#include "data/ContentLoader.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace tessalyn::test_support {

inline std::string publicumContentPath() {
    return TESSALYN_PUBLICUM_TSV;
}

// The loader's answer to the Publicum content file, asked once per test
// program: the tables, or why it refused them.
struct PublicumLoad {
    std::unique_ptr<RepertoryData> data;
    ContentError refusal;

    // A loader whose tables still have the built-in content's sizes refuses
    // a larger content with "more than N remedies" (or chapters, headings,
    // rubrics); every other refusal is a fault of the content.
    bool refusedForTableSize() const { return !data && refusal.rule.rfind("more than ", 0) == 0; }
};

inline const PublicumLoad& publicumLoad() {
    static const PublicumLoad load = [] {
        PublicumLoad l;
        auto data = std::make_unique<RepertoryData>();
        if (loadContentFile(publicumContentPath(), *data, l.refusal)) {
            l.data = std::move(data);
        }
        return l;
    }();
    return load;
}

} // namespace tessalyn::test_support

// Skips the test, with the loader's reason, while the loader's tables cannot
// hold a content of other sizes; any other refusal fails it.
#define TESSALYN_SKIP_UNLESS_PUBLICUM_LOADS()                                                      \
    if (::tessalyn::test_support::publicumLoad().refusedForTableSize()) {                          \
        GTEST_SKIP() << "the loader does not take a content of other sizes yet: "                  \
                     << ::tessalyn::test_support::publicumLoad().refusal.message();                \
    }                                                                                              \
    ASSERT_TRUE(::tessalyn::test_support::publicumLoad().data)                                     \
        << "Publicum content refused: "                                                            \
        << ::tessalyn::test_support::publicumLoad().refusal.message()

// The same, then makes `name` a reference to the Publicum content.
#define TESSALYN_PUBLICUM_CONTENT_OR_SKIP(name)                                                    \
    TESSALYN_SKIP_UNLESS_PUBLICUM_LOADS();                                                         \
    const ::tessalyn::RepertoryData& name = *::tessalyn::test_support::publicumLoad().data
