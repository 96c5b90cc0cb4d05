#include "FactoryMerge.h"

#include "EntryKeys.h"
#include "lists/FilePieces.h"
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

// At least as many as the pieces the bytes will be cut into, counted in one quick pass.
std::size_t mostPieces(std::string_view bytes) {
    return static_cast<std::size_t>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
}

// The old Main list as the merge reads it, twice. The entries at its start that are already in
// their merged form (strictly ascending, none empty, none holding CR LF) are its run: the list is
// this program's own output, sorted by the last merge, so the run is usually all of it but the
// hand additions appended since. The first reading finds the run and keys the rest for the sort;
// the final walk reads the run again, in place, so it costs no memory of its own.
struct ScannedMain {
    EntryKeys table;
    std::size_t count = 0;     // entries of the old Main list
    std::size_t runLength = 0; // entries in the run
    std::vector<EntryKey> rest;
};

// Tells whether each next entry still continues the run.
class RunFinder final {
public:
    explicit RunFinder(EntryKeys& table)
        : m_table(table) {}

    bool continues(const EntryKey& key) {
        if (m_ended || (m_length > 0 && !m_table.less(m_previous, key))) {
            m_ended = true;
            return false;
        }
        m_previous = key;
        ++m_length;
        return true;
    }
    std::size_t length() const { return m_length; }

private:
    EntryKeys& m_table;
    EntryKey m_previous{};
    std::size_t m_length = 0;
    bool m_ended = false;
};

// A Main list held as a list: its entries cut at CR LF, as a save and a reload would cut them.
class ListMain final {
public:
    explicit ListMain(const EntryList& list)
        : m_list(list) {}

    std::size_t mostEntries() const { return m_list.size(); }
    const std::vector<EntryList::Block>& blocks() const { return m_list.blocks(); }

    ScannedMain scan() const {
        ScannedMain scanned;
        scanned.count = m_list.size();
        RunFinder run(scanned.table);
        std::size_t k = 0;
        for (; k < m_list.size(); ++k) {
            const std::string_view entry = m_list[k];
            if (entry.empty() || holdsLineBreak(entry) ||
                !run.continues(scanned.table.make(entry, true)))
                break;
        }
        scanned.runLength = run.length();
        reserveLarge(scanned.rest, m_list.size() - k);
        for (; k < m_list.size(); ++k)
            addPieces(scanned.table, scanned.rest, m_list[k], true);
        return scanned;
    }

    class Run final {
    public:
        Run(const EntryList& list, std::size_t length)
            : m_list(list)
            , m_length(length) {}
        bool next(std::string_view& entry) {
            if (m_next == m_length)
                return false;
            entry = m_list[m_next++];
            return true;
        }

    private:
        const EntryList& m_list;
        std::size_t m_length;
        std::size_t m_next = 0;
    };
    Run run(std::size_t length) const { return Run(m_list, length); }

private:
    const EntryList& m_list;
};

// A Main list held as its file's bytes: its entries are the pieces of the bytes, which are never
// made into a list of views.
class FileMain final {
public:
    explicit FileMain(EntryList::Block bytes)
        : m_blocks{std::move(bytes)} {}

    std::size_t mostEntries() const { return mostPieces(*m_blocks.front()); }
    const std::vector<EntryList::Block>& blocks() const { return m_blocks; }

    ScannedMain scan() const {
        ScannedMain scanned;
        RunFinder run(scanned.table);
        FilePieceCursor pieces(*m_blocks.front());
        const std::string_view bytes = *m_blocks.front();
        for (std::string_view piece; pieces.next(piece);) {
            ++scanned.count;
            const EntryKey key = scanned.table.make(piece, true);
            if (run.continues(key))
                continue;
            if (scanned.rest.empty())
                reserveLarge(scanned.rest, mostPieces(bytes.substr(static_cast<std::size_t>(
                                               piece.data() - bytes.data()))));
            scanned.rest.push_back(key);
        }
        scanned.runLength = run.length();
        return scanned;
    }

    class Run final {
    public:
        Run(std::string_view bytes, std::size_t length)
            : m_pieces(bytes)
            , m_left(length) {}
        bool next(std::string_view& entry) {
            if (m_left == 0)
                return false;
            --m_left;
            return m_pieces.next(entry);
        }

