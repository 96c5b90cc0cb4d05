#include "core/lists/EntryList.h"
#include "core/lists/FilePieces.h"

#include <QTest>
#include <algorithm>
#include <memory>
#include <string>

using namespace quillmere;

namespace {
QStringList entriesOf(const EntryList& list) {
    QStringList out;
    for (std::string_view entry : list)
        out << QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
    return out;
}

QByteArray fileTextOf(const EntryList& list, std::size_t chunkSize) {
    QByteArray text;
    forEachFileChunk(
        list,
        [&text](std::string_view chunk) {
            text.append(chunk.data(), static_cast<qsizetype>(chunk.size()));
            return true;
        },
        chunkSize);
    return text;
}
// The pieces of the bytes read a part of the given size at a time.
QStringList readPiecesOf(const QByteArray& bytes, std::size_t partSize) {
    QStringList out;
    qsizetype at = 0;
    const bool read = forEachReadPiece(
        [&](char* into, std::size_t size) {
            const qsizetype got = std::min(static_cast<qsizetype>(size), bytes.size() - at);
            std::copy_n(bytes.constData() + at, got, into);
            at += got;
            return got;
        },
        [&out](std::string_view piece) {
            out << QString::fromLatin1(piece.data(), static_cast<qsizetype>(piece.size()));
        },
        partSize);
    if (!read)
        out << QStringLiteral("read failed");
    return out;
}
} // namespace

class TestEntryList : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void readsFileBytes_data() {
        QTest::addColumn<QByteArray>("bytes");
        QTest::addColumn<QStringList>("entries");
        const QStringList ab{QStringLiteral("a.example"), QStringLiteral("b.example")};
        QTest::newRow("final CR LF") << QByteArray("a.example\r\nb.example\r\n") << ab;
        QTest::newRow("no final CR LF") << QByteArray("a.example\r\nb.example") << ab;
        QTest::newRow("blank lines")
            << QByteArray("\r\n\r\na.example\r\n\r\nb.example\r\n\r\n") << ab;
        QTest::newRow("LF only is one entry")
            << QByteArray("a.example\nb.example\n")
            << QStringList{QStringLiteral("a.example\nb.example\n")};
        QTest::newRow("lone CR stays")
            << QByteArray("a\rb\r\nc\r")
            << QStringList{QStringLiteral("a\rb"), QStringLiteral("c\r")};
        QTest::newRow("blanks and case kept")
            << QByteArray(" example.com\r\nExample.com \r\nexample.com")
            << QStringList{QStringLiteral(" example.com"), QStringLiteral("Example.com "),
                           QStringLiteral("example.com")};
        QTest::newRow("empty file") << QByteArray() << QStringList();
        QTest::newRow("only CR LF") << QByteArray("\r\n\r\n") << QStringList();
        QTest::newRow("high bytes") << QByteArray("caf\xe9.example\r\n")
                                    << QStringList{QString::fromLatin1("caf\xe9.example")};
    }
    void readsFileBytes() {
        QFETCH(QByteArray, bytes);
        QFETCH(QStringList, entries);
        auto block = std::make_shared<const std::string>(bytes.constData(), bytes.size());
        QCOMPARE(entriesOf(EntryList::fromFileBytes(block)), entries);
        // Read a part at a time, whatever the parts' size, a CR LF cut in two included.
        for (std::size_t partSize : {1, 2, 3, 5, 1 << 16})
            QCOMPARE(readPiecesOf(bytes, partSize), entries);
    }

    void aFailedReadIsReported() {
        QStringList pieces;
        int reads = 0;
        const bool read = forEachReadPiece(
            [&reads](char* into, std::size_t) {
                into[0] = 'a';
                return ++reads == 1 ? 1 : -1;
            },
            [&pieces](std::string_view piece) {
                pieces << QString::fromLatin1(piece.data(), static_cast<qsizetype>(piece.size()));
            });
        QVERIFY(!read);
        QCOMPARE(pieces, QStringList());
    }

    void writesCrLfAfterEveryEntry_data() {
        QTest::addColumn<std::size_t>("chunkSize");
        QTest::newRow("one chunk") << std::size_t(1 << 20);
        QTest::newRow("small chunks") << std::size_t(8);
        QTest::newRow("tiny chunks") << std::size_t(1);
    }
    void writesCrLfAfterEveryEntry() {
        QFETCH(std::size_t, chunkSize);
        const EntryList list{"a.example", "bb.example", " c ", "d"};
        QCOMPARE(fileTextOf(list, chunkSize),
                 QByteArray("a.example\r\nbb.example\r\n c \r\nd\r\n"));
        QCOMPARE(fileTextOf(EntryList(), chunkSize), QByteArray());
    }

    void appendedEntriesSurviveGrowthAndCopies() {
        EntryList list;
        std::vector<std::string> expected;
        for (int i = 0; i < 20000; ++i) {
            expected.push_back("domain" + std::to_string(i) + ".example");
            list.append(expected.back());
        }
        EntryList copy = list;
        copy.append("only-in-copy.example");
        list.append("only-in-original.example");
        QCOMPARE(list.size(), expected.size() + 1);
        QCOMPARE(copy.size(), expected.size() + 1);
        for (std::size_t i = 0; i < expected.size(); ++i) {
            QCOMPARE(list[i], std::string_view(expected[i]));
            QCOMPARE(copy[i], std::string_view(expected[i]));
        }
        QCOMPARE(copy[expected.size()], std::string_view("only-in-copy.example"));
        QCOMPARE(list[expected.size()], std::string_view("only-in-original.example"));
    }

    void findsFirstExactMatch() {
        const EntryList list{"a.example", "B.example", "b.example", "b.example"};
        QCOMPARE(list.find("b.example"), std::optional<std::size_t>(2));
        QCOMPARE(list.find("A.example"), std::optional<std::size_t>());
        QCOMPARE(list.find("b.example "), std::optional<std::size_t>());
    }
};

QTEST_GUILESS_MAIN(TestEntryList)
#include "tst_EntryList.moc"
