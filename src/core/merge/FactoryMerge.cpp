#include "core/merge/FactoryMerge.h"

#include "core/lists/ByteSource.h"
#include "core/lists/EntryHash.h"
#include "core/lists/FilePieces.h"
#include "core/lists/LargeBuffers.h"
#include "core/lists/StreamedPieces.h"
#include "core/merge/EntryKeys.h"
#include "core/merge/KeySort.h"
#include "core/merge/SideBySide.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <exception>
#include <limits>
#include <memory>
#include <new>
#include <string>
#include <thread>
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
template <typename Put>
void addPieces(EntryKeys& table, std::string_view entry, bool fromMain, Put&& put) {
    forEachFilePiece(entry, [&](std::string_view piece) {
        put(table.make(piece, fromMain && piece.size() == entry.size()));
    });
}

// Where the old Main list's run reaches an entry: its index in the run, its place in the list (an
// index for a list, a byte offset for a file's bytes) and how many side entries the run's keys
// took before it.
struct RunMark {
    std::size_t index = 0;
    std::size_t place = 0;
    std::uint64_t sides = 0;
};

// The old Main list as the merge reads it, twice. The entries at its start that are already in
// their merged form (strictly ascending, none empty, none holding CR LF) are its run: the list is
// this program's own output, sorted by the last merge, so the run is usually all of it but the
// hand additions appended since. The first reading finds the run and keys the rest for the sort;
// the final walk reads the run again, in place, so it costs no memory of its own. The first reading
// marks where the run's first byte changes, so that the walk can be split between two threads.
struct ScannedMain {
    EntryKeys table;
    std::size_t count = 0; // entries of the old Main list
    // marks[b]: the run's first entry whose first byte is b or more; marks[256]: the run's end.
    std::array<RunMark, 257> marks{};
    std::vector<EntryKey> rest;
    // Of a Main list read from a source: the run's entries of each first byte, hashed in order, so
    // that the walk can tell the run it reads again from the one this reading found.
    std::array<std::uint64_t, 256> runHashes{};
};

// A hash of entries in order, one per first byte of the run.
constexpr std::uint64_t kRunHashSeed = 0x6a09e667f3bcc908;

// The entry's index in the run counts too: entries that trade places keep their first bytes.
void hashIntoRun(std::uint64_t& hash, std::string_view entry, std::size_t index) {
    const std::uint64_t word =
        (hashEntry(entry) ^ (std::uint64_t{index} * 0x9e3779b97f4a7c15)) * 0xc4ceb9fe1a85ec53;
    hash = ((hash ^ word ^ (word >> 29)) * 0x100000001b3) + 0x632be59bd9b4e019;
}

unsigned firstByte(const EntryKey& key) {
    return static_cast<unsigned>(key.head >> 56);
}

unsigned firstByte(std::string_view piece) {
    return static_cast<unsigned char>(piece.front());
}

// Follows the run entry by entry, marking it, and tells where it ends.
class RunFinder final {
public:
    explicit RunFinder(ScannedMain& scanned)
        : m_scanned(scanned) {}

    // The next entry of the list, at the given place; false once the run has ended.
    bool continues(std::string_view entry, const EntryKey& key, std::size_t place) {
        const bool ascending = m_at.index == 0 || m_scanned.table.less(m_previous, key);
        if (!continues(ascending, firstByte(key), place, !EntryKeys::packs(entry)))
            return false;
        m_previous = key;
        return true;
    }

    // The same for an entry already compared with the one before it: whether it is greater, its
    // first byte and whether its key took a side entry.
    bool continues(bool ascending, unsigned byte, std::size_t place, bool side) {
        if (m_ended || !ascending) {
            end();
            return false;
        }
        markUpTo(byte + 1);
        ++m_at.index;
        m_at.place = place;
        if (side)
            ++m_at.sides;
        return true;
    }

    // The run ends here (also when the list does).
    void end() {
        m_ended = true;
        markUpTo(257);
    }

private:
    // The bytes below the given one are all behind: the marks up to it point at the next entry.
    void markUpTo(unsigned byte) {
        for (; m_marked < byte; ++m_marked)
            m_scanned.marks[m_marked] = m_at;
    }

    ScannedMain& m_scanned;
    RunMark m_at;
    EntryKey m_previous{};
    unsigned m_marked = 0;
    bool m_ended = false;
};

// What the walk needs of an entry of the old Main list's run that the new list keeps: bytes that
// outlive the walk, for a new list of views, or bytes that last until the walk takes the next
// entry, for a new list handed on as text.
enum class KeptBytes { Held, Passing };

// A Main list held as a list: its entries cut at CR LF, as a save and a reload would cut them.
class ListMain final {
public:
    explicit ListMain(const EntryList& list)
        : m_list(list) {}

    const std::vector<EntryList::Block>& blocks() const { return m_list.blocks(); }

    ScannedMain scan() const {
        ScannedMain scanned;
        scanned.count = m_list.size();
        RunFinder run(scanned);
        std::size_t k = 0;
        for (; k < m_list.size(); ++k) {
            const std::string_view entry = m_list[k];
            if (entry.empty() || holdsLineBreak(entry) ||
                !run.continues(entry, scanned.table.make(entry, true), k + 1))
                break;
        }
        run.end();
        reserveLarge(scanned.rest, m_list.size() - k);
        for (; k < m_list.size(); ++k)
            addPieces(scanned.table, m_list[k], true,
                      [&scanned](const EntryKey& key) { scanned.rest.push_back(key); });
        return scanned;
    }

    class Run final {
    public:
        Run(const EntryList& list, const RunMark& from, const RunMark& to)
            : m_list(list)
            , m_next(from.place)
            , m_end(to.place) {}
        bool next(std::string_view& entry) {
            if (m_next == m_end)
                return false;
            entry = m_list[m_next++];
            return true;
        }
        // The list's entries outlive the walk, whatever it does with them.
        EntryKey keep(const EntryKey& key, std::string_view) const { return key; }
        bool keepsItsOwnCopy() const { return false; }
        void finish() const {}
        std::vector<EntryList::Block> takeCopies() const { return {}; }

