#pragma once

#include "platform/PageMemory.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <type_traits>
#include <vector>

namespace quillmere {

// Large arrays (a list file's bytes, a list's views, the merge's keys) are written once, front to
// back, soon after they are allocated. On Linux the kernel hands out fresh memory one 4 KiB page
// per fault unless the range asks for huge pages (the usual transparent-huge-page setting is
// "madvise"), and on virtual machines a fault is dear: for the tens of megabytes of a big list,
// the faults cost more than the work done in the memory. These helpers size such arrays in whole
// 2 MiB pages and ask for huge pages before the first write. Elsewhere they only reserve.

// The number of bytes to allocate for at least the given number: for large arrays, as many as
// make the allocation fill whole 2 MiB pages.
std::size_t largeAllocationBytes(std::size_t bytes);

template <typename T> void reserveLarge(std::vector<T>& array, std::size_t count) {
    if (count <= array.capacity())
        return;
    array.reserve(largeAllocationBytes(count * sizeof(T)) / sizeof(T));
    platform::adviseHugePages(array.data() + array.size(),
                              (array.capacity() - array.size()) * sizeof(T));
}

// An array for a count known beforehand, left unwritten, so that its pages are first touched by
// the writes that fill it, wherever in the array those fall.
template <typename T> std::unique_ptr<T[]> allocateLarge(std::size_t count) {
    static_assert(std::is_trivially_default_constructible_v<T>);
    const std::size_t room =
        std::max<std::size_t>(1, largeAllocationBytes(count * sizeof(T)) / sizeof(T));
    std::unique_ptr<T[]> array(new T[room]);
    platform::adviseHugePages(array.get(), room * sizeof(T));
    return array;
}

// Sizes an empty string to the given length for bytes about to be read into it.
void resizeForReading(std::string& bytes, std::size_t length);

} // namespace quillmere
