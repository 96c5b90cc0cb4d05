#pragma once

#include <cstddef>

// What the operating system offers for large arrays, on the standard library alone so that the
// core may use it. Linux has huge pages; elsewhere both calls do nothing.
namespace quillmere::platform {

// Asks for huge pages on the whole pages holding the range; a hint, never an error.
void adviseHugePages(const void* data, std::size_t bytes);

// Makes every later allocation of a megabyte or more a mapping of its own.
void keepLargeBlocksMapped();

} // namespace quillmere::platform
