#include "platform/PageMemory.h"

#include <cstdint>
#include <malloc.h>
#include <sys/mman.h>

namespace quillmere::platform {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::uintptr_t kSmallPage = 4096;

#if defined(MADV_COLLAPSE)
constexpr int kCollapse = MADV_COLLAPSE;
#else
// MADV_COLLAPSE, Linux 6.1 and later; older C library headers lack the name.
constexpr int kCollapse = 25;
#endif

} // namespace

void adviseHugePages(const void* data, std::size_t bytes) {
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
}

void releasePages(const void* data, std::size_t bytes) {
    const auto begin =
        (reinterpret_cast<std::uintptr_t>(data) + kSmallPage - 1) & ~(kSmallPage - 1);
    const auto end = (reinterpret_cast<std::uintptr_t>(data) + bytes) & ~(kSmallPage - 1);
    if (end > begin)
        madvise(reinterpret_cast<void*>(begin), end - begin, MADV_DONTNEED);
}

// glibc serves a block from its heap once a block of that size has been freed, instead of
// mapping it on its own; a mapping of its own is what the kernel places on a 2 MiB boundary and
// takes back whole when it is freed.
void keepLargeBlocksMapped() {
    static const bool done = mallopt(M_MMAP_THRESHOLD, 1 << 20) == 1;
    (void)done;
}

} // namespace quillmere::platform