    private:
        const EntryList& m_list;
        std::size_t m_next;
        std::size_t m_end;
    };
    Run run(const RunMark& from, const RunMark& to, KeptBytes) const {
        return Run(m_list, from, to);
    }

private:
    const EntryList& m_list;
};

// Bytes the merge keeps of a Main list that it reads from a source rather than holds, copied one
// after the other into blocks of their own, which never move.
class HeldCopies final {
public:
    std::string_view hold(std::string_view bytes) {
        if (!m_current || m_current->capacity() - m_current->size() < bytes.size()) {
            auto block = std::make_shared<std::string>();
            block->reserve(std::max(kBlockBytes, bytes.size()));
            m_current = block.get();
            m_blocks.push_back(std::move(block));
        }
        const std::size_t at = m_current->size();
        m_current->append(bytes);
        return {m_current->data() + at, bytes.size()};
    }

    std::vector<EntryList::Block> take() {
        m_current = nullptr;
        return std::move(m_blocks);
    }

private:
    static constexpr std::size_t kBlockBytes = std::size_t{1} << 20;
    std::vector<EntryList::Block> m_blocks;
    std::string* m_current = nullptr;
};

// The run's keys are made again from the second reading's buffer, whose bytes are gone by the next
// part: its side entries are copies the first reading made of the entries too long to pack, so a
// key must pack whenever its length allows, wherever the buffer lies. User addresses lie below the
// packed address's 48 bits on the systems this is built for; a buffer beyond would be of no use.
void requirePackableAddress(std::string_view entry) {
    if (!EntryKeys::packs(entry) && EntryKeys::packs(std::string_view(nullptr, entry.size())))
        throw std::bad_alloc();
}

// The entry before, as a scan of a list read a part at a time keeps it to tell whether the list
// still ascends: its first sixteen bytes as two words, which decide nearly every comparison, and a
// copy of its bytes only when it is longer, as the rest may have to decide.
class PreviousEntry final {
public:
    // Whether the entry comes after the one before, or is the first.
    bool before(std::string_view entry) const {
        if (!m_any)
            return true;
        const std::uint64_t head = detail::bigEndianWord(entry, 0);
        if (head != m_head)
            return m_head < head;
        const std::uint64_t next = detail::bigEndianWord(entry, 8);
        if (next != m_next)
            return m_next < next;
        if (m_size <= kWordBytes || entry.size() <= kWordBytes)
            return m_size < entry.size();
        return std::string_view(m_bytes).substr(kWordBytes) < entry.substr(kWordBytes);
    }

    void take(std::string_view entry) {
        m_any = true;
        m_head = detail::bigEndianWord(entry, 0);
        m_next = detail::bigEndianWord(entry, 8);
        m_size = entry.size();
        if (m_size > kWordBytes)
            m_bytes.assign(entry);
    }

private:
    static constexpr std::size_t kWordBytes = 16;
    bool m_any = false;
    std::uint64_t m_head = 0;
    std::uint64_t m_next = 0;
    std::size_t m_size = 0;
    std::string m_bytes;
};

// The size of the parts a Main list is read in.
constexpr std::size_t kMainPartBytes = std::size_t{1} << 20;

// A Main list read from a source, such as its file, twice, and never held whole: the first
// reading copies only the entries past the run, the second reads the run again, each stretch of
// the walk its own part of it. The entries of the run that the new list keeps are copied once the
// walk finds that no other source holds them; the others are taken from that source.
class StreamedMain final {
public:
    explicit StreamedMain(const ByteSource& source)
        : m_source(source) {}

    // The blocks of the copies made by the first reading.
    const std::vector<EntryList::Block>& blocks() const { return m_blocks; }
    // The source's bytes, as the first reading found them.
    std::uint64_t size() const { return m_size; }

    ScannedMain scan() {
        ScannedMain scanned;
        scanned.runHashes.fill(kRunHashSeed);
        RunFinder run(scanned);
        HeldCopies copies;
        const std::unique_ptr<ByteSource::Stream> stream = m_source.openAt(0);
        StreamedPieces pieces(*stream, 0, std::numeric_limits<std::uint64_t>::max(),
                              kMainPartBytes);
        PreviousEntry previous;
        bool inRun = true;
        for (std::string_view piece; pieces.next(piece);) {
            requirePackableAddress(piece);
            ++scanned.count;
            if (inRun) {
                const bool ascending = previous.before(piece);
                const bool side = !EntryKeys::packs(piece);
                const auto place = static_cast<std::size_t>(pieces.offsetOf(piece) + piece.size());
                if (run.continues(ascending, firstByte(piece), place, side)) {
                    if (side)
                        scanned.table.make(copies.hold(piece), true);
                    hashIntoRun(scanned.runHashes[firstByte(piece)], piece, scanned.count);
                    previous.take(piece);
                    continue;
                }
                inRun = false;
            }
            scanned.rest.push_back(scanned.table.make(copies.hold(piece), true));
        }
        run.end();
        m_size = pieces.bytesRead();
        m_blocks = copies.take();
        m_marks = scanned.marks;
        m_runHashes = scanned.runHashes;
        return scanned;
    }

    class Run final {
    public:
        Run(const StreamedMain& main, const RunMark& from, const RunMark& to, KeptBytes kept)
            : m_main(main)
            , m_from(from)
            , m_to(to)
            , m_stream(main.m_source.openAt(from.place))
            , m_pieces(*m_stream, from.place, to.place - from.place, kMainPartBytes)
            , m_left(to.index - from.index)
            , m_kept(kept) {
            m_hashes.fill(kRunHashSeed);
        }

        bool next(std::string_view& entry) {
            if (m_left == 0 || !m_pieces.next(entry))
                return false;
            requirePackableAddress(entry);
            --m_left;
            hashIntoRun(m_hashes[firstByte(entry)], entry, m_to.index - m_left);
            return true;
        }

