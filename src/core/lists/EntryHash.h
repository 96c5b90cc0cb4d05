#pragma once

#include <cstdint>
#include <cstring>
#include <string_view>

namespace quillmere {

// A quick hash of an entry's bytes for the tables that look millions of entries up: one
// multiplication per eight bytes. The last eight bytes are read as one word, overlapping the one
// before, and an entry of fewer is read in at most two loads: a copy of a varying length would
// cost a call per entry.
inline std::uint64_t hashEntry(std::string_view bytes) {
    constexpr std::uint64_t kMultiplier = 0x9E3779B97F4A7C15ULL;
    const auto load = [&bytes]<typename Word>(std::size_t at, Word) {
        Word word;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        return std::uint64_t{word};
    };
    const std::size_t size = bytes.size();
    std::uint64_t hash = (size + 1) * kMultiplier;
    std::uint64_t last = 0;
    if (size >= 8) {
        for (std::size_t at = 0; at + 8 < size; at += 8)
            hash = (hash ^ load(at, std::uint64_t{})) * kMultiplier;
        last = load(size - 8, std::uint64_t{});
    } else if (size >= 4) {
        last = load(0, std::uint32_t{}) << 32 | load(size - 4, std::uint32_t{});
    } else if (size > 0) {
        const auto byte = [&bytes](std::size_t at) {
            return std::uint64_t{static_cast<unsigned char>(bytes[at])};
        };
        last = byte(0) << 16 | byte(size / 2) << 8 | byte(size - 1);
    }
    hash = (hash ^ last) * kMultiplier;
    return hash ^ (hash >> 29);
}

} // namespace quillmere
