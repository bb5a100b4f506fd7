#include "data/MiddlePivotSort.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace tessalyn;

namespace {

// Sorts by the first letter only, so the digit after it shows where each tied
// element ended up.
std::vector<std::string> sortedByLetter(std::vector<std::string> items) {
    middlePivotSort(items, [](const std::string& a, const std::string& b) { return a[0] - b[0]; });
    return items;
}

} // namespace

// Sorted lists show their tied elements in the order the partitioning leaves
// them; these orders must never change.
TEST(MiddlePivotSort, TiesEndInThePartitioningOrder) {
    EXPECT_EQ(sortedByLetter({"c0", "b1", "c2", "a3", "b4", "c5", "b6", "a7"}),
              (std::vector<std::string>{"a3", "a7", "b4", "b6", "b1", "c0", "c2", "c5"}));
    EXPECT_EQ(sortedByLetter({"a0", "a1", "a2", "a3", "a4"}),
              (std::vector<std::string>{"a3", "a4", "a2", "a0", "a1"}));
    EXPECT_EQ(sortedByLetter({"a0", "a1", "a2", "a3", "a4", "a5"}),
              (std::vector<std::string>{"a3", "a4", "a5", "a0", "a1", "a2"}));
    EXPECT_EQ(sortedByLetter({"b0", "b1", "a2", "a3", "b4", "b5", "a6", "a7", "b8"}),
              (std::vector<std::string>{"a3", "a6", "a2", "a7", "b8", "b5", "b0", "b1", "b4"}));
}

TEST(MiddlePivotSort, SortsWithoutTiesAndLeavesShortListsAlone) {
    EXPECT_EQ(sortedByLetter({"e", "b", "d", "a", "c"}),
              (std::vector<std::string>{"a", "b", "c", "d", "e"}));
    EXPECT_EQ(sortedByLetter({"z", "y", "x", "w"}), (std::vector<std::string>{"w", "x", "y", "z"}));
    EXPECT_EQ(sortedByLetter({"b"}), (std::vector<std::string>{"b"}));
    EXPECT_TRUE(sortedByLetter({}).empty());
}
