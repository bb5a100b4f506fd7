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

// Makes `name` a reference to the Publicum content. The test is skipped,
// with the loader's reason, while the loader's tables cannot hold a content
// of other sizes; any other refusal fails it.
#define TESSALYN_PUBLICUM_CONTENT_OR_SKIP(name)                                                    \
    const ::tessalyn::test_support::PublicumLoad& name##Load_ =                                    \
        ::tessalyn::test_support::publicumLoad();                                                  \
    if (name##Load_.refusedForTableSize()) {                                                       \
        GTEST_SKIP() << "the loader does not take a content of other sizes yet: "                  \
                     << name##Load_.refusal.message();                                             \
    }                                                                                              \
    ASSERT_TRUE(name##Load_.data) << "Publicum content refused: "                                  \
                                  << name##Load_.refusal.message();                                \
    const ::tessalyn::RepertoryData& name = *name##Load_.data
