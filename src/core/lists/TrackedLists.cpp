#include "core/lists/TrackedLists.h"

#include "core/lists/SortList.h"

#include <utility>

namespace quillmere {

std::string_view listName(ListId id) {
    static constexpr std::string_view kNames[] = {"main", "added", "removed"};
    return kNames[static_cast<std::size_t>(id)];
}

void TrackedLists::replace(ListId id, EntryList entries) {
    if (m_observer)
        m_observer->beginReset(id);
    mutableList(id) = std::move(entries);
    if (m_observer)
        m_observer->endReset(id);
}

void TrackedLists::discardAll() {
    for (ListId id : {ListId::Main, ListId::Added, ListId::Removed}) {
        replace(id, EntryList());
        setModified(id, false);
    }
    m_edits.clear();
}

void TrackedLists::appendTo(ListId id, std::string_view entry) {
    if (m_observer)
        m_observer->beginAppend(id, list(id).size());
    mutableList(id).append(entry);
    if (m_observer)
        m_observer->endAppend(id);
}

void TrackedLists::removeFrom(ListId id, std::size_t row) {
    if (m_observer)
        m_observer->beginRemove(id, row);
    mutableList(id).removeAt(row);
    if (m_observer)
        m_observer->endRemove(id);
}

bool TrackedLists::removeFirst(ListId id, std::string_view entry) {
    const auto row = list(id).find(entry);
    if (!row)
        return false;
    removeFrom(id, *row);
    setModified(id, true);
    return true;
}

AddOutcome TrackedLists::add(std::string_view text) {
    if (main().find(text))
        return AddOutcome::AlreadyListed;
    // Copy first: the text may be a view into one of the lists changed below.
    const std::string entry(text);
    removeFirst(ListId::Removed, entry);
    appendTo(ListId::Main, entry);
    appendTo(ListId::Added, entry);
    setModified(ListId::Main, true);
    setModified(ListId::Added, true);
    m_edits.recordDomain(EditAction::Add, entry);
    return AddOutcome::Added;
}

bool TrackedLists::removeFromMain(std::optional<std::size_t> selected) {
    if (!selected || *selected >= main().size())
        return false;
    const std::string entry(main()[*selected]);
    removeFrom(ListId::Main, *selected);
    if (!removeFirst(ListId::Added, entry)) {
        appendTo(ListId::Removed, entry);
        setModified(ListId::Removed, true);
    }
    setModified(ListId::Main, true);
    m_edits.recordDomain(EditAction::Remove, entry);
    return true;
}

bool TrackedLists::removeFromAdded(std::optional<std::size_t> selected) {
    if (!selected || *selected >= added().size())
        return false;
    const std::string entry(added()[*selected]);
    removeFrom(ListId::Added, *selected);
    setModified(ListId::Added, true);
    removeFirst(ListId::Main, entry);
    m_edits.recordDomain(EditAction::Unadd, entry);
    return true;
}

bool TrackedLists::reactivate(std::optional<std::size_t> selected) {
    if (!selected || *selected >= removed().size())
        return false;
    const std::string entry(removed()[*selected]);
    removeFrom(ListId::Removed, *selected);
    setModified(ListId::Removed, true);
    appendTo(ListId::Main, entry);
    setModified(ListId::Main, true);
    m_edits.recordDomain(EditAction::Reactivate, entry);
    return true;
}

void TrackedLists::clearAdded() {
    for (std::string_view entry : added())
        m_edits.recordDomain(EditAction::Clear, entry);
    replace(ListId::Added, EntryList());
    setModified(ListId::Added, true);
}

void TrackedLists::sort(ListId id) {
    std::vector<std::string_view> views = list(id).views();
    sortEntries(views);
    EntryList sorted = list(id);
    sorted.reorder(std::move(views));
    replace(id, std::move(sorted));
    setModified(id, true);
    m_edits.recordSort(id);
}

ChangeStatus TrackedLists::changeStatus() const {
    ChangeStatus status;
    std::string summary;
    std::string_view separator = " ";
    if (isModified(ListId::Main)) {
        summary = " main";
        separator = ", ";
        status.enableRevert = true;
    }
    if (isModified(ListId::Added)) {
        summary.append(separator).append("added");
        separator = ", ";
        status.evaluationEnabled = !added().empty();
    }
    if (isModified(ListId::Removed))
        summary.append(separator).append("removed");
    status.summary = summary.empty() ? std::string() : "modified:" + summary;
    status.enableSaveAndExitNoSave = anyModified();
    return status;
}

std::string TrackedLists::countText(ListId id) const {
    static constexpr const char* kSuffix[] = {" listed", " added", " removed"};
    return std::to_string(list(id).size()) + kSuffix[index(id)];
}

} // namespace quillmere
