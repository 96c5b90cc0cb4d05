#include "core/lists/ReapplyChanges.h"
#include "fakes/EntryBytes.h"

#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

namespace {
// Lists written as their entries separated by blanks, "" for none.
QString bars(QByteArray words) {
    return QString::fromLatin1(words.simplified().replace(' ', '|'));
}
} // namespace

class TestReapplyChanges : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void keepsBothSidesChanges_data() {
        QTest::addColumn<QByteArray>("base");
        QTest::addColumn<QByteArray>("mine");
        QTest::addColumn<QByteArray>("theirs");
        QTest::addColumn<bool>("sorted");
        QTest::addColumn<QByteArray>("expected");

        QTest::newRow("nothing changed there") << QByteArray("a b") << QByteArray("a b n")
                                               << QByteArray("a b") << false << QByteArray("a b n");
        QTest::newRow("both appended") << QByteArray("a b") << QByteArray("a b n")
                                       << QByteArray("a b t") << false << QByteArray("a b t n");
        QTest::newRow("both added the same domain once")
            << QByteArray("a") << QByteArray("a n") << QByteArray("a n") << false
            << QByteArray("a n");
        QTest::newRow("removed here, appended there")
            << QByteArray("a b c") << QByteArray("a c") << QByteArray("a b c t") << false
            << QByteArray("a c t");
        QTest::newRow("removed on both sides counts once")
            << QByteArray("a b c") << QByteArray("a c") << QByteArray("a c") << false
            << QByteArray("a c");
        QTest::newRow("removal takes the first copy")
            << QByteArray("x a x") << QByteArray("a x") << QByteArray("x a x t") << false
            << QByteArray("a x t");
        QTest::newRow("removed here what they removed and re-added")
            << QByteArray("a b") << QByteArray("a") << QByteArray("a b b") << false
            << QByteArray("a b");
        QTest::newRow("re-activated here: appended in my order")
            << QByteArray("a") << QByteArray("a r q") << QByteArray("t a") << false
            << QByteArray("t a r q");
        QTest::newRow("sorted here sorts the result")
            << QByteArray("b a") << QByteArray("a b n") << QByteArray("b a T") << true
            << QByteArray("T a b n");
        QTest::newRow("cleared here keeps what they added")
            << QByteArray("a b") << QByteArray("") << QByteArray("a b t") << false
            << QByteArray("t");
        QTest::newRow("letter case counts") << QByteArray("a") << QByteArray("a A")
                                            << QByteArray("a") << false << QByteArray("a A");
    }
    void keepsBothSidesChanges() {
        QFETCH(QByteArray, base);
        QFETCH(QByteArray, mine);
        QFETCH(QByteArray, theirs);
        QFETCH(bool, sorted);
        QFETCH(QByteArray, expected);
        const EntryList result =
            reapplyChanges(split(bars(base)), split(bars(mine)), split(bars(theirs)), sorted);
        QCOMPARE(joined(result), bars(expected));
    }

    // Re-applying to an unchanged file gives exactly the list edited here.
    void unchangedTheirsGivesMine() {
        const EntryList base = split(QStringLiteral("d|a|c|a|b"));
        // d and the first a removed, three appended
        const EntryList mine = split(QStringLiteral("c|a|b|x|y|x"));
        QCOMPARE(joined(reapplyChanges(base, mine, base, false)), joined(mine));
    }
};

QTEST_GUILESS_MAIN(TestReapplyChanges)
#include "tst_ReapplyChanges.moc"
