#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillmere {

// One bit per stretch of hash values, set for every hash added: whether a hash may have been
// added, answered from an array small enough for the processor's nearer caches. It stands before
// a larger hash table so that the millions of entries a table holds none of rarely reach it. The
// bits come from the middle of the hash: a table's slot takes the lowest, its tag the highest.
class HashFilter final {
public:
    // At least that many bits, as a power of two.
    explicit HashFilter(std::size_t bits = 64) {
        std::size_t words = 1;
        while (64 * words < bits)
            words *= 2;
        m_words.assign(words, 0);
        m_mask = 64 * words - 1;
    }

    void add(std::uint64_t hash) {
        const std::size_t bit = bitOf(hash);
        m_words[bit / 64] |= std::uint64_t{1} << (bit % 64);
    }

    // False only when no equal hash was added.
    bool mayHold(std::uint64_t hash) const {
        const std::size_t bit = bitOf(hash);
        return (m_words[bit / 64] >> (bit % 64) & 1) != 0;
    }

private:
    std::size_t bitOf(std::uint64_t hash) const { return (hash >> 20) & m_mask; }

    std::vector<std::uint64_t> m_words;
    std::size_t m_mask = 0;
};

} // namespace quillmere
