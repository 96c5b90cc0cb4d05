#pragma once

#include <cstddef>
#include <cstdint>
#include <string_view>

namespace quillmere {

// A 64-bit hash of a byte stream that comes out the same however the stream is cut into pieces,
// so a file can be hashed as it is written in chunks and compared with the same file read whole.
// It tells a changed file from an unchanged one; it is no protection against a forger.
class ContentHash final {
public:
    void add(std::string_view bytes);
    std::uint64_t value() const;

private:
    void mixWord(std::uint64_t word);

    std::uint64_t m_state = 0x243f6a8885a308d3;
    std::uint64_t m_length = 0;
    unsigned char m_pending[8] = {};
    std::size_t m_pendingSize = 0;
};

std::uint64_t hashContent(std::string_view bytes);

} // namespace quillmere
