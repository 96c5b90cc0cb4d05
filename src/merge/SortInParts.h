#pragma once

#include "EntryKeys.h"

#include <span>
#include <vector>

namespace quillmere {

// Cuts the keys into up to one part per processor core and sorts each part with sortList, the
// parts side by side on their own threads. Returns the sorted parts, in order; a list too small
// to be worth a thread is one part.
std::vector<std::span<EntryKey>> sortInParts(std::vector<EntryKey>& keys, const EntryKeys& table);

} // namespace quillmere
