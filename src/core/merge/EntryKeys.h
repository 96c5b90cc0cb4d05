#pragma once

#include <algorithm>
#include <bit>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string_view>
#include <vector>

// For the few small functions the merge's loops run for every entry, where a call costs more than
// the work: reading an entry's words, the walk's step.
#if defined(__GNUC__)
#define QUILLMERE_ALWAYS_INLINE [[gnu::always_inline]]
#else
#define QUILLMERE_ALWAYS_INLINE
#endif

namespace quillmere {

// An entry as the merge compares it: its first sixteen bytes as two big-endian integers, which
// decide every comparison between entries of at most sixteen bytes without touching their bytes,
// and a packed reference to the bytes (address, length and the mark "was in the old Main list").
struct EntryKey {
    std::uint64_t head;
    std::uint64_t next;
    std::uint64_t ref;
};

// Makes, reads and compares keys. Entries too long for the packed length, or at an address beyond
// 48 bits, are referenced through a side table instead; keys from one table compare with each
// other only. Reading and comparing are safe from several threads at once.
class EntryKeys final {
public:
    // The entry's bytes must outlive every key made of it.
    EntryKey make(std::string_view entry, bool fromMain);
    // True when make() packs the entry's reference into its key, false when it takes a side entry.
    static bool packs(std::string_view entry);
    // The longest entry that packs, at an address that does.
    static constexpr std::size_t kLongestPacked = 0x7FFE;
    // The key make() gave the entry earlier, made again without touching the table: an entry that
    // took a side entry then is told which (the side entries of a run of makes are numbered one
    // after the other, from the number the table had before them).
    EntryKey remake(std::string_view entry, bool fromMain, std::uint64_t& nextSide) const;
    // The packed key of an entry, for a copy of its bytes that packs too: the same key but for the
    // address, marked "was in the old Main list".
    static EntryKey movedFromMain(const EntryKey& key, std::string_view copy);

    std::string_view view(const EntryKey& key) const { return viewOf(key.ref); }
    std::string_view viewOf(std::uint64_t ref) const;
    static bool fromMain(const EntryKey& key) { return (key.ref & kFromMain) != 0; }
    static void markFromMain(EntryKey& key) { key.ref |= kFromMain; }

    // Byte order, as sortList sorts entries: negative, zero or positive as a is before, equal
    // to or after b.
    int compare(const EntryKey& a, const EntryKey& b) const;
    bool less(const EntryKey& a, const EntryKey& b) const;
    // The same bytes: told apart sooner than by compare(), which reads the bytes of entries of
    // the same sixteen first bytes but of other lengths.
    bool equal(const EntryKey& a, const EntryKey& b) const;

    // Takes over the side entries of a table that worked on its own, for instance on another
    // thread; that table's references must then pass through rebased() with the returned offset.
    std::uint64_t adopt(EntryKeys& other);
    bool hasSideEntries() const { return !m_sideTable.empty(); }
    static std::uint64_t rebased(std::uint64_t ref, std::uint64_t offset) {
        return ((ref >> kLengthShift) & kLengthMask) == kInSideTable ? ref + offset : ref;
    }

    // Asks the processor to fetch the entry's bytes ahead of a comparison that will need them.
    void prefetch(const EntryKey& key) const;

private:
    static constexpr int kLengthShift = 48;
    static constexpr std::uint64_t kAddressMask = (std::uint64_t{1} << kLengthShift) - 1;
    static constexpr std::uint64_t kLengthMask = 0x7FFF;
    // A length field of all ones: the address field is an index into the side table.
    static constexpr std::uint64_t kInSideTable = kLengthMask;
    static_assert(kLongestPacked + 1 == kInSideTable);
    static constexpr std::uint64_t kFromMain = std::uint64_t{1} << 63;
    static constexpr std::size_t kKeyBytes = 16;

    std::size_t lengthOf(std::uint64_t ref) const;

    std::vector<std::string_view> m_sideTable;
};

namespace detail {

constexpr std::uint64_t byteSwap(std::uint64_t v) {
    v = ((v & 0x00FF00FF00FF00FFULL) << 8) | ((v >> 8) & 0x00FF00FF00FF00FFULL);
    v = ((v & 0x0000FFFF0000FFFFULL) << 16) | ((v >> 16) & 0x0000FFFF0000FFFFULL);
    return (v << 32) | (v >> 32);
}

// Eight bytes from the offset on as one big-endian integer, padded with zero bytes past the end,
// so that integer order is byte order wherever the padded bytes differ. Fewer than eight bytes
// left are read as the entry's last eight, shifted: a read byte by byte would cost a loop per
// entry, and most entries end within their second eight bytes.
QUILLMERE_ALWAYS_INLINE inline std::uint64_t bigEndianWord(std::string_view entry,
                                                           std::size_t offset) {
    const auto loaded = [&entry](std::size_t at) {
        std::uint64_t word;
        std::memcpy(&word, entry.data() + at, 8);
        return std::endian::native == std::endian::little ? byteSwap(word) : word;
    };
    if (entry.size() >= 8) {
        // Without a branch on the length, which varies from entry to entry.
        const std::size_t at = std::min(offset, entry.size() - 8);
        const std::size_t shift = 8 * (offset - at);
        const std::uint64_t word = loaded(at);
        return shift < 64 ? word << shift : 0;
    }
    std::uint64_t word = 0;
    for (std::size_t k = 0; k < 8; ++k) {
        const std::size_t at = offset + k;
        word = (word << 8) | (at < entry.size() ? static_cast<unsigned char>(entry[at]) : 0U);
    }
    return word;
}

} // namespace detail

inline bool EntryKeys::packs(std::string_view entry) {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entry.data()));
    return entry.size() < kInSideTable && (address & ~kAddressMask) == 0;
}

