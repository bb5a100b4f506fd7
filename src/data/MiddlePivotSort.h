#pragma once

#include <cstddef>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

namespace tessalyn {

// Sorts `items` by a quicksort that takes the middle element of each range as
// its pivot (Hoare's partitioning). `compare(a, b)` is negative when a goes
// before b, positive when after, 0 for a tie.
//
// It is not stable, and it is used instead of a library sort on purpose: the
// order it leaves tied elements in is what the user sees in sorted lists (the
// case history by name, the columns of the result table), so it must stay the
// same from version to version. The pivot is copied, so T is a cheap value
// such as an index.
//
// The two parts of a partition are disjoint, so the order they are sorted in
// does not change the result; the smaller one goes first, which keeps the list
// of pending parts short.
template <typename T, typename Compare> void middlePivotSort(std::span<T> items, Compare compare) {
    if (items.size() < 2) {
        return;
    }
    const auto at = [&](std::ptrdiff_t k) -> T& { return items[static_cast<std::size_t>(k)]; };
    std::vector<std::pair<std::ptrdiff_t, std::ptrdiff_t>> pending;
    std::ptrdiff_t lo = 0;
    std::ptrdiff_t hi = static_cast<std::ptrdiff_t>(items.size()) - 1;
    for (;;) {
        while (hi > lo) {
            const T pivot = at(lo + (hi - lo) / 2);
            std::ptrdiff_t i = lo;
            std::ptrdiff_t j = hi;
            do {
                while (i <= hi && compare(at(i), pivot) < 0) {
                    ++i;
                }
                while (j >= lo && compare(at(j), pivot) > 0) {
                    --j;
                }
                if (i <= j) {
                    std::swap(at(i), at(j));
                    ++i;
                    --j;
                }
            } while (i <= j);
            if (j - lo < hi - i) {
                pending.emplace_back(i, hi);
                hi = j;
            } else {
                pending.emplace_back(lo, j);
                lo = i;
            }
        }
        if (pending.empty()) {
            return;
        }
        std::tie(lo, hi) = pending.back();
        pending.pop_back();
    }
}

// The same for a whole vector.
template <typename T, typename Compare>
void middlePivotSort(std::vector<T>& items, Compare compare) {
    middlePivotSort(std::span<T>(items), compare);
}

} // namespace tessalyn
