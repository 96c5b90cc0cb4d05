#pragma once

#include "core/lists/EditRecord.h"
#include "core/lists/EntryList.h"

#include <array>
#include <cstddef>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quillmere {

enum class ListId { Main = 0, Added = 1, Removed = 2 };

// The list's name where the command line and its reports name it: "main", "added", "removed".
std::string_view listName(ListId id);

// Told about every change to the three lists, so that views over them (the window's list models)
// can follow without a copy of their own.
class ListObserver {
public:
    virtual ~ListObserver() = default;
    virtual void beginAppend(ListId list, std::size_t row) = 0;
    virtual void endAppend(ListId list) = 0;
    virtual void beginRemove(ListId list, std::size_t row) = 0;
    virtual void endRemove(ListId list) = 0;
    virtual void beginReset(ListId list) = 0;
    virtual void endReset(ListId list) = 0;
};

// What the status display shows for the modified flags. Save, exit-without-saving and revert are
// only ever enabled by it, never disabled; the evaluation item is set only when the Added list is
// modified.
struct ChangeStatus {
    std::string summary; // panel 1: "" or "modified: main, added" and so on
    bool enableRevert = false;
    bool enableSaveAndExitNoSave = false;
    std::optional<bool> evaluationEnabled;
};

enum class AddOutcome { Added, AlreadyListed };

// The Main, Added and Removed lists with their modified flags, and the editing commands that keep
// the two tracking lists a record of every hand edit.
class TrackedLists final {
public:
    TrackedLists() = default;
    TrackedLists(const TrackedLists&) = delete;
    TrackedLists& operator=(const TrackedLists&) = delete;

    void setObserver(ListObserver* observer) { m_observer = observer; }

    const EntryList& list(ListId id) const { return m_lists[index(id)]; }
    const EntryList& main() const { return list(ListId::Main); }
    const EntryList& added() const { return list(ListId::Added); }
    const EntryList& removed() const { return list(ListId::Removed); }

    bool isModified(ListId id) const { return m_modified[index(id)]; }
    bool anyModified() const { return m_modified[0] || m_modified[1] || m_modified[2]; }
    void setModified(ListId id, bool modified) { m_modified[index(id)] = modified; }

    // Replaces a list's content; flags are the caller's (a load leaves them, a merge sets them).
    void replace(ListId id, EntryList entries);
    // Empties all three lists, clears the flags and forgets the edits, as a revert does before
    // reloading.
    void discardAll();

    // The edits since the load or the last save. The commands below record themselves; a merge,
    // which replaces the Main list through replace(), is recorded by its caller.
    const EditRecord& edits() const { return m_edits; }
    EditRecord& edits() { return m_edits; }

    // The find box's text typed in and "add" pressed.
    AddOutcome add(std::string_view text);
    // "remove" on the Main tab; false when nothing is selected.
    bool removeFromMain(std::optional<std::size_t> selected);
    // "remove" on the Added tab; false when nothing is selected.
    bool removeFromAdded(std::optional<std::size_t> selected);
    // "re-activate" on the Removed tab; false when nothing is selected.
    bool reactivate(std::optional<std::size_t> selected);
    // The command line's add, remove, unadd and reactivate, given many domains at once. For each
    // domain, in order, the outcome is what the command for that domain alone would give after
    // the ones before it, and so are the lists, flags and edits afterwards; but each list is
    // passed over once, not once per domain. remove, unadd and reactivate act on the first equal
    // entry of their list and give false for a domain that has none left.
    // The lists and the edits share the domains' blocks and view them: no domain's bytes are
    // copied, however many there are.
    std::vector<AddOutcome> addEach(const EntryList& domains);
    std::vector<bool> removeEachFromMain(const EntryList& domains);
    std::vector<bool> removeEachFromAdded(const EntryList& domains);
    std::vector<bool> reactivateEach(const EntryList& domains);
    // "clear" on the Added tab, answered Yes.
    void clearAdded();
    // "sort" on a tab: marks the list modified even when nothing moved.
    void sort(ListId id);

    ChangeStatus changeStatus() const;
    // The count panel's text: "1234 listed", "17 added", "3 removed".
    std::string countText(ListId id) const;

private:
    static constexpr std::size_t index(ListId id) { return static_cast<std::size_t>(id); }
    EntryList& mutableList(ListId id) { return m_lists[index(id)]; }
    void appendTo(ListId id, std::string_view entry);
    // Appends views of the domains, whose blocks the list shares from then on.
    void appendViewsTo(ListId id, std::span<const std::string_view> domains,
                       const std::vector<EntryList::Block>& blocks);
    // Records an edit of each domain, viewing the domains' blocks.
    void recordEach(EditAction action, std::span<const std::string_view> domains,
                    const std::vector<EntryList::Block>& blocks);
    void removeFrom(ListId id, std::size_t row);
    bool removeFirst(ListId id, std::string_view entry);
    // Removes the rows, ascending, marking the list modified when there are any.
    void removeRows(ListId id, const std::vector<std::size_t>& rows);

    std::array<EntryList, 3> m_lists;
    std::array<bool, 3> m_modified{};
    ListObserver* m_observer = nullptr;
    EditRecord m_edits;
};

} // namespace quillmere
