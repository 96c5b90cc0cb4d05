#include "FactoryMerge.h"

#include "EntryKeys.h"
#include "FilePieces.h"
#include "KeySort.h"
#include "SideBySide.h"
#include "lists/LargeBuffers.h"

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <utility>

namespace quillmere {

namespace {

void report(const std::function<void(std::string_view)>& progress, std::string_view text) {
    if (progress)
        progress(text);
}

// An entry as the merge's joined text would cut it: an entry holding CR LF itself falls apart
// there, as it would after a save and a reload. Only an entry kept whole counts as one the old Main
// list still holds.
void addPieces(EntryKeys& table, std::vector<EntryKey>& keys, std::string_view entry,
               bool fromMain) {
    forEachFilePiece(entry, [&](std::string_view piece) {
        keys.push_back(table.make(piece, fromMain && piece.size() == entry.size()));
    });
}

// The old Main list as the final walk takes it. The entries at its start that are already in their
// merged form (strictly ascending, none empty, none holding CR LF) are its run: the list is this
// program's own output, sorted by the last merge, so the run is usually all of it but the hand
// additions appended since. The run needs no sort, only its place in the walk, and is kept as
// eight-byte references; the rest is keyed for the sort.
struct ScannedMain {
    EntryKeys table;
    std::vector<std::uint64_t> run;
    std::vector<EntryKey> rest;
};

ScannedMain scanMain(const EntryList& main) {
    ScannedMain scanned;
    reserveLarge(scanned.run, main.size());
    std::size_t length = 0;
    for (EntryKey previous{}; length < main.size(); ++length) {
        const std::string_view entry = main[length];
        if (entry.empty() || holdsLineBreak(entry))
            break;
        const EntryKey key = scanned.table.make(entry, true);
        if (length > 0 && !scanned.table.less(previous, key))
            break;
        scanned.run.push_back(key.ref);
        previous = key;
    }
    for (std::size_t k = length; k < main.size(); ++k)
        addPieces(scanned.table, scanned.rest, main[k], true);
    return scanned;
}

// At least as many as the pieces the bytes will be cut into, counted in one quick pass.
std::size_t mostPieces(std::string_view bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
}

// The final walk over the two sorted sequences, the old Main list's ascending run and everything
// else sorted. It yields each distinct entry once, in order, with the mark "was in the old Main
// list" set when any of its copies was.
class SortedUnion final {
    static constexpr std::size_t kPrefetchDistance = 16;

public:
    SortedUnion(const EntryKeys& table, const std::vector<std::uint64_t>& mainRun,
                std::span<const EntryKey> others)
        : m_table(table)
        , m_mainRun(mainRun)
        , m_others(others) {
        loadMain();
    }

    // False when both sequences are used up.
    bool next(EntryKey& out) {
        const bool haveMain = m_mainNext < m_mainRun.size();
        const bool haveOther = m_otherNext < m_others.size();
        if (!haveMain && !haveOther)
            return false;
        const int order =
            !haveOther ? -1 : (!haveMain ? 1 : m_table.compare(m_mainHead, m_others[m_otherNext]));
        if (order <= 0) {
            // The run is strictly ascending: its next entry is greater.
            out = m_mainHead;
            ++m_mainNext;
            loadMain();
        } else {
            out = m_others[m_otherNext];
        }
        for (; m_otherNext < m_others.size() && m_table.compare(m_others[m_otherNext], out) == 0;
             ++m_otherNext) {
            if (EntryKeys::fromMain(m_others[m_otherNext]))
                EntryKeys::markFromMain(out);
            // The entries lie scattered over the files' bytes: fetch a few ahead.
            if (m_otherNext + kPrefetchDistance < m_others.size())
                m_table.prefetch(m_others[m_otherNext + kPrefetchDistance]);
        }
        return true;
    }

private:
    void loadMain() {
        if (m_mainNext < m_mainRun.size())
            m_mainHead = m_table.rekey(m_mainRun[m_mainNext]);
    }

