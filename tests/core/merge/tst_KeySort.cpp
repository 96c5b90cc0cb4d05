#include "core/merge/KeySort.h"

#include <QTest>
#include <algorithm>
#include <atomic>
#include <cstdlib>
#include <new>
#include <random>
#include <string>
#include <thread>
#include <vector>

using namespace quillmere;

namespace {

// While set, an allocation of a mebibyte or more on any thread but this one fails, as when memory
// runs out just as a helper thread of the sort wants its scratch array.
std::atomic<bool> largeAllocationsFailOnHelpers{false};
std::thread::id testThread;

} // namespace

// The single-object forms, all on malloc, so that every one of them pairs with every other.
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (largeAllocationsFailOnHelpers && size >= (std::size_t{1} << 20) &&
        std::this_thread::get_id() != testThread)
        return nullptr;
    return std::malloc(size == 0 ? 1 : size);
}

void* operator new(std::size_t size) {
    if (void* memory = operator new(size, std::nothrow))
        return memory;
    throw std::bad_alloc();
}

void operator delete(void* memory) noexcept {
    std::free(memory);
}

void operator delete(void* memory, std::size_t) noexcept {
    std::free(memory);
}

void operator delete(void* memory, const std::nothrow_t&) noexcept {
    std::free(memory);
}

class TestKeySort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The radix sort against std::sort of the same strings (byte order, as unsigned values), on
    // entries full of repeats, NUL and high bytes, prefixes of each other and entries that agree
    // in all sixteen key bytes. Bucketed: the keys come placed in the buckets of their first two
    // bytes, as the merge places them, and only the rest of the sort runs.
    void sortsInByteOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("longest");
        QTest::addColumn<bool>("bucketed");
        QTest::newRow("nothing") << 0 << 8 << false;
        QTest::newRow("one") << 1 << 8 << false;
        QTest::newRow("by insertion alone") << 30 << 20 << false;
        QTest::newRow("radix passes on one thread") << 5000 << 40 << false;
        QTest::newRow("buckets shared among the cores") << 70000 << 40 << false;
        QTest::newRow("short entries, mostly repeats") << 40000 << 3 << false;
        QTest::newRow("bucketed, nothing") << 0 << 8 << true;
        QTest::newRow("bucketed, on one thread") << 5000 << 40 << true;
        QTest::newRow("bucketed, shared among the cores") << 70000 << 40 << true;
        QTest::newRow("bucketed, short entries, mostly repeats") << 40000 << 3 << true;
        // A bucket of the first bytes "ab" that holds 27 % of the keys, more than the scratch
        // array.
        QTest::newRow("bucketed, a bucket partitioned in place") << 600000 << 40 << true;
    }
    void sortsInByteOrder() {
        QFETCH(int, count);
        QFETCH(int, longest);
        QFETCH(bool, bucketed);
        static const char alphabet[] = {'a', 'b', '.', '\0', '\x80', '\xff'};
        std::mt19937 random(static_cast<unsigned>(count * 31 + longest));
        std::uniform_int_distribution<int> pickLength(0, longest);
        std::uniform_int_distribution<std::size_t> pickByte(0, sizeof alphabet - 1);
        std::uniform_int_distribution<int> pickKind(0, 3);
        std::vector<std::string> entries;
        for (int k = 0; k < count; ++k) {
            // A quarter share a sixteen-byte prefix, so that only the bytes past it decide.
            std::string entry = pickKind(random) == 0 ? "abcdefghijklmnop" : "";
            for (int length = pickLength(random); length > 0; --length)
                entry += alphabet[pickByte(random)];
            entries.push_back(entry);
        }
        EntryKeys table;
        std::vector<EntryKey> keys;
        for (const std::string& entry : entries) {
            keys.push_back(table.make(entry, false));
            // The merge counts entries into their buckets before it makes their keys.
            if (!entry.empty())
                QCOMPARE(leadOf(entry), leadOf(keys.back()));
        }
        if (bucketed) {
            std::stable_sort(keys.begin(), keys.end(), [&](const EntryKey& a, const EntryKey& b) {
                return leadOf(a) < leadOf(b);
            });
            std::vector<std::size_t> bounds;
            for (std::size_t lead = 0; lead <= kLeadBuckets; ++lead)
                bounds.push_back(static_cast<std::size_t>(
                    std::partition_point(keys.begin(), keys.end(),
                                         [&](const EntryKey& key) { return leadOf(key) < lead; }) -
                    keys.begin()));
            sortBucketedKeys(keys, bounds, table);
        } else {
            sortEntryKeys(keys, table);
        }
        std::vector<std::string> sorted;
        for (const EntryKey& key : keys)
            sorted.emplace_back(table.view(key));
        std::sort(entries.begin(), entries.end());
        QVERIFY(sorted == entries);
        // Neighbours in order are where the keys' comparisons are closest: they agree with the
        // bytes' there, and so does the test for equal bytes.
        for (std::size_t k = 1; k < keys.size(); ++k) {
            const int bytes = sorted[k - 1].compare(sorted[k]);
            const int order = table.compare(keys[k - 1], keys[k]);
            QVERIFY((order < 0) == (bytes < 0) && (order == 0) == (bytes == 0));
            QCOMPARE(table.equal(keys[k - 1], keys[k]), bytes == 0);
            QCOMPARE(table.equal(keys[k], keys[k - 1]), bytes == 0);
        }
    }

    // Running out of memory on a helper thread is the caller's std::bad_alloc, as anywhere else
    // in a merge, and not the end of the program.
    void noMemoryOnAHelperThread() {
        if (std::thread::hardware_concurrency() < 2)
            QSKIP("one core: the sort starts no helper thread");
        std::vector<std::string> entries;
        for (int k = 0; k < 400000; ++k) {
            std::string entry(1, static_cast<char>('a' + k % 2));
            entries.push_back(entry.append(std::to_string(k)));
        }
        EntryKeys table;
        std::vector<EntryKey> keys;
        for (const std::string& entry : entries)
            keys.push_back(table.make(entry, false));
        testThread = std::this_thread::get_id();
        largeAllocationsFailOnHelpers = true;
        bool failed = false;
        try {
            sortEntryKeys(keys, table);
        } catch (const std::bad_alloc&) {
            failed = true;
        }
        largeAllocationsFailOnHelpers = false;
        QVERIFY(failed);
    }
};

QTEST_GUILESS_MAIN(TestKeySort)
#include "tst_KeySort.moc"