        // The key of an entry of the run that the new list keeps, on bytes that outlive the walk,
        // or at least the reading of the next entry: the part read holds them until then.
        EntryKey keep(const EntryKey& key, std::string_view entry) {
            if (!EntryKeys::packs(entry) || m_kept == KeptBytes::Passing)
                return key; // a copy the first reading made, or the bytes as read
            const std::string_view copy = m_copies.hold(entry);
            requirePackableAddress(copy);
            return EntryKeys::movedFromMain(key, copy);
        }

        // Whether an entry of the run that another source holds too is kept as the run's: the
        // text is made of the run's bytes, which are at hand, where the other's lie scattered
        // over a file. A new list of views takes the other copy, which costs no copy of its own.
        bool keepsItsOwnCopy() const { return m_kept == KeptBytes::Passing; }

        // Throws when the run read again is not the run the first reading found.
        void finish() const {
            bool same = m_left == 0;
            for (unsigned b = 0; b < 256 && same; ++b) {
                const bool inStretch = m_main.m_marks[b].index >= m_from.index &&
                                       m_main.m_marks[b + 1].index <= m_to.index;
                same = m_hashes[b] == (inStretch ? m_main.m_runHashes[b] : kRunHashSeed);
            }
            if (!same)
                throw MainListChanged("The old Main list changed while it was merged");
        }

        std::vector<EntryList::Block> takeCopies() { return m_copies.take(); }

    private:
        const StreamedMain& m_main;
        RunMark m_from;
        RunMark m_to;
        std::unique_ptr<ByteSource::Stream> m_stream;
        StreamedPieces m_pieces;
        std::size_t m_left;
        std::array<std::uint64_t, 256> m_hashes{};
        KeptBytes m_kept;
        HeldCopies m_copies;
    };
    Run run(const RunMark& from, const RunMark& to, KeptBytes kept) const {
        return Run(*this, from, to, kept);
    }

private:
    const ByteSource& m_source;
    std::vector<EntryList::Block> m_blocks;
    std::uint64_t m_size = 0;
    std::array<RunMark, 257> m_marks{};
    std::array<std::uint64_t, 256> m_runHashes{};
};

// The final walk over the two sorted sequences, a stretch of the old Main list's run and the
// sorted rest from the same range of entries. It yields each distinct entry once, in order, with
// the mark "was in the old Main list" set when any of its copies was.
template <typename Run> class SortedUnion final {
    static constexpr std::size_t kPrefetchDistance = 16;

public:
    SortedUnion(const EntryKeys& table, Run run, std::uint64_t runSides,
                std::span<const EntryKey> others)
        : m_table(table)
        , m_run(std::move(run))
        , m_runSides(runSides)
        , m_others(others) {
        loadMain();
    }

    // False when both sequences are used up. The entry given may lie in the bytes the run read
    // last: the run reads on only at the next call. Inlined into the walk's loop whatever the
    // compiler estimates: called, it keeps the walk's state in memory, and a rebuild takes half as
    // long again.
    QUILLMERE_ALWAYS_INLINE bool next(EntryKey& out) {
        if (m_mainTaken) {
            loadMain();
            m_mainTaken = false;
        }
        const bool haveOther = m_otherNext < m_others.size();
        if (!m_haveMain && !haveOther)
            return false;
        const int order =
            !haveOther ? -1
                       : (!m_haveMain ? 1 : m_table.compare(m_mainHead, m_others[m_otherNext]));
        if (order < 0 || (order == 0 && m_run.keepsItsOwnCopy())) {
            out = m_run.keep(m_mainHead, m_mainEntry);
            // The run is strictly ascending: its next entry is greater.
            m_mainTaken = true;
        } else if (order == 0) {
            // The other copy, which the new list can keep without a copy of its own.
            out = m_others[m_otherNext];
            EntryKeys::markFromMain(out);
            m_mainTaken = true;
        } else {
            out = m_others[m_otherNext];
        }
        // The other entry compared is the one given, or equal to it: no need to compare it again.
        if (order >= 0)
            passOther(out);
        while (m_otherNext < m_others.size() && m_table.equal(m_others[m_otherNext], out))
            passOther(out);
        return true;
    }

    // The run, to be finished once both sequences are used up.
    Run& run() { return m_run; }
    // How many of the other sequence's keys are used up: the rest are still to be read.
    std::size_t othersRead() const { return m_otherNext; }

private:
    // Passes the next of the other sequence, a copy of the entry given.
    void passOther(EntryKey& out) {
        if (EntryKeys::fromMain(m_others[m_otherNext]))
            EntryKeys::markFromMain(out);
        // The entries lie scattered over the files' bytes: fetch a few ahead.
        if (m_otherNext + kPrefetchDistance < m_others.size())
            m_table.prefetch(m_others[m_otherNext + kPrefetchDistance]);
        ++m_otherNext;
    }

    void loadMain() {
        m_haveMain = m_run.next(m_mainEntry);
        if (m_haveMain)
            m_mainHead = m_table.remake(m_mainEntry, true, m_runSides);
    }

    const EntryKeys& m_table;
    Run m_run;
    std::uint64_t m_runSides;
    std::span<const EntryKey> m_others;
    std::size_t m_otherNext = 0;
    bool m_haveMain = false;
    bool m_mainTaken = false; // the run's entry at hand is given: the next call reads on
    EntryKey m_mainHead{};
    std::string_view m_mainEntry;
};

// One stretch of the walk: the entries whose first byte lies in a range.
struct WalkPart {
    RunMark runFrom;
    RunMark runTo;
    std::span<const EntryKey> others;
    std::span<const EntryKey> removed;
};

// The most entries a stretch of the walk can keep: one per entry of the run and per key.
std::size_t mostKept(const WalkPart& part) {
    return part.runTo.index - part.runFrom.index + part.others.size();
}

constexpr std::size_t kViewBytes = sizeof(std::string_view);

