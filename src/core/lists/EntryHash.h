#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillmere {

// A quick hash of an entry's bytes for the tables that look millions of entries up: one
// multiplication per eight bytes.
inline std::uint64_t hashEntry(std::string_view bytes) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    std::uint64_t hash = (bytes.size() + 1) * kMultiplier;
    std::size_t at = 0;
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, 8);
        hash = (hash ^ word) * kMultiplier;
    }
    if (at < bytes.size()) {
        std::uint64_t word = 0;
        std::memcpy(&word, bytes.data() + at, bytes.size() - at);
        hash = (hash ^ word) * kMultiplier;
    }
    return hash ^ (hash >> 29);
}

} // namespace quillmere
