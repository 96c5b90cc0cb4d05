#include "FactoryMerge.h"

#include "EntryKeys.h"
#include "FilePieces.h"
#include "SideBySide.h"
#include "SortInParts.h"
#include "lists/SortList.h"

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
    scanned.run.reserve(main.size());
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

// The final walk over sorted sequences: the old Main list's ascending run and the sorted parts of
// everything else. It yields each distinct entry once, in order, with the mark "was in the old
// Main list" set when any of its copies was. One comparison per source and step finds both the
// smallest head and every head equal to it.
class SortedUnion final {
    static constexpr std::size_t kPrefetchDistance = 16;

public:
    SortedUnion(const EntryKeys& table, const std::vector<std::uint64_t>& mainRun,
                std::vector<std::span<EntryKey>> parts)
        : m_table(table)
        , m_mainRun(mainRun)
        , m_parts(std::move(parts))
        , m_heads(m_parts.size() + 1)
        , m_equal(m_parts.size() + 1) {
        for (std::size_t source = 0; source < m_heads.size(); ++source)
            load(source);
    }

    // False when every sequence is used up.
    bool next(EntryKey& out) {
        const EntryKey* best = nullptr;
        std::size_t equalCount = 0;
        for (std::size_t source = 0; source < m_heads.size(); ++source) {
            const EntryKey* head = m_heads[source];
            if (!head)
                continue;
            const int order = best ? m_table.compare(*head, *best) : -1;
            if (order < 0) {
                best = head;
                equalCount = 0;
            }
            if (order <= 0)
                m_equal[equalCount++] = source;
        }
        if (!best)
            return false;
        out = *best;
        for (std::size_t k = 0; k < equalCount; ++k) {
            const std::size_t source = m_equal[k];
            do {
                if (EntryKeys::fromMain(*m_heads[source]))
                    EntryKeys::markFromMain(out);
                advance(source);
            } while (m_heads[source] && m_table.compare(*m_heads[source], out) == 0);
        }
        return true;
    }

private:
    // Source 0 is the Main run, the others are the parts.
    void load(std::size_t source) {
        if (source == 0) {
            if (m_mainNext < m_mainRun.size()) {
                m_mainHead = m_table.rekey(m_mainRun[m_mainNext]);
                m_heads[0] = &m_mainHead;
            } else {
                m_heads[0] = nullptr;
            }
            return;
        }
        const std::span<EntryKey>& part = m_parts[source - 1];
        m_heads[source] = part.empty() ? nullptr : &part.front();
        // The parts' entries lie scattered over the files' bytes: fetch a few ahead.
        if (part.size() > kPrefetchDistance)
            m_table.prefetch(part[kPrefetchDistance]);
    }

    void advance(std::size_t source) {
        if (source == 0)
            ++m_mainNext;
        else
            m_parts[source - 1] = m_parts[source - 1].subspan(1);
        load(source);
    }

    const EntryKeys& m_table;
    const std::vector<std::uint64_t>& m_mainRun;
    std::vector<std::span<EntryKey>> m_parts;
    std::size_t m_mainNext = 0;
    EntryKey m_mainHead{};
    std::vector<const EntryKey*> m_heads;
    std::vector<std::size_t> m_equal;
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
            others.reserve(mostPieces(**factoryBytes) + oldCount + added.size());
            forEachFilePiece(**factoryBytes, [&table, &others](std::string_view piece) {
                others.push_back(table.make(piece, false));
            });
        });
        blocks.push_back(std::move(*factoryBytes));
    } else {
        scanOldMain();
        others.reserve(scanned.rest.size() + added.size());
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
    std::vector<std::span<EntryKey>> parts = sortInParts(others, table);

    report(progress, kMergeBuildingText);
    std::vector<EntryKey> removedKeys;
    removedKeys.reserve(removed.size());
    for (std::string_view entry : removed)
        removedKeys.push_back(table.make(entry, false));
    sortList(std::span<EntryKey>(removedKeys),
             [&table](const EntryKey& a, const EntryKey& b) { return table.less(a, b); });

    // Every distinct entry once, in order; the rows equal to a Removed entry are noted for the
    // next step. The list is free of repeats, so one match per Removed entry is every match.
    std::vector<std::string_view> views;
    views.reserve(mainRun.size() + others.size());
    std::vector<std::size_t> removedRows;
    std::size_t keptFromMain = 0;
    std::size_t nextRemoved = 0;
    SortedUnion sorted(table, mainRun, std::move(parts));
    for (EntryKey key; sorted.next(key);) {
        int order = 1;
        while (nextRemoved < removedKeys.size() &&
               (order = table.compare(removedKeys[nextRemoved], key)) < 0)
            ++nextRemoved;
        if (nextRemoved < removedKeys.size() && order == 0)
            removedRows.push_back(views.size());
        else if (EntryKeys::fromMain(key))
            ++keptFromMain;
        views.push_back(table.view(key));
    }

    report(progress, kMergeRemovingText);
    std::size_t kept = 0;
    std::size_t nextRow = 0;
    for (std::size_t row = 0; row < views.size(); ++row) {
        if (nextRow < removedRows.size() && removedRows[nextRow] == row) {
            ++nextRow;
            continue;
        }
        views[kept++] = views[row];
    }
    views.resize(kept);
    std::vector<EntryKey>().swap(others);
    std::vector<std::uint64_t>().swap(mainRun);

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