// The merge's working memory, allocated once and handed on from phase to phase, because the first
// touch of a fresh page is most of what a large merge costs beyond its own work. It holds the keys
// to sort, and then the new list's views, which the walk writes over the keys it has read (see
// ViewWriter), in pages that are the process's own already, or where that is not safe into the
// room reserved behind the keys; the views are then gathered at the start, and the pages past them
// given back. It is sized in slots of one view each.
class WorkingArena final {
public:
    WorkingArena(std::size_t keyCount, std::size_t mostKept)
        : m_keyCount(keyCount)
        , m_keySlots((keyCount * sizeof(EntryKey) + kViewBytes - 1) / kViewBytes) {
        reserveLarge(m_views, m_keySlots + mostKept + 1);
    }

    std::span<EntryKey> keys() { return {reinterpret_cast<EntryKey*>(m_views.data()), m_keyCount}; }
    std::string_view* slots() { return m_views.data(); }
    // The first slot past the keys.
    std::size_t keySlots() const { return m_keySlots; }
    // The arena as an empty vector for the views; whatever its slots hold stays readable until
    // views are appended over it.
    std::vector<std::string_view> takeViews() { return std::move(m_views); }

private:
    static_assert(alignof(EntryKey) <= alignof(std::string_view));

    std::size_t m_keyCount;
    std::size_t m_keySlots;
    std::vector<std::string_view> m_views;
};

// Where a stretch of the walk writes its views: into the slots over its own keys, as long as a
// slot ends before the key it reads next (and, once all its keys are read, before the next
// stretch's keys). A view is 16 bytes and a key 24, so every key read makes room for a view and a
// half: with the keys of the factory file, which holds most of the new list, the views stay over
// the keys. Views that find no room yet wait in a short queue; once that is full, they and all
// after them go into room of their own past all keys.
class ViewWriter final {
public:
    struct Room {
        std::size_t inPlaceFirst = 0; // the slot of the first view over the keys
        std::size_t keysFirstByte = 0;
        std::size_t keyCount = 0;
        std::size_t inPlaceEndByte = 0; // how far the views may reach once all keys are read
        std::size_t ownFirst = 0;       // the first slot of the room of its own
    };

    ViewWriter(std::string_view* slots, const Room& room)
        : m_slots(slots)
        , m_room(room)
        , m_inPlaceNext(room.inPlaceFirst)
        , m_ownNext(room.ownFirst) {}

    // The next view, with the given number of the stretch's keys read.
    void put(std::string_view view, std::size_t keysRead) {
        if (m_overflowed) {
            m_slots[m_ownNext++] = view;
            return;
        }
        if (m_waiting.empty() && fits(keysRead)) {
            m_slots[m_inPlaceNext++] = view;
            return;
        }
        m_waiting.push_back(view);
        drain(keysRead);
        if (m_waiting.size() - m_waitingFirst > kMostWaiting)
            overflow();
    }

    // Once all keys are read.
    void finish() {
        drain(m_room.keyCount);
        overflow();
    }

    // The views written, in order: those over the keys, then those in the room of its own.
    std::size_t inPlaceCount() const { return m_inPlaceNext - m_room.inPlaceFirst; }
    std::size_t ownCount() const { return m_ownNext - m_room.ownFirst; }

private:
    static constexpr std::size_t kMostWaiting = std::size_t{1} << 16;

    bool fits(std::size_t keysRead) const {
        const std::size_t limit = keysRead < m_room.keyCount
                                      ? m_room.keysFirstByte + keysRead * sizeof(EntryKey)
                                      : m_room.inPlaceEndByte;
        return (m_inPlaceNext + 1) * kViewBytes <= limit;
    }

    void drain(std::size_t keysRead) {
        for (; m_waitingFirst < m_waiting.size() && fits(keysRead); ++m_waitingFirst)
            m_slots[m_inPlaceNext++] = m_waiting[m_waitingFirst];
        if (m_waitingFirst == m_waiting.size() || m_waitingFirst >= kMostWaiting) {
            m_waiting.erase(m_waiting.begin(),
                            m_waiting.begin() + static_cast<std::ptrdiff_t>(m_waitingFirst));
            m_waitingFirst = 0;
        }
    }

    void overflow() {
        for (; m_waitingFirst < m_waiting.size(); ++m_waitingFirst)
            m_slots[m_ownNext++] = m_waiting[m_waitingFirst];
        m_waiting.clear();
        m_waitingFirst = 0;
        m_overflowed = true;
    }

    std::string_view* m_slots;
    Room m_room;
    std::size_t m_inPlaceNext;
    std::size_t m_ownNext;
    std::vector<std::string_view> m_waiting;
    std::size_t m_waitingFirst = 0;
    bool m_overflowed = false;
};

// The size of the pieces the new list's text is handed on in.
constexpr std::size_t kTextChunkBytes = std::size_t{1} << 20;

// Whoever takes the new list's text; once it refuses a piece, it is given no more.
class TextGate final {
public:
    explicit TextGate(const MergeTextSink& sink)
        : m_sink(sink) {}
    void put(std::string_view text) {
        if (m_open && !text.empty())
            m_open = m_sink(text);
    }

private:
    const MergeTextSink& m_sink;
    bool m_open = true;
};

// The text of the first stretch of the walk, handed on a chunk at a time as it is made.
class StreamedText final {
public:
    explicit StreamedText(TextGate& gate)
        : m_gate(gate) {
        m_chunk.reserve(kTextChunkBytes);
    }
    void put(std::string_view entry, std::size_t) {
        ++m_count;
        if (!m_chunk.empty() && m_chunk.size() + entry.size() + 2 > kTextChunkBytes)
            handOn();
        m_chunk.append(entry);
        m_chunk.push_back('\r');
        m_chunk.push_back('\n');
    }
    void finish() { handOn(); }
    std::size_t count() const { return m_count; }

private:
    void handOn() {
        m_gate.put(m_chunk);
        m_chunk.clear();
    }

    TextGate& m_gate;
    std::string m_chunk;
    std::size_t m_count = 0;
};

