#pragma once

#include "core/merge/EntryKeys.h"

#include <array>
#include <cstddef>
#include <span>

namespace quillmere {

// Sorts the keys into the order of EntryKeys::compare, in place: a radix sort on the sixteen key
// bytes, most significant byte first, whose buckets of the first byte are shared out between one
// thread per processor core. Short ranges, and entries that agree in all sixteen bytes, are
// finished by comparison. Equal entries end up side by side in no particular order.
void sortEntryKeys(std::span<EntryKey> keys, const EntryKeys& table);

// Where each first byte's keys lie: bucket b spans [bounds[b], bounds[b + 1]).
using FirstByteBounds = std::array<std::size_t, 257>;

// The same order for keys already placed in the buckets of their first byte (as the merge places
// them while it cuts its files), which saves the first radix pass, the one that would read and
// move every key on a single thread.
void sortBucketedKeys(std::span<EntryKey> keys, const FirstByteBounds& bounds,
                      const EntryKeys& table);

} // namespace quillmere
