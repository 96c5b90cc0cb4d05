#include "MergeWorkList.h"

#include "lists/SortList.h"

#include <algorithm>
#include <cstring>
#include <span>

namespace quillmere {

namespace {

constexpr int kLengthShift = 48;
constexpr std::uint64_t kAddressMask = (std::uint64_t{1} << kLengthShift) - 1;
constexpr std::uint64_t kLengthMask = 0x7FFF;
// A length field of all ones: the address field is an index into the side table.
constexpr std::uint64_t kInSideTable = kLengthMask;
constexpr std::uint64_t kFromMain = std::uint64_t{1} << 63;

// The first eight bytes as one big-endian integer, short entries padded with zero bytes, so that
// integer order is byte order wherever the prefixes differ.
std::uint64_t prefixOf(std::string_view entry) {
    unsigned char bytes[8] = {};
    if (entry.size() >= 8)
        std::memcpy(bytes, entry.data(), 8);
    else
        std::memcpy(bytes, entry.data(), entry.size());
    std::uint64_t prefix = 0;
    for (unsigned char byte : bytes)
        prefix = (prefix << 8) | byte;
    return prefix;
}

} // namespace

void MergeWorkList::add(std::string_view entry, bool fromMain) {
    if (entry.empty())
        return;
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entry.data()));
    std::uint64_t packed;
    if (entry.size() < kInSideTable && (address & ~kAddressMask) == 0) {
        packed = address | (std::uint64_t{entry.size()} << kLengthShift);
    } else {
        packed = std::uint64_t{m_sideTable.size()} | (kInSideTable << kLengthShift);
        m_sideTable.push_back(entry);
    }
    if (fromMain)
        packed |= kFromMain;
    m_keys.push_back({prefixOf(entry), packed});
}

std::size_t MergeWorkList::lengthOf(const Key& key) const {
    const std::uint64_t length = (key.packed >> kLengthShift) & kLengthMask;
    if (length == kInSideTable)
        return m_sideTable[key.packed & kAddressMask].size();
    return length;
}

std::string_view MergeWorkList::viewOf(const Key& key) const {
    const std::uint64_t length = (key.packed >> kLengthShift) & kLengthMask;
    if (length == kInSideTable)
        return m_sideTable[key.packed & kAddressMask];
    return {reinterpret_cast<const char*>(static_cast<std::uintptr_t>(key.packed & kAddressMask)),
            length};
}

// Equal prefixes: the bytes past the eighth decide. An entry of at most eight bytes is then a
// prefix of the other (or equal to it), so the shorter one comes first.
bool MergeWorkList::less(const Key& a, const Key& b) const {
    if (a.prefix != b.prefix)
        return a.prefix < b.prefix;
    const std::size_t lengthA = lengthOf(a);
    const std::size_t lengthB = lengthOf(b);
    if (lengthA <= 8 || lengthB <= 8)
        return lengthA < lengthB;
    return viewOf(a).substr(8) < viewOf(b).substr(8);
}

bool MergeWorkList::equal(const Key& a, const Key& b) const {
    if (a.prefix != b.prefix)
        return false;
    const std::size_t length = lengthOf(a);
    if (length != lengthOf(b))
        return false;
    return length <= 8 || viewOf(a).substr(8) == viewOf(b).substr(8);
}

void MergeWorkList::sort() {
    sortList(std::span<Key>(m_keys), [this](const Key& a, const Key& b) { return less(a, b); });
}

void MergeWorkList::removeDuplicates() {
    std::size_t kept = 0;
    for (std::size_t k = 0; k < m_keys.size(); ++k) {
        if (kept > 0 && equal(m_keys[kept - 1], m_keys[k])) {
            m_keys[kept - 1].packed |= m_keys[k].packed & kFromMain;
            continue;
        }
        m_keys[kept++] = m_keys[k];
    }
    m_keys.resize(kept);
}

void MergeWorkList::removeEntries(const EntryList& removed) {
    std::vector<std::size_t> matches;
    for (std::string_view entry : removed) {
        const std::uint64_t prefix = prefixOf(entry);
        const auto found = std::lower_bound(m_keys.begin(), m_keys.end(), entry,
                                            [this, prefix](const Key& key, std::string_view e) {
                                                if (key.prefix != prefix)
                                                    return key.prefix < prefix;
                                                return viewOf(key) < e;
                                            });
        if (found != m_keys.end() && found->prefix == prefix && viewOf(*found) == entry)
            matches.push_back(static_cast<std::size_t>(found - m_keys.begin()));
    }
    if (matches.empty())
        return;
    // A Removed entry listed twice finds the same match twice; the second scan would find nothing.
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    std::size_t kept = 0;
    std::size_t next = 0;
    for (std::size_t k = 0; k < m_keys.size(); ++k) {
        if (next < matches.size() && matches[next] == k) {
            ++next;
            continue;
        }
        m_keys[kept++] = m_keys[k];
    }
    m_keys.resize(kept);
}

std::size_t MergeWorkList::countFromMain() const {
    return static_cast<std::size_t>(std::count_if(m_keys.begin(), m_keys.end(), [](const Key& key) {
        return (key.packed & kFromMain) != 0;
    }));
}

std::vector<std::string_view> MergeWorkList::takeViews() {
    std::vector<std::string_view> views;
    views.reserve(m_keys.size());
    for (const Key& key : m_keys)
        views.push_back(viewOf(key));
    std::vector<Key>().swap(m_keys);
    std::vector<std::string_view>().swap(m_sideTable);
    return views;
}

} // namespace quillmere