// The text of a later stretch, kept until the stretches before it are handed on: written over
// the keys it has read, as the views are (see ViewWriter), in pages that are the process's own
// already. An entry with its CR LF takes 17 bytes on average and a key 24, so with the keys of
// the factory file the text stays over the keys; what finds no room there yet waits in a short
// queue, and once that is full it and all after it go into chunks of their own.
class TextOverKeys final {
public:
    struct Room {
        char* arena = nullptr;
        std::size_t keysFirstByte = 0;
        std::size_t keyCount = 0;
        std::size_t endByte = 0; // how far the text may reach once all keys are read
    };

    explicit TextOverKeys(const Room& room)
        : m_room(room)
        , m_next(room.keysFirstByte)
        , m_written(room.keysFirstByte)
        , m_handedOn(room.keysFirstByte) {}

    void put(std::string_view entry, std::size_t keysRead) {
        ++m_count;
        if (m_spilled) {
            appendOwn(entry);
            appendOwn("\r\n");
            return;
        }
        if (m_waitingFirst == m_waiting.size() && m_next + entry.size() + 2 <= limit(keysRead)) {
            char* const at = m_room.arena + m_next;
            std::memcpy(at, entry.data(), entry.size());
            at[entry.size()] = '\r';
            at[entry.size() + 1] = '\n';
            m_next += entry.size() + 2;
            m_written.store(m_next, std::memory_order_release);
            return;
        }
        m_waiting.append(entry).append("\r\n");
        drain(keysRead);
        if (m_waiting.size() - m_waitingFirst > kMostWaiting)
            spill();
    }

    // Once all keys are read.
    void finish() {
        drain(m_room.keyCount);
        spill();
    }

    std::size_t count() const { return m_count; }

    // On another thread, while the text is made, until ended is set: hands on whole chunks of
    // the text over the keys as they are written.
    void handOnWhileMade(TextGate& gate, const std::atomic<bool>& ended) {
        for (bool last = false; !last; std::this_thread::yield()) {
            last = ended.load(std::memory_order_acquire);
            const std::size_t written = m_written.load(std::memory_order_acquire);
            for (; written - m_handedOn >= kTextChunkBytes; m_handedOn += kTextChunkBytes)
                gate.put({m_room.arena + m_handedOn, kTextChunkBytes});
        }
    }

    // Once the text is made: what is not handed on yet.
    void handOn(TextGate& gate) {
        while (m_handedOn < m_next) {
            const std::size_t bytes = std::min(kTextChunkBytes, m_next - m_handedOn);
            gate.put({m_room.arena + m_handedOn, bytes});
            m_handedOn += bytes;
        }
        for (const std::string& chunk : m_own)
            gate.put(chunk);
    }

private:
    static constexpr std::size_t kMostWaiting = std::size_t{1} << 20;

    // How far the text may reach with the given number of keys read.
    std::size_t limit(std::size_t keysRead) const {
        return keysRead < m_room.keyCount ? m_room.keysFirstByte + keysRead * sizeof(EntryKey)
                                          : m_room.endByte;
    }

    void drain(std::size_t keysRead) {
        const std::size_t bytes =
            std::min(limit(keysRead) - m_next, m_waiting.size() - m_waitingFirst);
        std::memcpy(m_room.arena + m_next, m_waiting.data() + m_waitingFirst, bytes);
        m_next += bytes;
        m_written.store(m_next, std::memory_order_release);
        m_waitingFirst += bytes;
        if (m_waitingFirst == m_waiting.size() || m_waitingFirst >= kMostWaiting) {
            m_waiting.erase(0, m_waitingFirst);
            m_waitingFirst = 0;
        }
    }

    void spill() {
        appendOwn(std::string_view(m_waiting).substr(m_waitingFirst));
        std::string().swap(m_waiting);
        m_waitingFirst = 0;
        m_spilled = true;
    }

    void appendOwn(std::string_view bytes) {
        while (!bytes.empty()) {
            if (m_own.empty() || m_own.back().size() == kTextChunkBytes) {
                m_own.emplace_back();
                m_own.back().reserve(kTextChunkBytes);
            }
            std::string& chunk = m_own.back();
            const std::size_t take = std::min(bytes.size(), kTextChunkBytes - chunk.size());
            chunk.append(bytes.substr(0, take));
            bytes.remove_prefix(take);
        }
    }

    Room m_room;
    std::size_t m_next;
    std::atomic<std::size_t> m_written; // m_next, for the thread that hands the text on meanwhile
    std::size_t m_handedOn;
    std::string m_waiting;
    std::size_t m_waitingFirst = 0;
    bool m_spilled = false;
    std::vector<std::string> m_own;
    std::size_t m_count = 0;
};

// What a stretch of the walk keeps, as views in two runs of slots of the arena.
struct Kept {
    std::size_t inPlaceFirst = 0;
    std::size_t inPlaceCount = 0;
    std::size_t ownFirst = 0;
    std::size_t ownCount = 0;
    std::size_t fromMain = 0;
    std::vector<EntryList::Block> copies; // of entries only the old Main list held
};

// Walks one stretch, handing the writer every entry the new list keeps, in order: every distinct
// entry once, less those equal to a Removed entry (the list is free of repeats there, so one match
// per Removed entry is every match). Returns how many of them the old Main list held; copies gets
// the blocks of the entries that only it held, when they were kept as bytes of their own.
template <typename Main, typename Writer>
std::size_t walk(const Main& main, KeptBytes keptBytes, const EntryKeys& table,
                 const WalkPart& part, Writer& writer, std::vector<EntryList::Block>& copies) {
    std::size_t fromMain = 0;
    std::size_t nextRemoved = 0;
    SortedUnion sorted(table, main.run(part.runFrom, part.runTo, keptBytes), part.runFrom.sides,
                       part.others);
    for (EntryKey key; sorted.next(key);) {
        int order = 1;
        while (nextRemoved < part.removed.size() &&
               (order = table.compare(part.removed[nextRemoved], key)) < 0)
            ++nextRemoved;
        if (nextRemoved < part.removed.size() && order == 0)
            continue;
        if (EntryKeys::fromMain(key))
            ++fromMain;
        writer.put(table.viewOf(key.ref), sorted.othersRead());
    }
    writer.finish();
    sorted.run().finish();
    copies = sorted.run().takeCopies();
    return fromMain;
}

