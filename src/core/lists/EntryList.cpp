#include "core/lists/EntryList.h"

#include "core/lists/FilePieces.h"
#include "core/lists/LargeBuffers.h"

#include <algorithm>
#include <utility>

namespace quillmere {

namespace {
constexpr std::size_t kTailBlockSize = 64 * 1024;
}

EntryList::EntryList(std::initializer_list<std::string_view> entries) {
    for (std::string_view entry : entries)
        append(entry);
}

EntryList::EntryList(const EntryList& other)
    : m_entries(other.m_entries)
    , m_blocks(other.m_blocks) {}

EntryList& EntryList::operator=(const EntryList& other) {
    if (this != &other) {
        m_entries = other.m_entries;
        m_blocks = other.m_blocks;
        m_tail.reset();
    }
    return *this;
}

EntryList EntryList::fromFileBytes(Block bytes) {
    EntryList list;
    list.m_entries = splitFileBytes(*bytes);
    list.m_blocks.push_back(std::move(bytes));
    return list;
}

EntryList EntryList::fromViews(std::vector<std::string_view> views, std::vector<Block> blocks) {
    EntryList list;
    list.m_entries = std::move(views);
    list.m_blocks = std::move(blocks);
    return list;
}

std::optional<std::size_t> EntryList::find(std::string_view text) const {
    const auto it = std::find(m_entries.begin(), m_entries.end(), text);
    if (it == m_entries.end())
        return std::nullopt;
    return static_cast<std::size_t>(it - m_entries.begin());
}

void EntryList::startTail(std::size_t bytes) {
    auto block = std::make_shared<std::string>();
    block->reserve(std::max(bytes, kTailBlockSize));
    m_blocks.push_back(block);
    m_tail = std::move(block);
}

void EntryList::append(std::string_view entry) {
    if (!m_tail || m_tail->capacity() - m_tail->size() < entry.size())
        startTail(entry.size());
    // Appending within the reserved capacity never moves the block, so earlier views stay valid.
    const std::size_t offset = m_tail->size();
    m_tail->append(entry);
    m_entries.emplace_back(m_tail->data() + offset, entry.size());
}

void EntryList::shareBlocks(const std::vector<Block>& blocks) {
    for (const Block& block : blocks) {
        if (std::find(m_blocks.begin(), m_blocks.end(), block) == m_blocks.end())
            m_blocks.push_back(block);
    }
}

void EntryList::reserveViews(std::size_t entries) {
    reserveLarge(m_entries, m_entries.size() + entries);
}

void EntryList::removeAt(std::size_t index) {
    m_entries.erase(m_entries.begin() + static_cast<std::ptrdiff_t>(index));
}

void EntryList::removeRows(const std::vector<std::size_t>& rows) {
    if (rows.empty())
        return;
    std::size_t kept = rows.front();
    auto next = rows.begin();
    for (std::size_t row = rows.front(); row < m_entries.size(); ++row) {
        if (next != rows.end() && *next == row) {
            ++next;
            continue;
        }
        m_entries[kept++] = m_entries[row];
    }
    m_entries.resize(kept);
}

void EntryList::clear() {
    m_entries.clear();
    m_blocks.clear();
    m_tail.reset();
}

void EntryList::reorder(std::vector<std::string_view> views) {
    m_entries = std::move(views);
}

std::vector<std::string_view> splitFileBytes(std::string_view bytes) {
    std::vector<std::string_view> pieces;
    reserveLarge(pieces, bytes.size() / 16 + 1);
    forEachFilePiece(bytes, [&pieces](std::string_view piece) { pieces.push_back(piece); });
    return pieces;
}

} // namespace quillmere
