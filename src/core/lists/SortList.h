#pragma once

#include <array>
#include <cassert>
#include <chrono>
#include <cstddef>
#include <random>
#include <span>
#include <string_view>
#include <utility>
#include <vector>

namespace quillmere {

// The randomised quicksort every ordering of domains goes through. The shuffle first makes the
// running time independent of the input order; then an explicit stack of 32 ranges, with the
// smaller part always handled first, keeps the memory beyond the array constant.
template <typename T, typename Less> void sortList(std::span<T> list, Less less) {
    using Index = std::ptrdiff_t;
    const Index u = static_cast<Index>(list.size()) - 1;

    std::mt19937_64 random(
        static_cast<std::uint64_t>(std::chrono::steady_clock::now().time_since_epoch().count()));
    if (u >= 1) {
        std::uniform_int_distribution<Index> pick(0, u - 1);
        for (Index i = 0; i <= u; ++i)
            std::swap(list[static_cast<std::size_t>(i)],
                      list[static_cast<std::size_t>(pick(random))]);
    }

    struct Range {
        Index lo = 0;
        Index hi = 0;
    };
    std::array<Range, 33> stack{}; // slots 1 to 32; slot 1 is the end marker
    Index lo = 0;
    Index hi = u;
    stack[1] = {0, u};
    std::size_t sp = 1;

    auto at = [&list](Index k) -> T& { return list[static_cast<std::size_t>(k)]; };
    for (;;) {
        if (hi <= lo) {
            lo = stack[sp].lo;
            hi = stack[sp].hi;
            if (--sp == 0)
                return;
            continue;
        }
        const T pivot = at(hi);
        Index i = lo - 1;
        Index j = hi;
        do {
            do
                ++i;
            while (less(at(i), pivot));
            do
                --j;
            while (j > lo && less(pivot, at(j)));
            std::swap(at(i), at(j));
        } while (j > i);
        // Undo the last swap and put the pivot in its place.
        T t = std::move(at(j));
        at(j) = std::move(at(i));
        at(i) = std::move(at(hi));
        at(hi) = std::move(t);

        ++sp;
        assert(sp < stack.size());
        if (i - lo <= hi - i) {
            stack[sp] = {i + 1, hi};
            hi = i - 1;
        } else {
            stack[sp] = {lo, i - 1};
            lo = i + 1;
        }
    }
}

// Sorts entries ascending by their bytes taken as unsigned values, which is the ordinal order of
// the single-byte code page. Each entry is compared through its first eight bytes as one integer
// first, so most comparisons never touch the entries' bytes.
void sortEntries(std::vector<std::string_view>& entries);

} // namespace quillmere
