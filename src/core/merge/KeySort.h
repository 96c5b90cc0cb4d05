#pragma once

#include "core/merge/EntryKeys.h"

#include <span>

namespace quillmere {

// Sorts the keys into the order of EntryKeys::compare, in place: a radix sort on the sixteen key
// bytes, most significant byte first, whose buckets of the first byte are shared out between one
// thread per processor core. Short ranges, and entries that agree in all sixteen bytes, are
// finished by comparison. Equal entries end up side by side in no particular order.
void sortEntryKeys(std::span<EntryKey> keys, const EntryKeys& table);

} // namespace quillmere
