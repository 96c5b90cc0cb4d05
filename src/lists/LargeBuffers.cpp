#include "LargeBuffers.h"

#include <cstdint>

#if defined(__linux__)
#include <sys/mman.h>
#endif
#if defined(__GLIBC__)
#include <malloc.h>
#endif

namespace quillmere {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::uintptr_t kSmallPage = 4096;
// Room for the allocator's own bookkeeping in front of a block.
constexpr std::size_t kAllocatorHeader = 64;

#if defined(__linux__)
#if defined(MADV_COLLAPSE)
constexpr int kCollapse = MADV_COLLAPSE;
#else
// MADV_COLLAPSE, Linux 6.1 and later; older C library headers lack the name.
constexpr int kCollapse = 25;
#endif
#endif

// glibc serves a block from its heap once a block of that size has been freed, instead of
// mapping it on its own; a mapping of its own is what the kernel places on a 2 MiB boundary and
// takes back whole when it is freed. So every block of a megabyte or more gets its own mapping.
void keepLargeBlocksMapped() {
#if defined(__GLIBC__)
    static const bool done = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;
    (void)done;
#endif
}

} // namespace

void adviseHugePages([[maybe_unused]] const void* data, [[maybe_unused]] std::size_t bytes) {
#if defined(__linux__)
    if (bytes < kHugePage)
        return;
    const auto begin = reinterpret_cast<std::uintptr_t>(data) & ~(kSmallPage - 1);
    const auto end =
        (reinterpret_cast<std::uintptr_t>(data) + bytes + kSmallPage - 1) & ~(kSmallPage - 1);
    madvise(reinterpret_cast<void*>(begin), end - begin, MADV_HUGEPAGE);
    // A block that starts a 2 MiB page has had that page touched already, by the allocator's
    // header, so the kernel would fill it with 4 KiB pages: make it one huge page now.
    if (begin % kHugePage == 0 && end - begin >= kHugePage)
        madvise(reinterpret_cast<void*>(begin), kHugePage, kCollapse);
#endif
}

std::size_t largeAllocationBytes(std::size_t bytes) {
    if (bytes < kHugePage)
        return bytes;
    keepLargeBlocksMapped();
    // A mapping of whole 2 MiB pages is placed on a 2 MiB boundary by the kernel (Linux 6.7 and
    // later), so that all of its pages can be huge.
    return (bytes + kAllocatorHeader + kHugePage - 1) / kHugePage * kHugePage - kAllocatorHeader;
}

void resizeForReading(std::string& bytes, std::size_t length) {
    bytes.reserve(largeAllocationBytes(length + 1) - 1);
    adviseHugePages(bytes.data(), bytes.capacity());
    bytes.resize(length);
}

} // namespace quillmere
