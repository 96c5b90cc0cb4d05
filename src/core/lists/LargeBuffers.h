#pragma once

#include "platform/PageMemory.h"

#include <cstddef>
#include <vector>

namespace quillmere {

// Large arrays (a list's views, the merge's keys) are written once soon after they are allocated,
// and then read all over. On Linux the kernel hands out fresh memory one 4 KiB page per fault
// unless the range asks for huge pages (the usual transparent-huge-page setting is "madvise"); on
// virtual machines a fault is dear, and an array read out of order misses the translation cache
// page after page. These helpers size such arrays in whole 2 MiB pages and ask for huge pages
// before the first write. Elsewhere they only reserve. A file's bytes are left in small pages: the
// kernel's copy fills them front to back, and on virtual machines a fresh huge page often costs
// several times its 512 small ones (the host hands it out anew), more than it saves there.

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

// Gives the whole pages of the array's unused capacity back to the system; they are fresh again
// when the array grows into them.
template <typename T> void releaseSpareCapacity(std::vector<T>& array) {
    platform::releasePages(array.data() + array.size(),
                           (array.capacity() - array.size()) * sizeof(T));
}

} // namespace quillmere