// The views of the stretches, gathered from their slots at the start of the arena in the order of
// the stretches. Every run of slots moves towards the start; a run that another's new place would
// overwrite before it is moved, or that would overwrite itself, is copied aside first.
std::vector<std::string_view> gatherViews(WorkingArena& arena, const std::vector<Kept>& kept) {
    struct Stretch {
        const std::string_view* from;
        std::size_t first;
        std::size_t count;
        std::size_t to = 0;
    };
    std::vector<Stretch> stretches;
    std::size_t total = 0;
    for (const Kept& part : kept) {
        for (const auto& [first, count] : {std::pair{part.inPlaceFirst, part.inPlaceCount},
                                           std::pair{part.ownFirst, part.ownCount}}) {
            stretches.push_back({arena.slots() + first, first, count, total});
            total += count;
        }
    }
    std::vector<std::vector<std::string_view>> aside;
    for (std::size_t k = 0; k < stretches.size(); ++k) {
        Stretch& stretch = stretches[k];
        bool overwritten = stretch.to > stretch.first && stretch.to < stretch.first + stretch.count;
        for (std::size_t earlier = 0; earlier < k && !overwritten; ++earlier) {
            const Stretch& before = stretches[earlier];
            overwritten = before.to < stretch.first + stretch.count &&
                          stretch.first < before.to + before.count;
        }
        if (overwritten && stretch.count > 0) {
            aside.emplace_back(stretch.from, stretch.from + stretch.count);
            stretch.from = aside.back().data();
        }
    }
    std::vector<std::string_view> views = arena.takeViews();
    for (const Stretch& stretch : stretches) {
        for (std::size_t k = 0; k < stretch.count; ++k) {
            const std::string_view view = stretch.from[k];
            views.push_back(view);
        }
    }
    return views;
}

// The first of the sorted keys whose first byte is the given one or more.
std::size_t firstWithByte(std::span<const EntryKey> keys, unsigned byte) {
    return static_cast<std::size_t>(
        std::partition_point(keys.begin(), keys.end(),
                             [byte](const EntryKey& key) { return firstByte(key) < byte; }) -
        keys.begin());
}

// The first stretch's share of a walk handing its text on: it hands on the second's text too.
constexpr std::size_t kFirstTextPercent = 45;

// Below this many entries the walk is not worth a second thread.
constexpr std::size_t kMinWalkForTwoThreads = 65536;

// The walk cut in two at the first byte that gives the first stretch the share of the entries
// nearest to the given percentage, or left whole.
std::vector<WalkPart> walkParts(const ScannedMain& scanned, std::span<const EntryKey> others,
                                std::span<const EntryKey> removed, std::size_t firstPercent) {
    const RunMark& runEnd = scanned.marks[256];
    const std::size_t total = runEnd.index + others.size();
    const std::size_t wanted = total / 100 * firstPercent;
    unsigned split = 256;
    std::size_t bestGap = total;
    if (total >= kMinWalkForTwoThreads) {
        for (unsigned byte = 1; byte < 256; ++byte) {
            const std::size_t below = scanned.marks[byte].index + firstWithByte(others, byte);
            const std::size_t gap = below > wanted ? below - wanted : wanted - below;
            if (gap < bestGap) {
                bestGap = gap;
                split = byte;
            }
        }
    }
    if (split == 256)
        return {WalkPart{RunMark{}, runEnd, others, removed}};
    const std::size_t othersSplit = firstWithByte(others, split);
    const std::size_t removedSplit = firstWithByte(removed, split);
    return {WalkPart{RunMark{}, scanned.marks[split], others.first(othersSplit),
                     removed.first(removedSplit)},
            WalkPart{scanned.marks[split], runEnd, others.subspan(othersSplit),
                     removed.subspan(removedSplit)}};
}

// The byte offset of a key in the arena.
std::size_t byteOf(WorkingArena& arena, const EntryKey* key) {
    return static_cast<std::size_t>(reinterpret_cast<const char*>(key) -
                                    reinterpret_cast<const char*>(arena.keys().data()));
}

// The walk making the new list's views; the stretches run side by side, the table only read
// meanwhile. The copies of entries that only the old Main list held join the blocks.
template <typename Main>
std::vector<std::string_view> walkIntoViews(const Main& main, const EntryKeys& table,
                                            const std::vector<WalkPart>& parts, WorkingArena& arena,
                                            std::vector<EntryList::Block>& blocks,
                                            std::size_t& keptFromMain) {
    std::vector<ViewWriter::Room> rooms(parts.size());
    std::size_t ownFirst = arena.keySlots();
    for (std::size_t k = 0; k < parts.size(); ++k) {
        const std::span<const EntryKey> keysOfPart = parts[k].others;
        const std::size_t firstByte = byteOf(arena, keysOfPart.data());
        // Once its keys are read, a stretch's views may reach the next stretch's keys, or the
        // rooms of their own past all keys.
        const std::size_t endByte = k + 1 < parts.size() ? byteOf(arena, parts[k + 1].others.data())
                                                         : arena.keySlots() * kViewBytes;
        rooms[k] = {(firstByte + kViewBytes - 1) / kViewBytes, firstByte, keysOfPart.size(),
                    endByte, ownFirst};
        ownFirst += mostKept(parts[k]);
    }
    std::vector<Kept> kept(parts.size());
    const auto walkPart = [&](std::size_t k) {
        ViewWriter writer(arena.slots(), rooms[k]);
        Kept& part = kept[k];
        part.fromMain = walk(main, KeptBytes::Held, table, parts[k], writer, part.copies);
        part.inPlaceFirst = rooms[k].inPlaceFirst;
        part.inPlaceCount = writer.inPlaceCount();
        part.ownFirst = rooms[k].ownFirst;
        part.ownCount = writer.ownCount();
    };
    if (parts.size() == 2)
        sideBySide([&] { walkPart(1); }, [&] { walkPart(0); });
    else
        walkPart(0);

    std::vector<std::string_view> views = gatherViews(arena, kept);
    for (Kept& part : kept) {
        keptFromMain += part.fromMain;
        blocks.insert(blocks.end(), std::make_move_iterator(part.copies.begin()),
                      std::make_move_iterator(part.copies.end()));
    }
    return views;
}

