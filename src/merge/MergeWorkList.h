#pragma once

#include "lists/EntryList.h"

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

namespace quillmere {

// The working sequence of a merge: the entries of the old Main list, the factory file and the
// Added list, sorted, made unique and cleared of the Removed entries.
//
// Each entry is held as a sixteen-byte key: its first eight bytes as one big-endian integer,
// which decides most comparisons of the sort alone, and a packed reference to its bytes (address
// and length). Entries too long for the packed length, or at an address beyond 48 bits, are
// referenced through a side table instead. Empty entries are never taken in.
class MergeWorkList final {
public:
    void reserve(std::size_t count) { m_keys.reserve(count); }
    void add(std::string_view entry, bool fromMain);
    std::size_t size() const noexcept { return m_keys.size(); }

    // Ascending by byte value, through sortList.
    void sort();
    // Keeps one entry of each run of equal entries; the sequence must be sorted.
    void removeDuplicates();
    // Takes out the entry equal to each Removed entry; the sequence must be sorted and unique, so
    // a binary search finds the one match a first-match scan would find.
    void removeEntries(const EntryList& removed);
    // How many of the entries left had a copy in the old Main list.
    std::size_t countFromMain() const;

    // The entries as views, in order; the working keys are released.
    std::vector<std::string_view> takeViews();

private:
    struct Key {
        std::uint64_t prefix;
        std::uint64_t packed;
    };

    std::string_view viewOf(const Key& key) const;
    std::size_t lengthOf(const Key& key) const;
    bool less(const Key& a, const Key& b) const;
    bool equal(const Key& a, const Key& b) const;

    std::vector<Key> m_keys;
    std::vector<std::string_view> m_sideTable;
};

} // namespace quillmere
