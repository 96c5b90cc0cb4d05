#pragma once

#include <cstddef>

// What the operating system offers for large arrays, on the standard library alone so that the
// core may use it. Linux has huge pages and takes pages back; elsewhere the calls do nothing.
namespace quillmere::platform {

// Asks for huge pages on the whole pages holding the range; a hint, never an error.
void adviseHugePages(const void* data, std::size_t bytes);

// Gives the whole pages inside the range back to the system; their bytes are lost and the pages
// are fresh when next written. A hint, never an error.
void releasePages(const void* data, std::size_t bytes);

// Makes every later allocation of a megabyte or more a mapping of its own.
void keepLargeBlocksMapped();

} // namespace quillmere::platform