// Sets the flag when it goes out of scope, however that happens.
class EndMark final {
public:
    explicit EndMark(std::atomic<bool>& ended)
        : m_ended(ended) {}
    EndMark(const EndMark&) = delete;
    EndMark& operator=(const EndMark&) = delete;
    ~EndMark() { m_ended.store(true, std::memory_order_release); }

private:
    std::atomic<bool>& m_ended;
};

// The walk handing the new list on as text. The first stretch hands its text on as it makes it;
// the second, beside it, keeps its text over the keys it has read until then. The first stretch,
// a little shorter, then hands on the second's text as it is made, and what is left once it is.
// Returns how many of the entries the old Main list held; listed gets how many there are.
template <typename Main>
std::size_t walkIntoText(const Main& main, const EntryKeys& table,
                         const std::vector<WalkPart>& parts, WorkingArena& arena,
                         const MergeTextSink& sink, std::size_t& listed) {
    TextGate gate(sink);
    StreamedText first(gate);
    std::vector<EntryList::Block> noCopies;
    std::size_t fromMain = 0;
    if (parts.size() == 1) {
        fromMain = walk(main, KeptBytes::Passing, table, parts[0], first, noCopies);
        listed = first.count();
        return fromMain;
    }
    const WalkPart& secondPart = parts[1];
    TextOverKeys second({reinterpret_cast<char*>(arena.keys().data()),
                         byteOf(arena, secondPart.others.data()), secondPart.others.size(),
                         arena.keys().size_bytes()});
    std::size_t secondFromMain = 0;
    std::vector<EntryList::Block> secondCopies;
    std::atomic<bool> secondEnded{false};
    sideBySide(
        [&] {
            const EndMark ending(secondEnded);
            secondFromMain =
                walk(main, KeptBytes::Passing, table, secondPart, second, secondCopies);
        },
        [&] {
            fromMain = walk(main, KeptBytes::Passing, table, parts[0], first, noCopies);
            second.handOnWhileMade(gate, secondEnded);
        });
    second.handOn(gate);
    listed = first.count() + second.count();
    return fromMain + secondFromMain;
}

// Keys counted by the bucket of their first two bytes.
using LeadCounts = std::vector<std::size_t>;

// The pieces of bytes, cut as forEachFilePiece cuts them, counted by their first two bytes.
void countPieces(std::string_view bytes, LeadCounts& counts) {
    forEachFilePiece(bytes, [&counts](std::string_view piece) { ++counts[leadOf(piece)]; });
}

// The bytes cut in two at a CR LF near their middle: every CR LF is a cut between pieces, so the
// pieces of the halves are those of the whole.
std::pair<std::string_view, std::string_view> halves(std::string_view bytes) {
    const std::size_t pair = bytes.find("\r\n", bytes.size() / 2);
    if (pair == std::string_view::npos)
        return {bytes, {}};
    return {bytes.substr(0, pair + 2), bytes.substr(pair + 2)};
}

// The keys to sort come from several sources (the factory file's two halves, the old Main list's
// entries past its run, the Added list), each counted by its first two bytes beforehand. Every
// source gets one stretch of each such bucket, in the order of the sources, and writes its keys
// there as it makes them: the keys are in their buckets without radix passes of their own, and in
// the same places whichever thread made them.
enum Source : std::size_t { FirstHalf, SecondHalf, MainRest, Added, kSources };

using SourceCounts = std::array<LeadCounts, kSources>;

SourceCounts noneCounted() {
    SourceCounts counts;
    counts.fill(LeadCounts(kLeadBuckets));
    return counts;
}

struct BucketLayout {
    std::vector<std::size_t> bounds = std::vector<std::size_t>(kLeadBuckets + 1);
    SourceCounts starts = noneCounted();
};

BucketLayout layOut(const SourceCounts& counts) {
    BucketLayout layout;
    std::size_t at = 0;
    for (std::size_t b = 0; b < kLeadBuckets; ++b) {
        layout.bounds[b] = at;
        for (std::size_t source = 0; source < kSources; ++source) {
            layout.starts[source][b] = at;
            at += counts[source][b];
        }
    }
    layout.bounds[kLeadBuckets] = at;
    return layout;
}

class BucketWriter final {
public:
    BucketWriter(EntryKey* keys, LeadCounts starts)
        : m_keys(keys)
        , m_next(std::move(starts)) {}
    void put(const EntryKey& key) { m_keys[m_next[leadOf(key)]++] = key; }

private:
    EntryKey* m_keys;
    LeadCounts m_next;
};

void placePieces(std::string_view bytes, EntryKeys& table, BucketWriter& writer) {
    forEachFilePiece(
        bytes, [&table, &writer](std::string_view piece) { writer.put(table.make(piece, false)); });
}

