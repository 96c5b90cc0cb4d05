#include "core/lists/ContentHash.h"

#include <algorithm>
#include <bit>
#include <cstring>

namespace quillmere {

namespace {
std::uint64_t finalMix(std::uint64_t x) {
    x ^= x >> 30;
    x *= 0xbf58476d1ce4e5b9;
    x ^= x >> 27;
    x *= 0x94d049bb133111eb;
    return x ^ (x >> 31);
}
} // namespace

void ContentHash::mixWord(std::uint64_t word) {
    m_state = std::rotl(m_state ^ (word * 0x9e3779b97f4a7c15), 29) * 0xff51afd7ed558ccd;
}

void ContentHash::add(std::string_view bytes) {
    m_length += bytes.size();
    std::size_t at = 0;
    if (m_pendingSize > 0) {
        const std::size_t take = std::min(bytes.size(), sizeof m_pending - m_pendingSize);
        std::memcpy(m_pending + m_pendingSize, bytes.data(), take);
        m_pendingSize += take;
        at = take;
        if (m_pendingSize < sizeof m_pending)
            return;
        std::uint64_t word;
        std::memcpy(&word, m_pending, sizeof word);
        mixWord(word);
        m_pendingSize = 0;
    }
    for (; at + 8 <= bytes.size(); at += 8) {
        std::uint64_t word;
        std::memcpy(&word, bytes.data() + at, sizeof word);
        mixWord(word);
    }
    m_pendingSize = bytes.size() - at;
    std::memcpy(m_pending, bytes.data() + at, m_pendingSize);
}

std::uint64_t ContentHash::value() const {
    std::uint64_t tail = 0;
    std::memcpy(&tail, m_pending, m_pendingSize);
    return finalMix(std::rotl(m_state ^ (tail * 0x9e3779b97f4a7c15), 29) ^ m_length);
}

std::uint64_t hashContent(std::string_view bytes) {
    ContentHash hash;
    hash.add(bytes);
    return hash.value();
}

} // namespace quillmere
