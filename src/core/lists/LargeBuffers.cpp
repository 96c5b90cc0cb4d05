#include "core/lists/LargeBuffers.h"

#include "platform/PageMemory.h"

namespace quillmere {

namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
// Room for the allocator's own bookkeeping in front of a block.
constexpr std::size_t kAllocatorHeader = 64;

} // namespace

std::size_t largeAllocationBytes(std::size_t bytes) {
    if (bytes < kHugePage)
        return bytes;
    platform::keepLargeBlocksMapped();
    // A mapping of whole 2 MiB pages is placed on a 2 MiB boundary by the kernel (Linux 6.7 and
    // later), so that all of its pages can be huge.
    return (bytes + kAllocatorHeader + kHugePage - 1) / kHugePage * kHugePage - kAllocatorHeader;
}

} // namespace quillmere