    const EntryKeys& m_table;
    const std::vector<std::uint64_t>& m_mainRun;
    std::span<const EntryKey> m_others;
    std::size_t m_mainNext = 0;
    std::size_t m_otherNext = 0;
    EntryKey m_mainHead{};
};

} // namespace

MergeOutcome mergeFactoryList(EntryList main, std::optional<EntryList::Block> factoryBytes,
                              const EntryList& added, const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    report(progress, kMergeInitializingText);
    const std::size_t oldCount = main.size();
    std::vector<EntryList::Block> blocks = main.blocks();
    EntryKeys table;
    std::vector<EntryKey> others;
    ScannedMain scanned;
    const auto scanOldMain = [&scanned, &main] { scanned = scanMain(main); };
    if (factoryBytes) {
        // The old Main list is scanned on a helper thread while the file is cut here. The keys
        // are reserved for the worst case, an unsorted Main list; pages never written cost nothing.
        sideBySide(scanOldMain, [&] {
            report(progress, kMergeNewFileText);
            reserveLarge(others, mostPieces(**factoryBytes) + oldCount + added.size());
            forEachFilePiece(**factoryBytes, [&table, &others](std::string_view piece) {
                others.push_back(table.make(piece, false));
            });
        });
        blocks.push_back(std::move(*factoryBytes));
    } else {
        scanOldMain();
        reserveLarge(others, scanned.rest.size() + added.size());
    }
    main = EntryList();
    std::vector<std::uint64_t> mainRun = std::move(scanned.run);
    if (scanned.table.hasSideEntries()) {
        const std::uint64_t offset = table.adopt(scanned.table);
        for (std::uint64_t& ref : mainRun)
            ref = EntryKeys::rebased(ref, offset);
        for (EntryKey& key : scanned.rest)
            key.ref = EntryKeys::rebased(key.ref, offset);
    }
    others.insert(others.end(), scanned.rest.begin(), scanned.rest.end());
    std::vector<EntryKey>().swap(scanned.rest);

    if (!added.empty()) {
        report(progress, kMergeAddingText);
        for (std::string_view entry : added)
            addPieces(table, others, entry, false);
        blocks.insert(blocks.end(), added.blocks().begin(), added.blocks().end());
    }

    report(progress, kMergeSortingText);
    sortEntryKeys(others, table);

    report(progress, kMergeBuildingText);
    std::vector<EntryKey> removedKeys;
    removedKeys.reserve(removed.size());
    for (std::string_view entry : removed)
        removedKeys.push_back(table.make(entry, false));
    sortEntryKeys(removedKeys, table);

    // Every distinct entry once, in order, less those equal to a Removed entry: the list is free
    // of repeats there, so one match per Removed entry is every match. The walk keeps eight-byte
    // references; the views are made once the keys are released.
    std::vector<std::uint64_t> kept;
    reserveLarge(kept, mainRun.size() + others.size());
    std::size_t keptFromMain = 0;
    std::size_t nextRemoved = 0;
    SortedUnion sorted(table, mainRun, others);
    for (EntryKey key; sorted.next(key);) {
        int order = 1;
        while (nextRemoved < removedKeys.size() &&
               (order = table.compare(removedKeys[nextRemoved], key)) < 0)
            ++nextRemoved;
        if (nextRemoved < removedKeys.size() && order == 0)
            continue;
        if (EntryKeys::fromMain(key))
            ++keptFromMain;
        kept.push_back(key.ref);
    }
    std::vector<EntryKey>().swap(others);
    std::vector<std::uint64_t>().swap(mainRun);

    report(progress, kMergeRemovingText);
    std::vector<std::string_view> views;
    reserveLarge(views, kept.size());
    for (std::uint64_t ref : kept)
        views.push_back(table.viewOf(ref));
    std::vector<std::uint64_t>().swap(kept);

    MergeOutcome outcome;
    outcome.gained = views.size() - keptFromMain;
    outcome.lost = oldCount - keptFromMain;
    outcome.main = compactEntries(std::move(views), std::move(blocks));
    return outcome;
}

EntryList compactEntries(std::vector<std::string_view> views,
                         std::vector<EntryList::Block> blocks) {
    std::sort(blocks.begin(), blocks.end());
    blocks.erase(std::unique(blocks.begin(), blocks.end()), blocks.end());
    std::size_t held = 0;
    for (const EntryList::Block& block : blocks)
        held += block->capacity();
    std::size_t live = 0;
    for (std::string_view view : views)
        live += view.size();
    if (held <= 3 * live)
        return EntryList::fromViews(std::move(views), std::move(blocks));

    auto fresh = std::make_shared<std::string>(live, '\0');
    char* target = fresh->data();
    for (std::string_view& view : views) {
        if (!view.empty())
            std::memcpy(target, view.data(), view.size());
        view = std::string_view(target, view.size());
        target += view.size();
    }
    return EntryList::fromViews(std::move(views), {EntryList::Block(std::move(fresh))});
}

} // namespace quillmere
