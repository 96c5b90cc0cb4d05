#pragma once

#include "core/merge/EntryKeys.h"

#include <cstddef>
#include <span>
#include <string_view>

namespace quillmere {

// Sorts the keys into the order of EntryKeys::compare, in place: a radix sort on the sixteen key
// bytes, most significant byte first, whose buckets of the first byte are shared out between one
// thread per processor core. Short ranges, and entries that agree in all sixteen bytes, are
// finished by comparison. Equal entries end up side by side in no particular order.
void sortEntryKeys(std::span<EntryKey> keys, const EntryKeys& table);

// The keys' buckets of their first two bytes (the key's, zero-padded): as many as there are values.
inline constexpr std::size_t kLeadBuckets = 65536;

inline std::size_t leadOf(const EntryKey& key) {
    return static_cast<std::size_t>(key.head >> 48);
}

// The same bucket for an entry that is not empty, without making its key.
inline std::size_t leadOf(std::string_view entry) {
    const auto byte = [&entry](std::size_t at) {
        return static_cast<std::size_t>(static_cast<unsigned char>(entry[at]));
    };
    return byte(0) << 8 | (entry.size() > 1 ? byte(1) : 0);
}

// The same order for keys already placed in the buckets of their first two bytes (as the merge
// places them while it cuts its files): bucket b spans [bounds[b], bounds[b + 1]), and bounds
// has kLeadBuckets + 1 of them. That saves the first two radix passes, the first of which would
// read and move every key on a single thread.
void sortBucketedKeys(std::span<EntryKey> keys, std::span<const std::size_t> bounds,
                      const EntryKeys& table);

} // namespace quillmere
