#include "core/eval/AddedEvaluation.h"
#include "fakes/EntryBytes.h"

#include <QByteArrayList>
#include <QTest>
#include <algorithm>
#include <random>
#include <string>

using namespace quillmere;
using namespace quillmere::test;

namespace {} // namespace

class TestAddedEvaluation : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void split_data() {
        QTest::addColumn<QByteArrayList>("added");
        QTest::addColumn<QByteArray>("release");
        QTest::addColumn<QByteArrayList>("unique");
        QTest::addColumn<QByteArrayList>("listed");

        QTest::newRow("order kept, duplicates once per copy")
            << QByteArrayList{"n.ex", "l.ex", "n.ex", "k.ex", "l.ex"}
            << QByteArray("k.ex\r\nl.ex\r\nz.ex\r\n") << QByteArrayList{"n.ex", "n.ex"}
            << QByteArrayList{"l.ex", "k.ex", "l.ex"};
        QTest::newRow("empty release") << QByteArrayList{"a.ex", "b.ex"} << QByteArray()
                                       << QByteArrayList{"a.ex", "b.ex"} << QByteArrayList();
        QTest::newRow("nothing listed")
            << QByteArrayList{"b.ex", "a.ex"} << QByteArray("c.ex\r\nd.ex")
            << QByteArrayList{"b.ex", "a.ex"} << QByteArrayList();
        QTest::newRow("everything listed")
            << QByteArrayList{"b.ex", "a.ex"} << QByteArray("a.ex\r\nb.ex") << QByteArrayList()
            << QByteArrayList{"b.ex", "a.ex"};
        QTest::newRow("LF line ends make one line")
            << QByteArrayList{"a.ex", "b.ex"} << QByteArray("a.ex\nb.ex\n")
            << QByteArrayList{"a.ex", "b.ex"} << QByteArrayList();
        QTest::newRow("an entry equal to the whole LF-only content")
            << QByteArrayList{"a.ex", "a.ex\nb.ex"} << QByteArray("a.ex\nb.ex")
            << QByteArrayList{"a.ex"} << QByteArrayList{"a.ex\nb.ex"};
        QTest::newRow("case and trailing blank count")
            << QByteArrayList{"A.ex", "a.ex ", "a.ex"} << QByteArray("a.ex\r\n")
            << QByteArrayList{"A.ex", "a.ex "} << QByteArrayList{"a.ex"};
        QTest::newRow("last line without CR LF, lone CR inside a line")
            << QByteArrayList{"a.ex", "b\r.ex", "c.ex"} << QByteArray("b\r.ex\r\nc.ex")
            << QByteArrayList{"a.ex"} << QByteArrayList{"b\r.ex", "c.ex"};
        QTest::newRow("blank lines match no entry")
            << QByteArrayList{"a.ex"} << QByteArray("\r\n\r\n\r\n") << QByteArrayList{"a.ex"}
            << QByteArrayList();
    }
    void split() {
        QFETCH(QByteArrayList, added);
        QFETCH(QByteArray, release);
        QFETCH(QByteArrayList, unique);
        QFETCH(QByteArrayList, listed);
        const AddedEvaluation evaluation = evaluateAdded(listOf(added), viewOf(release));
        QCOMPARE(entriesOf(evaluation.unique), unique);
        QCOMPARE(entriesOf(evaluation.listed), listed);
    }

    void reportsTheScan() {
        QStringList shown;
        evaluateAdded(listOf({"a.ex"}), "a.ex", [&shown](std::string_view text) {
            shown << QString::fromLatin1(text.data(), static_cast<qsizetype>(text.size()));
        });
        QCOMPARE(shown, QStringList{QStringLiteral("Scanning for matches...")});
        QCOMPARE(QString::fromLatin1(kEvalLoadingText.data(),
                                     static_cast<qsizetype>(kEvalLoadingText.size())),
                 QStringLiteral("Loading factory list..."));
    }

    void trimKeepsTheUniqueEntriesAndMarksTheAddedList_data() {
        QTest::addColumn<QByteArray>("release");
        QTest::addColumn<QByteArrayList>("remaining");
        QTest::newRow("some listed") << QByteArray("b.ex") << QByteArrayList{"c.ex", "a.ex"};
        QTest::newRow("none listed")
            << QByteArray("z.ex") << QByteArrayList{"c.ex", "b.ex", "a.ex"};
        QTest::newRow("all listed") << QByteArray("a.ex\r\nb.ex\r\nc.ex") << QByteArrayList();
    }
    void trimKeepsTheUniqueEntriesAndMarksTheAddedList() {
        QFETCH(QByteArray, release);
        QFETCH(QByteArrayList, remaining);
        TrackedLists lists;
        lists.replace(ListId::Main, listOf({"m.ex", "b.ex"}));
        lists.replace(ListId::Added, listOf({"c.ex", "b.ex", "a.ex"}));
        lists.replace(ListId::Removed, listOf({"r.ex"}));
        const AddedEvaluation evaluation = evaluateAdded(lists.added(), viewOf(release));
        trimAdded(lists, evaluation);
        QCOMPARE(entriesOf(lists.added()), remaining);
        QVERIFY(lists.isModified(ListId::Added));
        QVERIFY(!lists.isModified(ListId::Main));
        QVERIFY(!lists.isModified(ListId::Removed));
        QCOMPARE(entriesOf(lists.main()), (QByteArrayList{"m.ex", "b.ex"}));
        QCOMPARE(entriesOf(lists.removed()), QByteArrayList{"r.ex"});
        QCOMPARE(lists.changeStatus().evaluationEnabled, std::optional(!remaining.isEmpty()));
    }

    // Hash lookups against the first-match scan of the release for every entry, on entries of
    // every length up to thirty bytes with NUL, high and line-break bytes, Added lists large
    // enough for many collisions of the hash table's slots.
    void agreesWithTheScans() {
        static const char alphabet[] = {'d', 'e', '.', '\r', '\n', '\0', '\xe9'};
        std::mt19937 random(7);
        std::uniform_int_distribution<int> pickLength(0, 30);
        std::uniform_int_distribution<int> pickCommon(0, 5);
        std::uniform_int_distribution<std::size_t> pickByte(0, sizeof alphabet - 1);
        std::vector<std::string> pool;
        for (int k = 0; k < 400; ++k) {
            std::string entry(static_cast<std::size_t>(pickLength(random)), 'd');
            for (char& c : entry) {
                if (pickCommon(random) == 0)
                    c = alphabet[pickByte(random)];
            }
            pool.push_back(entry);
        }
        std::uniform_int_distribution<std::size_t> pickEntry(0, pool.size() - 1);
        for (int round = 0; round < 20; ++round) {
            QByteArrayList added;
            for (int k = 0; k < round * 15 + 1; ++k)
                added << QByteArray::fromStdString(pool[pickEntry(random)]);
            std::string release;
            for (int k = 0; k < round * 10; ++k)
                release += pool[pickEntry(random)] + (k % 9 ? "\r\n" : "\n");
            std::vector<std::string> lines;
            std::size_t start = 0;
            for (std::size_t at; (at = release.find("\r\n", start)) != std::string::npos;
                 start = at + 2)
                lines.push_back(release.substr(start, at - start));
            if (!release.empty())
                lines.push_back(release.substr(start));
            QByteArrayList unique;
            QByteArrayList listed;
            for (const QByteArray& candidate : added) {
                if (candidate.isEmpty())
                    continue;
                const bool found =
                    std::find(lines.begin(), lines.end(), candidate.toStdString()) != lines.end();
                (found ? listed : unique) << candidate;
            }
            const AddedEvaluation evaluation = evaluateAdded(listOf(added), release);
            QCOMPARE(entriesOf(evaluation.unique), unique);
            QCOMPARE(entriesOf(evaluation.listed), listed);
        }
    }
};

QTEST_GUILESS_MAIN(TestAddedEvaluation)
#include "tst_AddedEvaluation.moc"
