#pragma once

#include "platform/PageMemory.h"

#include <cstddef>
#include <string>
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

// Gives the whole pages of the array's unused capacity back to the system; they are fresh again
// when the array grows into them.
template <typename T> void releaseSpareCapacity(std::vector<T>& array) {
    platform::releasePages(array.data() + array.size(),
                           (array.capacity() - array.size()) * sizeof(T));
}

// Sizes an empty string to the given length for bytes about to be read into it.
void resizeForReading(std::string& bytes, std::size_t length);

} // namespace quillmere
