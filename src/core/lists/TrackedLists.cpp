#include "core/lists/TrackedLists.h"

#include "core/lists/SortList.h"
#include "core/lists/WantedCopies.h"

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

void TrackedLists::appendViewsTo(ListId id, std::span<const std::string_view> domains,
                                 const std::vector<EntryList::Block>& blocks) {
    EntryList& list = mutableList(id);
    list.shareBlocks(blocks);
    list.reserveViews(domains.size());
    for (std::string_view domain : domains) {
        if (m_observer)
            m_observer->beginAppend(id, list.size());
        list.appendView(domain);
        if (m_observer)
            m_observer->endAppend(id);
    }
}

void TrackedLists::recordEach(EditAction action, std::span<const std::string_view> domains,
                              const std::vector<EntryList::Block>& blocks) {
    m_edits.shareBlocks(blocks);
    m_edits.reserve(domains.size());
    for (std::string_view domain : domains)
        m_edits.recordViewedDomain(action, domain);
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

void TrackedLists::removeRows(ListId id, const std::vector<std::size_t>& rows) {
    if (rows.empty())
        return;
    if (m_observer)
        m_observer->beginReset(id);
    mutableList(id).removeRows(rows);
    if (m_observer)
        m_observer->endReset(id);
    setModified(id, true);
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

namespace {

// The texts, each wanted once more, and their numbers.
std::vector<std::size_t> wantEach(WantedCopies& wanted, std::span<const std::string_view> texts) {
    std::vector<std::size_t> numbers;
    numbers.reserve(texts.size());
    for (std::string_view text : texts)
        numbers.push_back(wanted.want(text));
    return numbers;
}

// The domains that are handed one of the copies found of them, in order, and their numbers; done
// says which were.
std::vector<std::string_view> takeInOrder(std::span<const std::string_view> domains,
                                          const std::vector<std::size_t>& numbers,
                                          WantedCopies& found, std::vector<bool>& done,
                                          std::vector<std::size_t>& takenNumbers) {
    std::vector<std::string_view> taken;
    taken.reserve(domains.size());
    takenNumbers.reserve(domains.size());
    done.assign(domains.size(), false);
    for (std::size_t i = 0; i < domains.size(); ++i) {
        done[i] = found.takeOne(numbers[i]);
        if (done[i]) {
            taken.push_back(domains[i]);
            takenNumbers.push_back(numbers[i]);
        }
    }
    return taken;
}

} // namespace

std::vector<AddOutcome> TrackedLists::addEach(const EntryList& list) {
    const std::span<const std::string_view> domains = list.views();
    WantedCopies wanted(domains.size());
    const std::vector<std::size_t> numbers = wantEach(wanted, domains);
    wanted.findIn(main());
    // A domain is added at most once (it is listed from then on), so it takes at most the first
    // copy out of the Removed list.
    std::vector<AddOutcome> outcomes;
    outcomes.reserve(domains.size());
    std::vector<bool> addedNow(domains.size());
    std::vector<std::string_view> added;
    added.reserve(domains.size());
    std::vector<std::size_t> addedNumbers;
    addedNumbers.reserve(domains.size());
    for (std::size_t i = 0; i < domains.size(); ++i) {
        if (wanted.found(numbers[i]) > 0 || addedNow[numbers[i]]) {
            outcomes.push_back(AddOutcome::AlreadyListed);
            continue;
        }
        addedNow[numbers[i]] = true;
        outcomes.push_back(AddOutcome::Added);
        added.push_back(domains[i]);
        addedNumbers.push_back(numbers[i]);
    }
    wanted.restart(addedNumbers);
    removeRows(ListId::Removed, wanted.findIn(removed()));
    appendViewsTo(ListId::Main, added, list.blocks());
    appendViewsTo(ListId::Added, added, list.blocks());
    recordEach(EditAction::Add, added, list.blocks());
    if (!added.empty()) {
        setModified(ListId::Main, true);
        setModified(ListId::Added, true);
    }
    return outcomes;
}

std::vector<bool> TrackedLists::removeEachFromMain(const EntryList& list) {
    const std::span<const std::string_view> domains = list.views();
    WantedCopies wanted(domains.size());
    const std::vector<std::size_t> numbers = wantEach(wanted, domains);
    const std::vector<std::size_t> mainRows = wanted.findIn(main());
    std::vector<bool> done;
    std::vector<std::size_t> removedNumbers;
    const std::vector<std::string_view> removedNow =
        takeInOrder(domains, numbers, wanted, done, removedNumbers);
    // Each removal withdraws the first copy of a hand addition left, or else is recorded.
    wanted.restart(removedNumbers);
    const std::vector<std::size_t> addedRows = wanted.findIn(added());
    removeRows(ListId::Main, mainRows);
    removeRows(ListId::Added, addedRows);
    std::vector<std::string_view> recorded;
    recorded.reserve(removedNow.size());
    for (std::size_t i = 0; i < removedNow.size(); ++i) {
        if (!wanted.takeOne(removedNumbers[i]))
            recorded.push_back(removedNow[i]);
    }
    appendViewsTo(ListId::Removed, recorded, list.blocks());
    if (!recorded.empty())
        setModified(ListId::Removed, true);
    recordEach(EditAction::Remove, removedNow, list.blocks());
    return done;
}

std::vector<bool> TrackedLists::removeEachFromAdded(const EntryList& list) {
    const std::span<const std::string_view> domains = list.views();
    WantedCopies wanted(domains.size());
    const std::vector<std::size_t> numbers = wantEach(wanted, domains);
    const std::vector<std::size_t> addedRows = wanted.findIn(added());
    std::vector<bool> done;
    std::vector<std::size_t> withdrawnNumbers;
    const std::vector<std::string_view> withdrawn =
        takeInOrder(domains, numbers, wanted, done, withdrawnNumbers);
    wanted.restart(withdrawnNumbers);
    removeRows(ListId::Added, addedRows);
    removeRows(ListId::Main, wanted.findIn(main()));
    recordEach(EditAction::Unadd, withdrawn, list.blocks());
    return done;
}

std::vector<bool> TrackedLists::reactivateEach(const EntryList& list) {
    const std::span<const std::string_view> domains = list.views();
    WantedCopies inRemoved(domains.size());
    const std::vector<std::size_t> numbers = wantEach(inRemoved, domains);
    const std::vector<std::size_t> removedRows = inRemoved.findIn(removed());
    std::vector<bool> done;
    std::vector<std::size_t> backNumbers;
    const std::vector<std::string_view> back =
        takeInOrder(domains, numbers, inRemoved, done, backNumbers);
    removeRows(ListId::Removed, removedRows);
    appendViewsTo(ListId::Main, back, list.blocks());
    if (!back.empty())
        setModified(ListId::Main, true);
    recordEach(EditAction::Reactivate, back, list.blocks());
    return done;
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
