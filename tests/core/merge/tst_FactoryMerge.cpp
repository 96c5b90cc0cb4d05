#include "core/merge/FactoryMerge.h"
#include "fakes/EntryBytes.h"

#include <QByteArrayList>
#include <QTest>
#include <algorithm>
#include <atomic>
#include <memory>
#include <new>
#include <optional>
#include <random>
#include <set>
#include <string>

using namespace quillmere;
using namespace quillmere::test;

namespace {

std::string bytes(const QByteArray& text) {
    return text.toStdString();
}

EntryList::Block blockOf(const QByteArray& text) {
    return std::make_shared<const std::string>(bytes(text));
}

// The merge told step by step: the joined text, cut at every CR LF, sorted, empties and repeats
// dropped, then one first-match scan per Removed entry.
struct Reference {
    std::vector<std::string> main;
    std::size_t gained = 0;
    std::size_t lost = 0;
};

Reference referenceMerge(const std::vector<std::string>& main, const std::string* factory,
                         const std::vector<std::string>& added,
                         const std::vector<std::string>& removed) {
    std::string text;
    for (std::size_t k = 0; k < main.size(); ++k)
        text += (k ? "\r\n" : "") + main[k];
    if (factory)
        text += "\r\n" + *factory;
    if (!added.empty()) {
        text += "\r\n";
        for (std::size_t k = 0; k < added.size(); ++k)
            text += (k ? "\r\n" : "") + added[k];
    }
    std::vector<std::string> pieces;
    std::size_t start = 0;
    for (std::size_t at; (at = text.find("\r\n", start)) != std::string::npos; start = at + 2)
        pieces.push_back(text.substr(start, at - start));
    pieces.push_back(text.substr(start));
    std::sort(pieces.begin(), pieces.end());

    Reference result;
    for (const std::string& piece : pieces) {
        if (!piece.empty() && (result.main.empty() || result.main.back() != piece))
            result.main.push_back(piece);
    }
    for (const std::string& entry : removed) {
        const auto match = std::find(result.main.begin(), result.main.end(), entry);
        if (match != result.main.end())
            result.main.erase(match);
    }
    std::vector<std::string> oldSorted = main;
    std::sort(oldSorted.begin(), oldSorted.end());
    std::size_t kept = 0;
    for (const std::string& entry : result.main) {
        if (std::binary_search(oldSorted.begin(), oldSorted.end(), entry))
            ++kept;
    }
    result.gained = result.main.size() - kept;
    result.lost = main.size() - kept;
    return result;
}

std::vector<std::string> strings(const EntryList& list) {
    return {list.begin(), list.end()};
}

EntryList listOf(const std::vector<std::string>& entries) {
    EntryList list;
    for (const std::string& entry : entries)
        list.append(entry);
    return list;
}

// Entries from a small alphabet, so that repeats, shared prefixes of sixteen bytes and more, lone
// CR and LF, NUL and high bytes all come up often.
std::string randomEntry(std::mt19937& random, bool mayBeLong) {
    static const char alphabet[] = {'a', 'b', 'A', '.', '-', '\r', '\n', '\0', '\xe9', '\xff'};
    std::uniform_int_distribution<int> pickLength(0, mayBeLong ? 40 : 18);
    std::uniform_int_distribution<int> pickCommon(0, 9);
    std::uniform_int_distribution<std::size_t> pickByte(0, sizeof alphabet - 1);
    std::string entry(static_cast<std::size_t>(pickLength(random)), 'a');
    for (char& c : entry) {
        if (pickCommon(random) == 0)
            c = alphabet[pickByte(random)];
    }
    return entry;
}

// The bytes of a Main list file as a source that gives them a few bytes per read, so that the
// merge's parts end anywhere, and that gives other bytes from its second opening on: a file
// another program changes between the merge's two readings. Without other bytes, every opening
// after the first fails.
class ChangingSource final : public ByteSource {
public:
    ChangingSource(const std::string& first, const std::optional<std::string>& later,
                   std::size_t bytesPerRead)
        : m_first(std::make_shared<const std::string>(first))
        , m_later(later ? std::optional(HeldByteSource(std::make_shared<const std::string>(*later)))
                        : std::nullopt)
        , m_bytesPerRead(bytesPerRead) {}

    std::unique_ptr<Stream> openAt(std::uint64_t offset) const override {
        if (m_opened++ == 0)
            return std::make_unique<Trickle>(m_first.openAt(offset), m_bytesPerRead);
        if (!m_later)
            throw ByteSourceError("Cannot read url-domain-bl.txt: Input/output error");
        return std::make_unique<Trickle>(m_later->openAt(offset), m_bytesPerRead);
    }

private:
    class Trickle final : public Stream {
    public:
        Trickle(std::unique_ptr<Stream> stream, std::size_t bytesPerRead)
            : m_stream(std::move(stream))
            , m_bytesPerRead(bytesPerRead) {}
        std::size_t read(char* into, std::size_t size) override {
            return m_stream->read(into, std::min(size, m_bytesPerRead));
        }