template <typename Main>
MergeOutcome mergeInto(Main& main, const FactoryReader& readFactory, const EntryList& added,
                       const EntryList& removed,
                       const std::function<void(std::string_view)>& progress,
                       const MergeTextSink* text) {
    report(progress, kMergeInitializingText);
    std::vector<EntryList::Block> blocks;
    SourceCounts counts = noneCounted();
    ScannedMain scanned;
    const auto scanOldMain = [&scanned, &main] { scanned = main.scan(); };
    FactoryBytes factoryBytes;
    std::pair<std::string_view, std::string_view> factory;
    if (readFactory) {
        // The old Main list is scanned on a helper thread while the factory file is read and
        // counted here. The scan's failure is rethrown first: the Main list's errors come first.
        std::exception_ptr factoryFailure;
        sideBySide(scanOldMain, [&] {
            try {
                factoryBytes = readFactory();
                report(progress, kMergeNewFileText);
                factory = halves(factoryBytes.bytes);
                if (factoryBytes.block)
                    blocks.push_back(factoryBytes.block);
                countPieces(factory.first, counts[FirstHalf]);
                countPieces(factory.second, counts[SecondHalf]);
            } catch (...) {
                factoryFailure = std::current_exception();
            }
        });
        if (factoryFailure)
            std::rethrow_exception(factoryFailure);
    } else {
        scanOldMain();
    }
    blocks.insert(blocks.end(), main.blocks().begin(), main.blocks().end());
    for (const EntryKey& key : scanned.rest)
        ++counts[MainRest][leadOf(key)];
    if (!added.empty()) {
        report(progress, kMergeAddingText);
        for (std::string_view entry : added)
            countPieces(entry, counts[Added]);
        blocks.insert(blocks.end(), added.blocks().begin(), added.blocks().end());
    }

    // The scan's side entries, the run's first, come first in the table.
    EntryKeys table = std::move(scanned.table);
    BucketLayout layout = layOut(counts);
    // Only the second half's counts are needed again, to find its keys; the writers take over
    // the other sources' starts.
    for (const Source source : {FirstHalf, MainRest, Added})
        LeadCounts().swap(counts[source]);
    const std::size_t keyCount = layout.bounds[kLeadBuckets];
    const std::size_t runCount = scanned.marks[256].index;
    // Text needs no room for views.
    WorkingArena arena(keyCount, text ? 0 : runCount + keyCount);
    EntryKey* const keys = arena.keys().data();
    EntryKeys secondTable;
    sideBySide(
        [&] {
            BucketWriter writer(keys, layout.starts[SecondHalf]);
            placePieces(factory.second, secondTable, writer);
        },
        [&] {
            BucketWriter writer(keys, std::move(layout.starts[FirstHalf]));
            placePieces(factory.first, table, writer);
            BucketWriter restWriter(keys, std::move(layout.starts[MainRest]));
            for (const EntryKey& key : scanned.rest)
                restWriter.put(key);
            BucketWriter addedWriter(keys, std::move(layout.starts[Added]));
            for (std::string_view entry : added)
                addPieces(table, entry, false,
                          [&addedWriter](const EntryKey& key) { addedWriter.put(key); });
        });
    std::vector<EntryKey>().swap(scanned.rest);
    if (secondTable.hasSideEntries()) {
        const std::uint64_t offset = table.adopt(secondTable);
        for (std::size_t b = 0; b < kLeadBuckets; ++b) {
            for (std::size_t k = layout.starts[SecondHalf][b];
                 k < layout.starts[SecondHalf][b] + counts[SecondHalf][b]; ++k)
                keys[k].ref = EntryKeys::rebased(keys[k].ref, offset);
        }
    }
    const std::span<EntryKey> others = arena.keys();

    report(progress, kMergeSortingText);
    sortBucketedKeys(others, layout.bounds, table);

    report(progress, kMergeBuildingText);
    std::vector<EntryKey> removedKeys;
    removedKeys.reserve(removed.size());
    for (std::string_view entry : removed)
        removedKeys.push_back(table.make(entry, false));
    sortEntryKeys(removedKeys, table);

    // Without a factory file the second stretch's text finds few keys to lie over: it goes into
    // chunks of its own, handed on only once it ends, and the two stretches take half each.
    const std::vector<WalkPart> parts =
        walkParts(scanned, others, removedKeys, text && readFactory ? kFirstTextPercent : 50);
    MergeOutcome outcome;
    std::size_t keptFromMain = 0;
    if (text) {
        keptFromMain = walkIntoText(main, table, parts, arena, *text, outcome.listed);
        report(progress, kMergeRemovingText);
    } else {
        std::vector<std::string_view> views =
            walkIntoViews(main, table, parts, arena, blocks, keptFromMain);
        report(progress, kMergeRemovingText);
        releaseSpareCapacity(views);
        outcome.listed = views.size();
        outcome.main = compactEntries(std::move(views), std::move(blocks));
    }
    outcome.gained = outcome.listed - keptFromMain;
    outcome.lost = scanned.count - keptFromMain;
    return outcome;
}

} // namespace

FactoryReader heldFactory(std::optional<EntryList::Block> factoryBytes) {
    if (!factoryBytes)
        return {};
    return [block = std::move(*factoryBytes)] { return FactoryBytes{*block, block, nullptr}; };
}

MergeOutcome mergeFactoryList(const EntryList& main, std::optional<EntryList::Block> factoryBytes,
                              const EntryList& added, const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    ListMain listMain(main);
    return mergeInto(listMain, heldFactory(std::move(factoryBytes)), added, removed, progress,
                     nullptr);
}

MergeOutcome mergeFactoryList(const ByteSource& mainFile,
                              std::optional<EntryList::Block> factoryBytes, const EntryList& added,
                              const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    StreamedMain streamed(mainFile);
    MergeOutcome outcome = mergeInto(streamed, heldFactory(std::move(factoryBytes)), added, removed,
                                     progress, nullptr);
    outcome.mainFileBytes = streamed.size();
    return outcome;
}

MergeOutcome mergeFactoryListAsText(const ByteSource& mainFile, const FactoryReader& readFactory,
                                    const EntryList& added, const EntryList& removed,
                                    const MergeTextSink& text,
                                    const std::function<void(std::string_view)>& progress) {
    StreamedMain streamed(mainFile);
    MergeOutcome outcome = mergeInto(streamed, readFactory, added, removed, progress, &text);
    outcome.mainFileBytes = streamed.size();
    return outcome;
}

MergeOutcome mergeFactoryList(EntryList::Block mainBytes,
                              std::optional<EntryList::Block> factoryBytes, const EntryList& added,
                              const EntryList& removed,
                              const std::function<void(std::string_view)>& progress) {
    return mergeFactoryList(HeldByteSource(std::move(mainBytes)), std::move(factoryBytes), added,
                            removed, progress);
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
