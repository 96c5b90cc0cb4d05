#include "EntryKeys.h"

#include <cstring>

namespace quillmere {

namespace {

// Eight bytes from the offset on as one big-endian integer, padded with zero bytes past the end,
// so that integer order is byte order wherever the padded bytes differ.
std::uint64_t bigEndianWord(std::string_view entry, std::size_t offset) {
    unsigned char bytes[8] = {};
    if (entry.size() >= offset + 8)
        std::memcpy(bytes, entry.data() + offset, 8);
    else if (entry.size() > offset)
        std::memcpy(bytes, entry.data() + offset, entry.size() - offset);
    std::uint64_t word = 0;
    for (unsigned char byte : bytes)
        word = (word << 8) | byte;
    return word;
}

} // namespace

EntryKey EntryKeys::make(std::string_view entry, bool fromMain) {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entry.data()));
    std::uint64_t ref;
    if (entry.size() < kInSideTable && (address & ~kAddressMask) == 0) {
        ref = address | (std::uint64_t{entry.size()} << kLengthShift);
    } else {
        ref = std::uint64_t{m_sideTable.size()} | (kInSideTable << kLengthShift);
        m_sideTable.push_back(entry);
    }
    if (fromMain)
        ref |= kFromMain;
    return {bigEndianWord(entry, 0), bigEndianWord(entry, 8), ref};
}

EntryKey EntryKeys::rekey(std::uint64_t ref) const {
    const std::string_view entry = viewOf(ref);
    return {bigEndianWord(entry, 0), bigEndianWord(entry, 8), ref};
}

} // namespace quillmere