    private:
        std::unique_ptr<Stream> m_stream;
        std::size_t m_bytesPerRead;
    };

    HeldByteSource m_first;
    std::optional<HeldByteSource> m_later;
    std::size_t m_bytesPerRead;
    mutable std::atomic<int> m_opened{0};
};

// Entries that fall into every first byte from a to z, the kth of them with k in it.
std::string spreadEntry(int k) {
    std::string entry(1, static_cast<char>('a' + k % 26));
    return entry.append(std::to_string(k)).append(".ex");
}

std::string fileBytesOf(const std::vector<std::string>& entries) {
    std::string bytes;
    for (const std::string& entry : entries)
        bytes += entry + "\r\n";
    return bytes;
}

// A merge of a Main list file's bytes, read the given number of bytes at a time, made both ways:
// as a list, and handed on as text, which must be the list's file text with the same counts.
struct BothWays {
    MergeOutcome list;
    bool textAgrees = false;
};

BothWays mergedBothWays(const std::string& mainBytes, std::size_t bytesPerRead,
                        const std::optional<EntryList::Block>& factory, const EntryList& added,
                        const EntryList& removed) {
    BothWays merged;
    const ChangingSource forList(mainBytes, mainBytes, bytesPerRead);
    merged.list = mergeFactoryList(forList, factory, added, removed);
    const ChangingSource forText(mainBytes, mainBytes, bytesPerRead);
    std::string text;
    const MergeOutcome asText = mergeFactoryListAsText(forText, heldFactory(factory), added,
                                                       removed, [&text](std::string_view piece) {
                                                           text.append(piece);
                                                           return true;
                                                       });
    const MergeOutcome& list = merged.list;
    merged.textAgrees = text == fileBytesOf(strings(list.main)) && asText.main.empty() &&
                        asText.listed == list.main.size() && list.listed == list.main.size() &&
                        asText.gained == list.gained && asText.lost == list.lost &&
                        asText.mainFileBytes == list.mainFileBytes;
    return merged;
}

} // namespace

class TestFactoryMerge : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void result_data() {
        QTest::addColumn<QByteArrayList>("main");
        QTest::addColumn<bool>("withFactory");
        QTest::addColumn<QByteArray>("factory");
        QTest::addColumn<QByteArrayList>("added");
        QTest::addColumn<QByteArrayList>("removed");
        QTest::addColumn<QByteArrayList>("expected");