inline EntryKey EntryKeys::remake(std::string_view entry, bool fromMain,
                                  std::uint64_t& nextSide) const {
    std::uint64_t ref =
        packs(entry) ? static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entry.data())) |
                           (std::uint64_t{entry.size()} << kLengthShift)
                     : nextSide++ | (kInSideTable << kLengthShift);
    if (fromMain)
        ref |= kFromMain;
    return {detail::bigEndianWord(entry, 0), detail::bigEndianWord(entry, 8), ref};
}

inline EntryKey EntryKeys::movedFromMain(const EntryKey& key, std::string_view copy) {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(copy.data()));
    return {key.head, key.next, (key.ref & ~kAddressMask) | address | kFromMain};
}

inline EntryKey EntryKeys::make(std::string_view entry, bool fromMain) {
    const auto address = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(entry.data()));
    std::uint64_t ref;
    if (packs(entry)) {
        ref = address | (std::uint64_t{entry.size()} << kLengthShift);
    } else {
        ref = std::uint64_t{m_sideTable.size()} | (kInSideTable << kLengthShift);
        m_sideTable.push_back(entry);
    }
    if (fromMain)
        ref |= kFromMain;
    return {detail::bigEndianWord(entry, 0), detail::bigEndianWord(entry, 8), ref};
}

inline std::uint64_t EntryKeys::adopt(EntryKeys& other) {
    const std::uint64_t offset = m_sideTable.size();
    m_sideTable.insert(m_sideTable.end(), other.m_sideTable.begin(), other.m_sideTable.end());
    other.m_sideTable.clear();
    return offset;
}

inline std::size_t EntryKeys::lengthOf(std::uint64_t ref) const {
    const std::uint64_t length = (ref >> kLengthShift) & kLengthMask;
    if (length == kInSideTable)
        return m_sideTable[ref & kAddressMask].size();
    return length;
}

inline std::string_view EntryKeys::viewOf(std::uint64_t ref) const {
    const std::uint64_t length = (ref >> kLengthShift) & kLengthMask;
    if (length == kInSideTable)
        return m_sideTable[ref & kAddressMask];
    return {reinterpret_cast<const char*>(static_cast<std::uintptr_t>(ref & kAddressMask)), length};
}

// Equal first sixteen bytes (zero-padded): when either entry is no longer than that, it is a
// prefix of the other or equal to it, so the shorter comes first; otherwise the rest decides.
inline int EntryKeys::compare(const EntryKey& a, const EntryKey& b) const {
    if (a.head != b.head)
        return a.head < b.head ? -1 : 1;
    if (a.next != b.next)
        return a.next < b.next ? -1 : 1;
    const std::size_t lengthA = lengthOf(a.ref);
    const std::size_t lengthB = lengthOf(b.ref);
    if (lengthA <= kKeyBytes || lengthB <= kKeyBytes)
        return lengthA < lengthB ? -1 : (lengthA > lengthB ? 1 : 0);
    return view(a).substr(kKeyBytes).compare(view(b).substr(kKeyBytes));
}

inline bool EntryKeys::less(const EntryKey& a, const EntryKey& b) const {
    if (a.head != b.head)
        return a.head < b.head;
    if (a.next != b.next)
        return a.next < b.next;
    return compare(a, b) < 0;
}

inline bool EntryKeys::equal(const EntryKey& a, const EntryKey& b) const {
    if (a.head != b.head || a.next != b.next)
        return false;
    const std::size_t length = lengthOf(a.ref);
    if (length != lengthOf(b.ref))
        return false;
    return length <= kKeyBytes || std::memcmp(view(a).data() + kKeyBytes,
                                              view(b).data() + kKeyBytes, length - kKeyBytes) == 0;
}

inline void EntryKeys::prefetch([[maybe_unused]] const EntryKey& key) const {
#if defined(__GNUC__)
    const std::string_view entry = view(key);
    if (entry.size() > kKeyBytes)
        __builtin_prefetch(entry.data() + kKeyBytes);
#endif
}

} // namespace quillmere
