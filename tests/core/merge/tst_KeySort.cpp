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
    // in all sixteen key bytes.
    void sortsInByteOrder_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<int>("longest");
        QTest::newRow("nothing") << 0 << 8;
        QTest::newRow("one") << 1 << 8;
        QTest::newRow("by insertion alone") << 30 << 20;
        QTest::newRow("radix passes on one thread") << 5000 << 40;
        QTest::newRow("buckets shared among the cores") << 70000 << 40;
        QTest::newRow("short entries, mostly repeats") << 40000 << 3;
    }
    void sortsInByteOrder() {
        QFETCH(int, count);
        QFETCH(int, longest);
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
        sortEntryKeys(keys, table);
        std::vector<std::string> sorted;
        for (const EntryKey& key : keys)
            sorted.emplace_back(table.view(key));
        std::sort(entries.begin(), entries.end());
        QVERIFY(sorted == entries);
    }
};

QTEST_GUILESS_MAIN(TestKeySort)
#include "tst_KeySort.moc"
