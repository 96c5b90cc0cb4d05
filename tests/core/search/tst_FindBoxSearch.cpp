#include "core/search/FindBoxSearch.h"

#include <QTest>
#include <string>

using namespace quillmere;

namespace {

// Entries "e00.ex" to "e<count-1>.ex", with the given entries put in at their indexes.
EntryList numbered(int count, const QList<QPair<int, QString>>& special = {}) {
    EntryList list;
    for (int k = 0; k < count; ++k) {
        QString entry = QStringLiteral("e%1.ex").arg(k, 2, 10, QLatin1Char('0'));
        for (const auto& [index, text] : special) {
            if (index == k)
                entry = text;
        }
        list.append(entry.toLatin1().toStdString());
    }
    return list;
}

// One key release over the given text; the result as "first>match" or "none".
QString release(FindBoxSearch& search, const EntryList& list, const QString& text,
                std::optional<std::size_t> selected) {
    const std::string bytes = text.toLatin1().toStdString();
    FindBoxSearch::Text searched;
    searched.length = static_cast<std::size_t>(text.size());
    if (QString::fromLatin1(text.toLatin1()) == text)
        searched.bytes = bytes;
    const auto found = search.keyReleased(list, searched, selected);
    if (!found)
        return QStringLiteral("none");
    return QStringLiteral("%1>%2").arg(found->first).arg(found->match);
}

} // namespace

