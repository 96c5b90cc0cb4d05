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

// One command's change, exact enough to apply it again to the lists as they were before it.
struct Edit {
    EditAction action;
    std::string domain;     // domain actions: the entry's bytes
    ListId list{};          // sort: the list sorted
    std::string file;       // merge, restore: the file read (UTF-8); rebuild: empty
    std::size_t gained = 0; // merge, rebuild, restore: entries the Main list gained
    std::size_t lost = 0;   // merge, rebuild, restore: entries it lost (every copy)
};

// The hand edits made since the lists were loaded or last saved, in the order they were made:
// the save hands them to the journal, a revert discards them.
class EditRecord final {
public:
    // add, remove, unadd, reactivate, clear and trim: one per domain moved.
    void recordDomain(EditAction action, std::string_view domain);
    void recordSort(ListId list);
    // merge, rebuild and restore: the Main list replaced as a whole.
    void recordMainReplaced(EditAction action, std::string file, std::size_t gained,
                            std::size_t lost);

    const std::vector<Edit>& edits() const { return m_edits; }
    bool empty() const { return m_edits.empty(); }
    void clear() { m_edits.clear(); }

private:
    std::vector<Edit> m_edits;
};

} // namespace quillmere
