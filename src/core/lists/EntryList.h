#pragma once

#include <cstddef>
#include <initializer_list>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

// An ordered list of entries, each a byte string (ISO-8859-1: one byte, one character).
//
// Entries are views into shared, immutable byte blocks: a file read from disk becomes one block
// and its entries point straight into it, so a list of millions of domains costs one buffer plus
// sixteen bytes per entry. Appended entries are copied into small blocks the list owns.
class EntryList final {
public:
    using Block = std::shared_ptr<const std::string>;
    using const_iterator = std::vector<std::string_view>::const_iterator;

    EntryList() = default;
    EntryList(std::initializer_list<std::string_view> entries);
    EntryList(const EntryList& other);
    EntryList& operator=(const EntryList& other);
    EntryList(EntryList&&) noexcept = default;
    EntryList& operator=(EntryList&&) noexcept = default;
    ~EntryList() = default;

    // The entries of a list file's bytes: cut at every CR LF, empty pieces dropped, nothing else
    // changed. The list keeps the block alive and copies no entry.
    static EntryList fromFileBytes(Block bytes);

    // A list made of views that stay valid as long as the given blocks live.
    static EntryList fromViews(std::vector<std::string_view> views, std::vector<Block> blocks);

    std::size_t size() const noexcept { return m_entries.size(); }
    bool empty() const noexcept { return m_entries.empty(); }
    std::string_view operator[](std::size_t index) const { return m_entries[index]; }
    const_iterator begin() const noexcept { return m_entries.begin(); }
    const_iterator end() const noexcept { return m_entries.end(); }
    const std::vector<std::string_view>& views() const noexcept { return m_entries; }
    const std::vector<Block>& blocks() const noexcept { return m_blocks; }

    // Index of the first entry equal to the text, byte for byte.
    std::optional<std::size_t> find(std::string_view text) const;

    void append(std::string_view entry);
    // Shares the blocks (those the list holds already once), so that views of them can be
    // appended.
    void shareBlocks(const std::vector<Block>& blocks);
    // Room for that many more entries.
    void reserveViews(std::size_t entries);
    // Appends a view of bytes in a block the list holds or shares, copying nothing.
    void appendView(std::string_view entry) { m_entries.push_back(entry); }
    void removeAt(std::size_t index);
    // Removes the entries at the rows, given in ascending order, in one pass.
    void removeRows(const std::vector<std::size_t>& rows);
    void clear();

    // Reorders the entries; the caller passes a permutation of this list's own views.
    void reorder(std::vector<std::string_view> views);

    bool operator==(const EntryList& other) const { return m_entries == other.m_entries; }

private:
    // A new block for appended entries, with room for at least that many bytes.
    void startTail(std::size_t bytes);

    std::vector<std::string_view> m_entries;
    std::vector<Block> m_blocks;
    // The block that appended entries are copied into; owned by this list alone, so a copy of the
    // list never writes into it.
    std::shared_ptr<std::string> m_tail;
};

// The text of a list file: every entry followed by CR LF, an empty list giving no bytes. The text
// is handed out in pieces of about the given size so that large lists are never held twice.
template <typename Sink>
bool forEachFileChunk(const EntryList& list, Sink&& sink, std::size_t chunkSize = 1 << 20);

// The entries of a list file's bytes as views into them: cut at every CR LF, empty pieces
// dropped.
std::vector<std::string_view> splitFileBytes(std::string_view bytes);

} // namespace quillmere

#include "core/lists/EntryList.inl"