class TestFindBoxSearch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A sequence of key releases: each step is the find box text, the selected row before the
    // release (-1 for none) and the selections the search makes.
    void sequences_data() {
        QTest::addColumn<int>("count");
        QTest::addColumn<QStringList>("texts");
        QTest::addColumn<QList<int>>("selectedBefore");
        QTest::addColumn<QStringList>("expected");

        // Rows 3, 20 and 30 begin with "ab"; row 20 continues "abc".
        QTest::newRow("growing text goes on from the selected entry")
            << 40 << QStringList{QStringLiteral("a"), QStringLiteral("ab"), QStringLiteral("abc")}
            << QList<int>{-1, 3, 3}
            << QStringList{QStringLiteral("17>3"), QStringLiteral("17>3"), QStringLiteral("34>20")};
        QTest::newRow("a shorter text starts again at the first entry")
            << 40 << QStringList{QStringLiteral("abc"), QStringLiteral("ab")} << QList<int>{-1, 20}
            << QStringList{QStringLiteral("34>20"), QStringLiteral("17>3")};
        QTest::newRow("an equally long text starts again too")
            << 40 << QStringList{QStringLiteral("ab"), QStringLiteral("ab")} << QList<int>{-1, 30}
            << QStringList{QStringLiteral("17>3"), QStringLiteral("17>3")};
        QTest::newRow("growing from a selection past every match finds nothing")
            << 40 << QStringList{QStringLiteral("a"), QStringLiteral("ab")} << QList<int>{-1, 31}
            << QStringList{QStringLiteral("17>3"), QStringLiteral("none")};
        QTest::newRow("no entry begins with the text")
            << 40 << QStringList{QStringLiteral("zz")} << QList<int>{5}
            << QStringList{QStringLiteral("none")};
        QTest::newRow("matching is case-sensitive")
            << 40 << QStringList{QStringLiteral("AB")} << QList<int>{-1}
            << QStringList{QStringLiteral("none")};
        QTest::newRow("an empty text matches the first entry")
            << 40 << QStringList{QString()} << QList<int>{7} << QStringList{QStringLiteral("14>0")};
        QTest::newRow("fewer than 15 entries from the match: the last entry first")
            << 40 << QStringList{QStringLiteral("abx")} << QList<int>{-1}
            << QStringList{QStringLiteral("39>30")};
        QTest::newRow("16 entries from the match on: the 15th first")
            << 46 << QStringList{QStringLiteral("abx")} << QList<int>{-1}
            << QStringList{QStringLiteral("44>30")};
        QTest::newRow("15 entries from the match on: the 15th, which is the last")
            << 45 << QStringList{QStringLiteral("abx")} << QList<int>{-1}
            << QStringList{QStringLiteral("44>30")};
        QTest::newRow("14 entries from the match on: the last")
            << 44 << QStringList{QStringLiteral("abx")} << QList<int>{-1}
            << QStringList{QStringLiteral("43>30")};
        QTest::newRow("a short list") << 5 << QStringList{QStringLiteral("e01")} << QList<int>{-1}
                                      << QStringList{QStringLiteral("4>1")};
        QTest::newRow("an empty list") << 0 << QStringList{QStringLiteral("a")} << QList<int>{-1}
                                       << QStringList{QStringLiteral("none")};
        QTest::newRow("a text longer than the entry does not match it")
            << 40 << QStringList{QStringLiteral("e05.ex.org")} << QList<int>{-1}
            << QStringList{QStringLiteral("none")};
    }

    void sequences() {
        QFETCH(int, count);
        QFETCH(QStringList, texts);
        QFETCH(QList<int>, selectedBefore);
        QFETCH(QStringList, expected);
        const EntryList list = numbered(count, {{3, QStringLiteral("ab.ex")},
                                                {20, QStringLiteral("abc.ex")},
                                                {30, QStringLiteral("abx.ex")}});
        FindBoxSearch search;
        QStringList got;
        for (qsizetype k = 0; k < texts.size(); ++k) {
            const int selected = selectedBefore[k];
            got << release(search, list, texts[k],
                           selected < 0
                               ? std::nullopt
                               : std::optional<std::size_t>(static_cast<std::size_t>(selected)));
        }
        QCOMPARE(got, expected);
    }

    void lengthIsRememberedEvenWithoutAMatch() {
        const EntryList list = numbered(20);
        FindBoxSearch search;
        QCOMPARE(release(search, list, QStringLiteral("zzz"), std::nullopt),
                 QStringLiteral("none"));
        QCOMPARE(search.lastFindLength(), std::int16_t(3));
        // "e1" is shorter than the remembered length: the search starts at the first entry again
        // even though entry 15 is selected.
        QCOMPARE(release(search, list, QStringLiteral("e1"), 15), QStringLiteral("19>10"));
    }

    void resetForgetsTheLength() {
        const EntryList list = numbered(20);
        FindBoxSearch search;
        release(search, list, QStringLiteral("e0"), std::nullopt);
        search.reset();
        QCOMPARE(search.lastFindLength(), std::int16_t(0));
        // "e" is now longer than the remembered length: the search goes on from entry 12.
        QCOMPARE(release(search, list, QStringLiteral("e"), 12), QStringLiteral("19>12"));
    }

    void textOutsideTheCodePageMatchesNothingButCounts() {
        const EntryList list = numbered(20);
        FindBoxSearch search;
        FindBoxSearch::Text text;
        text.length = 2; // "e" and a character no entry can hold
        QVERIFY(!search.keyReleased(list, text, std::nullopt));
        QCOMPARE(search.lastFindLength(), std::int16_t(2));
    }

    void veryLongTextsAreClamped() {
        const EntryList list = numbered(3);
        FindBoxSearch search;
        const std::string longText(40000, 'e');
        FindBoxSearch::Text text;
        text.bytes = longText;
        text.length = longText.size();
        QVERIFY(!search.keyReleased(list, text, std::nullopt));
        QCOMPARE(search.lastFindLength(), std::int16_t(32767));
    }

    void bytesAboveAsciiCompareAsThemselves() {
        EntryList list;
        list.append("caf\xe9.ex");
        list.append("caf\xc9.ex");
        FindBoxSearch search;
        FindBoxSearch::Text text;
        const std::string upper = "caf\xc9";
        text.bytes = upper;
        text.length = upper.size();
        const auto found = search.keyReleased(list, text, std::nullopt);
        QVERIFY(found);
        QCOMPARE(found->match, std::size_t(1));
    }
};

QTEST_GUILESS_MAIN(TestFindBoxSearch)
#include "tst_FindBoxSearch.moc"