    private:
        FilePieceCursor m_pieces;
        std::size_t m_left;
    };
    Run run(std::size_t length) const { return Run(*m_blocks.front(), length); }

private:
    std::vector<EntryList::Block> m_blocks;
};

// The final walk over the two sorted sequences, the old Main list's run and everything else
// sorted. It yields each distinct entry once, in order, with the mark "was in the old Main list"
// set when any of its copies was.
template <typename Run> class SortedUnion final {
    static constexpr std::size_t kPrefetchDistance = 16;

public:
    SortedUnion(EntryKeys& table, Run run, std::span<const EntryKey> others)
        : m_table(table)
        , m_run(std::move(run))
        , m_others(others) {
        loadMain();
    }

    // False when both sequences are used up.
    bool next(EntryKey& out) {
        const bool haveOther = m_otherNext < m_others.size();
        if (!m_haveMain && !haveOther)
            return false;
        const int order =
            !haveOther ? -1
                       : (!m_haveMain ? 1 : m_table.compare(m_mainHead, m_others[m_otherNext]));
        if (order <= 0) {
            // The run is strictly ascending: its next entry is greater.
            out = m_mainHead;
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
        std::string_view entry;
        m_haveMain = m_run.next(entry);
        if (m_haveMain)
            m_mainHead = m_table.make(entry, true);
    }

    EntryKeys& m_table;
    Run m_run;
    std::span<const EntryKey> m_others;
    std::size_t m_otherNext = 0;
    bool m_haveMain = false;
    EntryKey m_mainHead{};
};

template <typename Main>
MergeOutcome mergeInto(const Main& main, std::optional<EntryList::Block> factoryBytes,
                       const EntryList& added, const EntryList& removed,
                       const std::function<void(std::string_view)>& progress) {
    report(progress, kMergeInitializingText);
    std::vector<EntryList::Block> blocks = main.blocks();
    EntryKeys table;
    std::vector<EntryKey> others;
    ScannedMain scanned;
    const auto scanOldMain = [&scanned, &main] { scanned = main.scan(); };
    if (factoryBytes) {
        // The old Main list is scanned on a helper thread while the file is cut here. The keys
        // are reserved for the worst case, an unsorted Main list; pages never written cost nothing.
        sideBySide(scanOldMain, [&] {
            report(progress, kMergeNewFileText);
            reserveLarge(others, mostPieces(**factoryBytes) + main.mostEntries() + added.size());
            forEachFilePiece(**factoryBytes, [&table, &others](std::string_view piece) {
                others.push_back(table.make(piece, false));
            });
        });
        blocks.push_back(std::move(*factoryBytes));
    } else {
        scanOldMain();
        reserveLarge(others, scanned.rest.size() + added.size());
    }
    if (scanned.table.hasSideEntries()) {
        const std::uint64_t offset = table.adopt(scanned.table);
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
    reserveLarge(kept, scanned.runLength + others.size());
    std::size_t keptFromMain = 0;
    std::size_t nextRemoved = 0;
    SortedUnion sorted(table, main.run(scanned.runLength), others);
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

    report(progress, kMergeRemovingText);
    std::vector<std::string_view> views;
    reserveLarge(views, kept.size());
    for (std::uint64_t ref : kept)
        views.push_back(table.viewOf(ref));
    std::vector<std::uint64_t>().swap(kept);

    MergeOutcome outcome;
    outcome.gained = views.size() - keptFromMain;
    outcome.lost = scanned.count - keptFromMain;
    outcome.main = compactEntries(std::move(views), std::move(blocks));
    return outcome;
}

} // namespace

MergeOutcome mergeFactoryList(const EntryList& main, std::optional<EntryList::Block> factoryBytes,
                              const EntryList& added, const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    return mergeInto(ListMain(main), std::move(factoryBytes), added, removed, progress);
}

MergeOutcome mergeFactoryList(EntryList::Block mainBytes,
                              std::optional<EntryList::Block> factoryBytes, const EntryList& added,
                              const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    return mergeInto(FileMain(std::move(mainBytes)), std::move(factoryBytes), added, removed,
                     progress);
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
