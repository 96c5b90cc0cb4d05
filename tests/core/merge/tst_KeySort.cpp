#include "core/merge/KeySort.h"

#include <QTest>
#include <algorithm>
#include <random>
#include <string>
#include <vector>

using namespace quillmere;

class TestKeySort : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The radix sort against std::sort of the same strings (byte order, as unsigned values), on
    // entries full of repeats, NUL and high bytes, prefixes of each other and entries that agree
    // in all sixteen key bytes. Bucketed: the keys come placed in the buckets of their first byte,
    // as the merge places them, and only the rest of the sort runs.
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
        // A bucket of the first byte 'a' that holds 37 % of the keys, more than the scratch array.
        QTest::newRow("bucketed, a bucket partitioned in place") << 400000 << 40 << true;
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
        for (const std::string& entry : entries)
            keys.push_back(table.make(entry, false));
        if (bucketed) {
            const auto firstByte = [](const EntryKey& key) { return key.head >> 56; };
            std::stable_sort(keys.begin(), keys.end(), [&](const EntryKey& a, const EntryKey& b) {
                return firstByte(a) < firstByte(b);
            });
            FirstByteBounds bounds{};
            for (unsigned byte = 0; byte <= 256; ++byte)
                bounds[byte] =
                    static_cast<std::size_t>(std::partition_point(keys.begin(), keys.end(),
                                                                  [&](const EntryKey& key) {
                                                                      return firstByte(key) < byte;
                                                                  }) -
                                             keys.begin());
            sortBucketedKeys(keys, bounds, table);
        } else {
            sortEntryKeys(keys, table);
        }
        std::vector<std::string> sorted;
        for (const EntryKey& key : keys)
            sorted.emplace_back(table.view(key));
        std::sort(entries.begin(), entries.end());
        QVERIFY(sorted == entries);
    }
};

QTEST_GUILESS_MAIN(TestKeySort)
#include "tst_KeySort.moc"
