#include "lists/ReapplyChanges.h"

#include <QTest>

using namespace quillmere;

namespace {
// A list written as its entries separated by blanks, "" for none.
EntryList listOf(const char* words) {
    EntryList list;
    for (const QByteArray& word : QByteArray(words).split(' ')) {
        if (!word.isEmpty())
            list.append(std::string_view(word.constData(), static_cast<std::size_t>(word.size())));
    }
    return list;
}

QByteArray wordsOf(const EntryList& list) {
    QByteArrayList words;
    for (std::string_view entry : list)
        words << QByteArray(entry.data(), static_cast<qsizetype>(entry.size()));
    return words.join(' ');
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
        const EntryList result = reapplyChanges(listOf(base.constData()), listOf(mine.constData()),
                                                listOf(theirs.constData()), sorted);
        QCOMPARE(wordsOf(result), expected);
    }

    // Re-applying to an unchanged file gives exactly the list edited here.
    void unchangedTheirsGivesMine() {
        const EntryList base = listOf("d a c a b");
        const EntryList mine = listOf("c a b x y x"); // d and the first a removed, three appended
        QCOMPARE(wordsOf(reapplyChanges(base, mine, base, false)), wordsOf(mine));
    }
};

QTEST_GUILESS_MAIN(TestReapplyChanges)
#include "tst_ReapplyChanges.moc"
