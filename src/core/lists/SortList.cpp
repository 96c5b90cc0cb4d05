#include "core/lists/SortList.h"

#include "core/lists/LargeBuffers.h"

#include <cstdint>
#include <cstring>

namespace quillmere {

namespace {

struct SortKey {
    std::uint64_t prefix;
    std::string_view entry;
};

std::uint64_t bigEndianPrefix(std::string_view entry) {
    unsigned char bytes[8] = {};
    if (!entry.empty())
        std::memcpy(bytes, entry.data(), entry.size() < 8 ? entry.size() : 8);
    std::uint64_t prefix = 0;
    for (unsigned char byte : bytes)
        prefix = (prefix << 8) | byte;
    return prefix;
}

bool keyLess(const SortKey& a, const SortKey& b) {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    // char_traits<char> compares as unsigned char, so this is the byte order.
    return a.entry < b.entry;
}

} // namespace

void sortEntries(std::vector<std::string_view>& entries) {
    std::vector<SortKey> keys;
    reserveLarge(keys, entries.size());
    for (std::string_view entry : entries)
        keys.push_back({bigEndianPrefix(entry), entry});
    sortList(std::span<SortKey>(keys), keyLess);
    for (std::size_t k = 0; k < keys.size(); ++k)
        entries[k] = keys[k].entry;
}

} // namespace quillmere