        QTest::newRow("rebuild sorts and drops repeats")
            << QByteArrayList{"b.ex", "a.ex", "b.ex", "c.ex", "a.ex"} << false << QByteArray()
            << QByteArrayList() << QByteArrayList() << QByteArrayList{"a.ex", "b.ex", "c.ex"};
        QTest::newRow("empty main list")
            << QByteArrayList() << true << QByteArray("b.ex\r\na.ex\r\n") << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"a.ex", "b.ex"};
        QTest::newRow("rebuild of nothing")
            << QByteArrayList() << false << QByteArray() << QByteArrayList() << QByteArrayList{"x"}
            << QByteArrayList();
        QTest::newRow("empty factory file")
            << QByteArrayList{"a.ex"} << true << QByteArray() << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"a.ex"};
        QTest::newRow("factory ending in CR LF, with blank lines")
            << QByteArrayList{"m.ex"} << true << QByteArray("\r\n\r\nz.ex\r\n\r\nb.ex\r\n\r\n")
            << QByteArrayList() << QByteArrayList() << QByteArrayList{"b.ex", "m.ex", "z.ex"};
        QTest::newRow("factory with LF line ends is one entry")
            << QByteArrayList{"m.ex"} << true << QByteArray("z.ex\nb.ex\n") << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"m.ex", "z.ex\nb.ex\n"};
        QTest::newRow("lone CR stays inside its entry")
            << QByteArrayList() << true << QByteArray("a\rb\r\r\nc") << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"a\rb\r", "c"};
        // The factory file is cut in two at the first CR LF from its middle on, one half for each
        // core: an entry across the middle, a middle inside a CR LF, a lone CR before one, and no
        // CR LF past the middle.
        QTest::newRow("factory whose middle falls inside an entry")
            << QByteArrayList() << true << QByteArray("b.ex\r\nlongerentry.ex\r\na.ex")
            << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"a.ex", "b.ex", "longerentry.ex"};
        QTest::newRow("factory whose middle falls on the CR of a CR LF")
            << QByteArrayList() << true << QByteArray("a\r\r\nb") << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"a\r", "b"};
        QTest::newRow("factory whose middle falls on the LF of a CR LF")
            << QByteArrayList() << true << QByteArray("y\r\nxb") << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"xb", "y"};
        QTest::newRow("factory without a CR LF past its middle")
            << QByteArrayList{"m.ex"} << true << QByteArray("b.ex\r\nzzzzzzzzzzzz\nzz")
            << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"b.ex", "m.ex", "zzzzzzzzzzzz\nzz"};
        QTest::newRow("repeats across the three sources")
            << QByteArrayList{"d.ex", "a.ex"} << true << QByteArray("a.ex\r\nd.ex\r\na.ex")
            << QByteArrayList{"d.ex", "n.ex", "n.ex"} << QByteArrayList()
            << QByteArrayList{"a.ex", "d.ex", "n.ex"};
        QTest::newRow("case and blanks count")
            << QByteArrayList{"a.ex"} << true << QByteArray("A.ex\r\na.ex \r\n a.ex")
            << QByteArrayList() << QByteArrayList{"A.EX"}
            << QByteArrayList{" a.ex", "A.ex", "a.ex", "a.ex "};
        QTest::newRow("added and removed: removed wins")
            << QByteArrayList{"a.ex"} << true << QByteArray("b.ex") << QByteArrayList{"x.ex"}
            << QByteArrayList{"x.ex"} << QByteArrayList{"a.ex", "b.ex"};
        QTest::newRow("removed entry in no list")
            << QByteArrayList{"a.ex"} << true << QByteArray("b.ex") << QByteArrayList()
            << QByteArrayList{"q.ex", ""} << QByteArrayList{"a.ex", "b.ex"};
        QTest::newRow("removed twice, listed three times")
            << QByteArrayList{"r.ex", "a.ex"} << true << QByteArray("r.ex\r\nr.ex")
            << QByteArrayList() << QByteArrayList{"r.ex", "r.ex"} << QByteArrayList{"a.ex"};
        QTest::newRow("old main entries missing from the factory are kept")
            << QByteArrayList{"a.ex", "old.ex", "z.ex"} << true << QByteArray("a.ex\r\nn.ex")
            << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"a.ex", "n.ex", "old.ex", "z.ex"};
        QTest::newRow("main entry holding CR LF falls apart as after a reload")
            << QByteArrayList{"a.ex\r\nc.ex", "b.ex"} << false << QByteArray() << QByteArrayList()
            << QByteArrayList() << QByteArrayList{"a.ex", "b.ex", "c.ex"};
        QTest::newRow("empty entries in the lists are dropped")
            << QByteArrayList{"", "b.ex", ""} << false << QByteArray() << QByteArrayList{""}
            << QByteArrayList() << QByteArrayList{"b.ex"};
        QTest::newRow("sorted main with hand additions appended")
            << QByteArrayList{"b.ex", "d.ex", "f.ex", "c.ex", "a.ex"} << true
            << QByteArray("e.ex\r\nb.ex") << QByteArrayList() << QByteArrayList{"d.ex"}
            << QByteArrayList{"a.ex", "b.ex", "c.ex", "e.ex", "f.ex"};
        QTest::newRow("byte order past sixteen bytes, prefixes and high bytes")
            << QByteArrayList{"abcdefghijklmnopq2", "abcdefghijklmnop"} << true
            << QByteArray("abcdefghijklmnopq10\r\nabcdefghijklmnop\xe9\r\nabcdefghijklmno")
            << QByteArrayList{QByteArray("abcdefghijklmnop\0", 17)} << QByteArrayList()
            << QByteArrayList{"abcdefghijklmno",
                              "abcdefghijklmnop",
                              QByteArray("abcdefghijklmnop\0", 17),
                              "abcdefghijklmnopq10",
                              "abcdefghijklmnopq2",
                              "abcdefghijklmnop\xe9"};
        // The first sixteen bytes tie: the rest decides where the run ends, at a step down or a
        // repeat.
        QTest::newRow("main run ending past sixteen bytes")
            << QByteArrayList{"abcdefghijklmnopq10", "abcdefghijklmnopq2", "abcdefghijklmnopq10"}
            << false << QByteArray() << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"abcdefghijklmnopq10", "abcdefghijklmnopq2"};
        QTest::newRow("main run ending in a long repeat")
            << QByteArrayList{"abcdefghijklmnopq1", "abcdefghijklmnopq1", "abcdefghijklmnopq0"}
            << false << QByteArray() << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"abcdefghijklmnopq0", "abcdefghijklmnopq1"};
        QTest::newRow("main one sorted run, some entries only in it")
            << QByteArrayList{"a.ex", "c.ex", "e.ex", "g.ex"} << true
            << QByteArray("d.ex\r\nc.ex\r\nb.ex\r\ng.ex") << QByteArrayList{"f.ex"}
            << QByteArrayList{"e.ex"}
            << QByteArrayList{"a.ex", "b.ex", "c.ex", "d.ex", "f.ex", "g.ex"};
        QTest::newRow("main unsorted throughout")
            << QByteArrayList{"z.ex", "y.ex", "c.ex", "x.ex", "c.ex", "a.ex"} << true
            << QByteArray("y.ex\r\nb.ex") << QByteArrayList() << QByteArrayList{"x.ex"}
            << QByteArrayList{"a.ex", "b.ex", "c.ex", "y.ex", "z.ex"};
        QTest::newRow("main run ending in a repeat")
            << QByteArrayList{"a.ex", "b.ex", "b.ex", "c.ex"} << false << QByteArray()
            << QByteArrayList() << QByteArrayList() << QByteArrayList{"a.ex", "b.ex", "c.ex"};
        QTest::newRow("main with blank lines, lone CR and LF line ends")
            << QByteArrayList{"", "a.ex\n", "", "", "b.ex\r", "b.ex\n\r", "\nc.ex", ""} << true
            << QByteArray("b.ex\r\r\na.ex\n\r\n") << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"\nc.ex", "a.ex\n", "b.ex\n\r", "b.ex\r"};
        QTest::newRow("NUL bytes inside the first sixteen")
            << QByteArrayList{QByteArray("a\0", 2), "a"} << true << QByteArray("a\0\0", 3)
            << QByteArrayList() << QByteArrayList()
            << QByteArrayList{"a", QByteArray("a\0", 2), QByteArray("a\0\0", 3)};
    }
    void result() {
        QFETCH(QByteArrayList, main);
        QFETCH(bool, withFactory);
        QFETCH(QByteArray, factory);
        QFETCH(QByteArrayList, added);
        QFETCH(QByteArrayList, removed);
        QFETCH(QByteArrayList, expected);
        const MergeOutcome outcome = mergeFactoryList(
            listOf(main), withFactory ? std::optional(blockOf(factory)) : std::nullopt,
            listOf(added), listOf(removed));
        QCOMPARE(entriesOf(outcome.main), expected);
        // The Main list given as the bytes of its file.
        const MergeOutcome fromFile =
            mergeFactoryList(blockOf(main.join("\r\n")),
                             withFactory ? std::optional(blockOf(factory)) : std::nullopt,
                             listOf(added), listOf(removed));
        QCOMPARE(entriesOf(fromFile.main), expected);
        // Read a few bytes at a time, so that every entry and line end is cut somewhere.
        for (std::size_t bytesPerRead : {1, 2, 3, 5}) {
            const BothWays streamed =
                mergedBothWays(bytes(main.join("\r\n")), bytesPerRead,
                               withFactory ? std::optional(blockOf(factory)) : std::nullopt,
                               listOf(added), listOf(removed));
            QCOMPARE(entriesOf(streamed.list.main), expected);
            QVERIFY(streamed.textAgrees);
            QCOMPARE(streamed.list.mainFileBytes, std::uint64_t(main.join("\r\n").size()));
        }
    }

    // Another program changing the Main list file between the merge's two readings: a change
    // within the run fails the merge rather than giving a wrong list; a change past the run, which
    // the first reading copied, is not read again, and the merge is that of the file as first read.
    void mainFileChangedBetweenTheReadings_data() {
        QTest::addColumn<QByteArray>("first");
        QTest::addColumn<std::optional<QByteArray>>("later"); // none: the second reading fails
        QTest::addColumn<QString>("failure"); // empty: the merge of the file as first read
        const QByteArray abc = "a.ex\r\nb.ex\r\nc.ex";
        const QString changed = QStringLiteral("changed");
        QTest::newRow("the same bytes") << abc << std::optional(abc) << QString();
        QTest::newRow("an entry of the run changed")
            << abc << std::optional(QByteArray("a.ex\r\nb.fx\r\nc.ex")) << changed;
        QTest::newRow("two entries of the run swapped")
            << abc << std::optional(QByteArray("b.ex\r\na.ex\r\nc.ex")) << changed;
        QTest::newRow("cut short") << abc << std::optional(QByteArray("a.ex\r\nb.ex")) << changed;
        QTest::newRow("emptied") << abc << std::optional(QByteArray()) << changed;
        QTest::newRow("a blank line inserted in the run")
            << abc << std::optional(QByteArray("a.ex\r\n\r\nb.ex\r\nc.ex")) << changed;
        QTest::newRow("the entries past the run changed")
            << QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nb.ex\r\nd.ex")
            << std::optional(QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nz.ex\r\nw.ex")) << QString();
        QTest::newRow("grown past the run")
            << QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nq.ex")
            << std::optional(QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nq.ex\r\nz.ex")) << QString();
        QTest::newRow("the second reading fails")
            << abc << std::optional<QByteArray>()
            << QStringLiteral("Cannot read url-domain-bl.txt: Input/output error");
    }
    void mainFileChangedBetweenTheReadings() {
        QFETCH(QByteArray, first);
        QFETCH(std::optional<QByteArray>, later);
        QFETCH(QString, failure);
        const EntryList firstList = EntryList::fromFileBytes(blockOf(first));
        const std::vector<std::string> expected = strings(
            mergeFactoryList(firstList, blockOf("b.ex\r\nm.ex"), EntryList(), EntryList()).main);
        const ChangingSource source(bytes(first),
                                    later ? std::optional(bytes(*later)) : std::nullopt, 3);
        QString failed;
        try {
            const MergeOutcome outcome =
                mergeFactoryList(source, blockOf("b.ex\r\nm.ex"), EntryList(), EntryList());
            QVERIFY(strings(outcome.main) == expected);
            QCOMPARE(outcome.mainFileBytes, std::uint64_t(first.size()));
        } catch (const MainListChanged&) {
            failed = QStringLiteral("changed");
        } catch (const ByteSourceError& error) {
            failed = QString::fromStdString(error.what());
        }
        QCOMPARE(failed, failure);
    }

    // The factory file is read beside the first reading of the Main list: its failure ends the
    // merge before any text is handed on, and when both fail, the Main list's failure is the one
    // told.
    void factoryReadFails_data() {
        QTest::addColumn<bool>("mainReadable");
        QTest::addColumn<QString>("failure");
        const QString factoryUnread = QStringLiteral("Cannot read factory.txt: Input/output error");
        QTest::newRow("the factory file") << true << factoryUnread;
        QTest::newRow("no memory for the factory file") << true << QStringLiteral("std::bad_alloc");
        QTest::newRow("both files")
            << false << QStringLiteral("Cannot read url-domain-bl.txt: Input/output error");
    }
    void factoryReadFails() {
        QFETCH(bool, mainReadable);
        QFETCH(QString, failure);
        const std::string mainBytes = "a.ex\r\nb.ex\r\n";
        // Without later bytes, the source fails from its second opening on.
        const ChangingSource source(mainBytes, std::nullopt, 3);
        if (!mainReadable)
            source.openAt(0); // the one opening that reads: the merge's fail
        const FactoryReader readFactory = [&failure]() -> FactoryBytes {
            if (failure == QLatin1String("std::bad_alloc"))
                throw std::bad_alloc();
            throw ByteSourceError("Cannot read factory.txt: Input/output error");
        };
        std::string text;
        QString failed;
        try {
            mergeFactoryListAsText(source, readFactory, EntryList(), EntryList(),
                                   [&text](std::string_view piece) {
                                       text.append(piece);
                                       return true;
                                   });
        } catch (const std::exception& error) {
            failed = QString::fromStdString(error.what());
        }
        QCOMPARE(failed, failure);
        QCOMPARE(text, std::string());
    }

    // Large enough for the walk to be split in two, each stretch reading its part of the run:
    // a change in either is found.
    void mainFileChangedInEitherStretchOfTheWalk() {
        std::set<std::string> entries;
        for (int k = 0; k < 100000; ++k)
            entries.insert(spreadEntry(k));
        const std::vector<std::string> main(entries.begin(), entries.end());
        std::string factory;
        for (std::size_t k = 0; k < main.size(); k += 2)
            factory += main[k] + "\r\n";
        const std::string first = fileBytesOf(main);
        const ChangingSource same(first, first, 4096);
        QVERIFY(strings(mergeFactoryList(same, std::make_shared<const std::string>(factory),
                                         EntryList(), EntryList())
                            .main) == main);
        for (const std::size_t changed : {std::size_t{10}, main.size() - 10}) {
            std::string later = first;
            later[first.find(main[changed])] = '_';
            const ChangingSource source(first, later, 4096);
            QVERIFY_THROWS_EXCEPTION(MainListChanged,
                                     mergeFactoryList(source,
                                                      std::make_shared<const std::string>(factory),
                                                      EntryList(), EntryList()));
            // Handed on as text, after a part of it was.
            const ChangingSource again(first, later, 4096);
            QVERIFY_THROWS_EXCEPTION(
                MainListChanged,
                mergeFactoryListAsText(
                    again, heldFactory(std::make_shared<const std::string>(factory)), EntryList(),
                    EntryList(), [](std::string_view) { return true; }));
        }
    }

    void entriesLongerThanAPackedLength() {
        const std::string longA(40000, 'a');
        const std::string longB = longA + "b";
        const MergeOutcome outcome =
            mergeFactoryList(listOf(std::vector<std::string>{longB, "m", longA}),
                             blockOf(QByteArray::fromStdString(longA + "\r\n" + longB + "\r\nc")),
                             EntryList(), listOf(std::vector<std::string>{"m"}));
        QCOMPARE(strings(outcome.main), (std::vector<std::string>{longA, longB, "c"}));
    }

    // Entries too long for a packed reference from every source of keys, each keyed with its own
    // table or thread: both halves of the factory file, the old list past its run, the Added and
    // the Removed list.
    void longEntriesFromEverySource() {
        const auto longEntry = [](char first, char last) {
            return std::string(1, first) + std::string(40000, 'l') + std::string(1, last);
        };
        const std::vector<std::string> main{"a.ex", longEntry('m', '1'), "z.ex",
                                            longEntry('c', '2'), "b.ex"};
        std::string factory = longEntry('f', '3') + "\r\n" + longEntry('m', '4') + "\r\n";
        for (int k = 0; k < 100; ++k)
            factory.append("f").append(std::to_string(k)).append(".ex\r\n");
        factory +=
            longEntry('y', '5') + "\r\n" + longEntry('c', '2') + "\r\n" + longEntry('m', '6');
        const std::vector<std::string> added{longEntry('d', '7'), longEntry('m', '4')};
        const std::vector<std::string> removed{longEntry('m', '6'), "f7.ex"};
        const Reference expected = referenceMerge(main, &factory, added, removed);

        const MergeOutcome fromList =
            mergeFactoryList(listOf(main), std::make_shared<const std::string>(factory),
                             listOf(added), listOf(removed));
        QVERIFY(strings(fromList.main) == expected.main);
        QCOMPARE(fromList.gained, expected.gained);
        QCOMPARE(fromList.lost, expected.lost);
        std::string mainBytes;
        for (const std::string& entry : main)
            mainBytes += entry + "\r\n";
        const MergeOutcome fromFile = mergeFactoryList(
            std::make_shared<const std::string>(mainBytes),
            std::make_shared<const std::string>(factory), listOf(added), listOf(removed));
        QVERIFY(strings(fromFile.main) == expected.main);
    }

    // Lists large enough for the walk to be split between two threads at a first byte, with
    // entries too long for a packed reference on both sides of the split and in the run.
    void largeMergeWithLongEntriesInBothHalves() {
        std::set<std::string> mainSet;
        std::string factory;
        std::set<std::string> expected;
        for (int k = 0; k < 90000; ++k) {
            std::string entry(1, static_cast<char>('a' + k % 26));
            entry.append(std::to_string(k * 7919 % 100003)).append(".ex");
            if (k % 3)
                mainSet.insert(entry);
            else
                factory += entry + "\r\n";
            expected.insert(entry);
        }
        for (char first : {'b', 'k', 'q', 'y'}) {
            const std::string longEntry = std::string(1, first) + std::string(40000, 'l');
            mainSet.insert(longEntry);
            mainSet.insert(longEntry + "2");
            factory += longEntry + "3\r\n";
            expected.insert({longEntry, longEntry + "2", longEntry + "3"});
        }
        const std::vector<std::string> main(mainSet.begin(), mainSet.end());
        const std::vector<std::string> removed{"b" + std::string(40000, 'l') + "2", main[1000],
                                               main[50000]};
        for (const std::string& entry : removed)
            expected.erase(entry);
        std::string mainBytes;
        for (const std::string& entry : main)
            mainBytes += entry + "\r\n";
        const std::vector<std::string> wanted(expected.begin(), expected.end());

        const MergeOutcome fromList =
            mergeFactoryList(listOf(main), std::make_shared<const std::string>(factory),
                             EntryList(), listOf(removed));
        QVERIFY(strings(fromList.main) == wanted);
        const MergeOutcome fromFile = mergeFactoryList(
            std::make_shared<const std::string>(mainBytes),
            std::make_shared<const std::string>(factory), EntryList(), listOf(removed));
        QVERIFY(strings(fromFile.main) == wanted);
        // Read in parts shorter than the long entries.
        const BothWays streamed =
            mergedBothWays(mainBytes, 1000, std::make_shared<const std::string>(factory),
                           EntryList(), listOf(removed));
        QVERIFY(strings(streamed.list.main) == wanted);
        QVERIFY(streamed.textAgrees);
    }

    // The walk writes the new list's views over the keys it has read, or where they would run
    // into keys still to be read, into room of their own, and gathers them at the end: entries
    // mostly from the old Main list in one stretch of the walk and mostly from the factory file in
    // the other, each way round, read whole and a part at a time. Handed on as text, the second
    // stretch's text is handed on as it is made once the first stretch is done: with long entries,
    // it comes to several chunks.
    void viewsOfBothStretchesGatheredInOrder_data() {
        QTest::addColumn<bool>("mainHeavyFirst");
        QTest::addColumn<int>("padding");
        QTest::newRow("old Main list's entries first") << true << 0;
        QTest::newRow("factory file's entries first") << false << 0;
        QTest::newRow("long entries, the old Main list's first") << true << 60;
        QTest::newRow("long entries, the factory file's first") << false << 60;
    }
    void viewsOfBothStretchesGatheredInOrder() {
        QFETCH(bool, mainHeavyFirst);
        QFETCH(int, padding);
        std::vector<std::string> main;
        std::string factory;
        std::set<std::string> expected;
        for (int k = 0; k < 120000; ++k) {
            const bool firstHalf = k % 26 < 13;
            const std::string entry = spreadEntry(k).append(static_cast<std::size_t>(padding), 'p');
            const bool inMain = firstHalf == mainHeavyFirst ? k % 10 != 0 : k % 10 == 0;
            if (inMain)
                main.push_back(entry);
            if (!inMain || k % 20 == 0)
                factory += entry + "\r\n";
            expected.insert(entry);
        }
        std::sort(main.begin(), main.end());
        const std::vector<std::string> wanted(expected.begin(), expected.end());
        const std::string mainBytes = fileBytesOf(main);
        QVERIFY(strings(mergeFactoryList(listOf(main), std::make_shared<const std::string>(factory),
                                         EntryList(), EntryList())
                            .main) == wanted);
        const BothWays streamed =
            mergedBothWays(mainBytes, 4096, std::make_shared<const std::string>(factory),
                           EntryList(), EntryList());
        QVERIFY(strings(streamed.list.main) == wanted);
        QVERIFY(streamed.textAgrees);
        QCOMPARE(streamed.list.lost, std::size_t{0});
        QCOMPARE(streamed.list.gained, wanted.size() - main.size());
    }

    // Once the text's taker refuses a piece, as a full disk makes a file refuse it, it is handed
    // no more, in either stretch of the walk; the merge still ends and counts the list.
    void textRefusedIsHandedOnNoMore_data() {
        QTest::addColumn<int>("refusedPiece"); // 0: none
        QTest::addColumn<bool>("withFactory");
        QTest::newRow("none refused") << 0 << false;
        QTest::newRow("the first stretch's first piece") << 1 << false;
        QTest::newRow("the second stretch's first piece") << 3 << false;
        // With a factory file, the second stretch's text is handed on while it is made.
        QTest::newRow("with a factory file, none refused") << 0 << true;
        QTest::newRow("with a factory file, the second piece") << 2 << true;
        QTest::newRow("with a factory file, the third piece") << 3 << true;
    }
    void textRefusedIsHandedOnNoMore() {
        QFETCH(int, refusedPiece);
        QFETCH(bool, withFactory);
        std::set<std::string> entries;
        for (int k = 0; k < 200000; ++k)
            entries.insert(spreadEntry(k));
        const std::vector<std::string> main(entries.begin(), entries.end());
        const std::string mainBytes = fileBytesOf(main);
        const HeldByteSource source(std::make_shared<const std::string>(mainBytes));
        int pieces = 0;
        std::string text;
        const FactoryReader factory =
            withFactory ? heldFactory(std::make_shared<const std::string>(mainBytes))
                        : FactoryReader();
        const MergeOutcome outcome = mergeFactoryListAsText(
            source, factory, EntryList(), EntryList(), [&](std::string_view piece) {
                text.append(piece);
                return ++pieces != refusedPiece;
            });
        QCOMPARE(outcome.listed, main.size());
        if (refusedPiece == 0) {
            QVERIFY(text == mainBytes);
            QCOMPARE(pieces, 4); // two of a mebibyte or less in each stretch
        } else {
            QCOMPARE(pieces, refusedPiece);
        }
    }

    void gainedAndLost() {
        const MergeOutcome outcome =
            mergeFactoryList(listOf(QByteArrayList{"b.ex", "a.ex", "a.ex", "x.ex", "y.ex"}),
                             blockOf("c.ex\r\ny.ex\r\nd.ex"), listOf(QByteArrayList{"x.ex"}),
                             listOf(QByteArrayList{"x.ex", "d.ex"}));
        QCOMPARE(entriesOf(outcome.main), (QByteArrayList{"a.ex", "b.ex", "c.ex", "y.ex"}));
        QCOMPARE(outcome.gained, std::size_t{1}); // c.ex
        QCOMPARE(outcome.lost, std::size_t{2});   // the second a.ex, x.ex
    }

    void progressTexts_data() {
        QTest::addColumn<bool>("withFactory");
        QTest::addColumn<QByteArrayList>("added");
        QTest::addColumn<QStringList>("texts");
        const QString init = QStringLiteral("Initializing...");
        const QString file = QStringLiteral("Merging new file...");
        const QString adding = QStringLiteral("Adding URLs...");
        const QString sorting = QStringLiteral("Sorting...");
        const QString building = QStringLiteral("Building and removing duplicates...");
        const QString removing = QStringLiteral("Removing URLs...");
        QTest::newRow("merge with added entries")
            << true << QByteArrayList{"n.ex"}
            << QStringList{init, file, adding, sorting, building, removing};
        QTest::newRow("merge without added entries")
            << true << QByteArrayList() << QStringList{init, file, sorting, building, removing};
        QTest::newRow("rebuild with added entries")
            << false << QByteArrayList{"n.ex"}
            << QStringList{init, adding, sorting, building, removing};
        QTest::newRow("rebuild without added entries")
            << false << QByteArrayList() << QStringList{init, sorting, building, removing};
    }
    void progressTexts() {
        QFETCH(bool, withFactory);
        QFETCH(QByteArrayList, added);
        QFETCH(QStringList, texts);
        QStringList shown;
        mergeFactoryList(listOf(QByteArrayList{"b.ex", "a.ex"}),
                         withFactory ? std::optional(blockOf("c.ex")) : std::nullopt, listOf(added),
                         EntryList(), [&shown](std::string_view text) {
                             shown << QString::fromLatin1(text.data(),
                                                          static_cast<qsizetype>(text.size()));
                         });
        QCOMPARE(shown, texts);
    }

    // The fast merge against the steps told one by one, on inputs full of repeats, shared
    // prefixes and line-break bytes, some large enough for the sort to share out its buckets.
    void agreesWithTheStepByStepMerge() {
        std::mt19937 random(20240611);
        for (int round = 0; round < 12; ++round) {
            const bool small = round % 3 == 0;
            const int count = small ? 30 : 12000;
            std::vector<std::string> main;
            for (int k = 0; k < count; ++k)
                main.push_back(randomEntry(random, round % 2 == 0));
            if (round % 4 != 1) {
                // Usually the program's own sorted output, with hand additions appended.
                std::sort(main.begin(), main.end());
                main.erase(std::unique(main.begin(), main.end()), main.end());
                main.erase(std::remove(main.begin(), main.end(), std::string()), main.end());
                for (int k = 0; k < count / 50; ++k)
                    main.push_back(randomEntry(random, false));
            }
            std::string factory;
            for (int k = 0; k < count * 2; ++k)
                factory += randomEntry(random, round % 2 == 1) + (k % 7 ? "\r\n" : "\n");
            std::vector<std::string> added;
            std::vector<std::string> removed;
            for (int k = 0; k < count / 10 + 1; ++k) {
                added.push_back(randomEntry(random, false));
                removed.push_back(k % 2 ? main[static_cast<std::size_t>(k) % main.size()]
                                        : randomEntry(random, false));
            }
            const bool withFactory = round % 5 != 4;

            const Reference expected =
                referenceMerge(main, withFactory ? &factory : nullptr, added, removed);
            const MergeOutcome outcome = mergeFactoryList(
                listOf(main),
                withFactory ? std::optional(std::make_shared<const std::string>(factory))
                            : std::nullopt,
                listOf(added), listOf(removed));
            QVERIFY2(strings(outcome.main) == expected.main, qPrintable(QString::number(round)));
            QCOMPARE(outcome.gained, expected.gained);
            QCOMPARE(outcome.lost, expected.lost);

            // The Main list as the bytes of its file: the same as the list loading them gives.
            std::string mainBytes;
            for (const std::string& entry : main)
                mainBytes += entry + "\r\n";
            const EntryList loaded =
                EntryList::fromFileBytes(std::make_shared<const std::string>(mainBytes));
            const Reference expectedFromFile =
                referenceMerge(strings(loaded), withFactory ? &factory : nullptr, added, removed);
            const BothWays fromFile = mergedBothWays(
                mainBytes, 4096,
                withFactory ? std::optional(std::make_shared<const std::string>(factory))
                            : std::nullopt,
                listOf(added), listOf(removed));
            QVERIFY2(strings(fromFile.list.main) == expectedFromFile.main,
                     qPrintable(QString::number(round)));
            QVERIFY2(fromFile.textAgrees, qPrintable(QString::number(round)));
            QCOMPARE(fromFile.list.gained, expectedFromFile.gained);
            QCOMPARE(fromFile.list.lost, expectedFromFile.lost);
        }
    }

    void compactsWhenTheBlocksHoldMostlyDeadBytes() {
        auto big = std::make_shared<const std::string>(std::string(1000, 'x') + "keep.ex");
        const std::string_view keep = std::string_view(*big).substr(1000);
        const EntryList compact = compactEntries({keep}, {big});
        QCOMPARE(strings(compact), std::vector<std::string>{"keep.ex"});
        QCOMPARE(compact.blocks().size(), std::size_t{1});
        QVERIFY(compact.blocks().front() != big);
        QVERIFY(compact.blocks().front()->capacity() < 100);

        auto dense = std::make_shared<const std::string>(std::string(40, 'a') + "\r\nb.ex\r\n");
        const std::string_view a = std::string_view(*dense).substr(0, 40);
        const EntryList shared = compactEntries({a}, {dense, dense});
        QCOMPARE(shared.blocks(), std::vector<EntryList::Block>{dense});
    }

    // Each merge keeps the factory file's bytes; without compaction a window merging again and
    // again would hold every file it ever read.
    void repeatedMergesDoNotPileUpFiles() {
        std::string factory;
        for (int k = 0; k < 2000; ++k)
            factory += "domain" + std::to_string(k) + ".example\r\n";
        EntryList main;
        std::size_t live = 0;
        for (int round = 0; round < 10; ++round) {
            main = mergeFactoryList(std::move(main), std::make_shared<const std::string>(factory),
                                    EntryList(), EntryList())
                       .main;
            live = 0;
            for (std::string_view entry : main)
                live += entry.size();
            std::size_t held = 0;
            for (const EntryList::Block& block : main.blocks())
                held += block->capacity();
            QVERIFY2(held <= 3 * live, qPrintable(QString::number(round)));
        }
        QCOMPARE(main.size(), std::size_t{2000});
    }
};

QTEST_GUILESS_MAIN(TestFactoryMerge)
#include "tst_FactoryMerge.moc"
