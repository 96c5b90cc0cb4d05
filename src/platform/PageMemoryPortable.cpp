#include "platform/PageMemory.h"

namespace quillmere::platform {

void adviseHugePages(const void*, std::size_t) {}

void releasePages(const void*, std::size_t) {}

void keepLargeBlocksMapped() {}

} // namespace quillmere::platform
