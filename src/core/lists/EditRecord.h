#pragma once

#include "core/lists/EntryList.h"

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

enum class ListId;

enum class EditAction {
    Add,
    Remove,
    Unadd,
    Reactivate,
    Clear,
    Sort,
    Merge,
    Rebuild,
    Trim,
    Restore
};

// The action's name in the journal: "add", "remove", "unadd", "reactivate", "clear", "sort",
// "merge", "rebuild", "trim", "restore".
std::string_view editActionName(EditAction action);

// True for the actions that move one domain: add, remove, unadd, reactivate, clear, trim.
bool isDomainAction(EditAction action);

// What replacing the Main list as a whole changed, counted as a merge counts it: the entries of the
// new list that the old one lacked, and the entries of the old one (every copy) that the new one
// no longer holds.
struct ReplacementCount {
    std::size_t gained = 0;
    std::size_t lost = 0;
};
ReplacementCount countReplacement(const EntryList& before, const EntryList& after);

// One command's change, exact enough to apply it again to the lists as they were before it. The
// texts are views into the bytes of the record that holds the edit.
struct Edit {
    EditAction action;
    ListId list{};           // sort: the list sorted
    std::string_view domain; // domain actions: the entry's bytes
    std::string_view file;   // merge, restore: the file read (UTF-8); rebuild: empty
    std::size_t gained = 0;  // merge, rebuild, restore: entries the Main list gained
    std::size_t lost = 0;    // merge, rebuild, restore: entries it lost (every copy)
};

// The hand edits made since the lists were loaded or last saved, in the order they were made:
// the save hands them to the journal, a revert discards them. A command given many domains
// records as many edits, so an edit holds no text of its own: its texts view blocks the record
// owns (copies of the texts) or shares (the blocks of the domains given).
class EditRecord final {
public:
    EditRecord() = default;
    EditRecord(const EditRecord&) = delete;
    EditRecord& operator=(const EditRecord&) = delete;
    EditRecord(EditRecord&&) noexcept = default;
    EditRecord& operator=(EditRecord&&) noexcept = default;
    ~EditRecord() = default;

    // Room for that many more edits, so that a command given many domains allocates once.
    void reserve(std::size_t edits);
    // add, remove, unadd, reactivate, clear and trim: one per domain moved.
    void recordDomain(EditAction action, std::string_view domain);
    // Shares the blocks, so that edits of domains viewing them can be recorded without a copy.
    void shareBlocks(const std::vector<EntryList::Block>& blocks);
    // recordDomain for a domain that views a block the record shares.
    void recordViewedDomain(EditAction action, std::string_view domain);
    void recordSort(ListId list);
    // merge, rebuild and restore: the Main list replaced as a whole.
    void recordMainReplaced(EditAction action, std::string_view file, std::size_t gained,
                            std::size_t lost);

    const std::vector<Edit>& edits() const { return m_edits; }
    bool empty() const { return m_edits.empty(); }
    void clear();

private:
    std::string_view keep(std::string_view text);
    void startBlock(std::size_t bytes);

    std::vector<Edit> m_edits;
    // Each block is filled only up to its capacity, so that it never moves.
    std::vector<std::string> m_blocks;
    std::vector<EntryList::Block> m_shared;
};

} // namespace quillmere
