#include "platform/Sha256.h"

#include <QCryptographicHash>
#include <QRandomGenerator>
#include <QTest>

using namespace quillmere;

namespace {

// The input cut into pieces of the given sizes, the last piece taking the rest.
std::string digestInPieces(std::string_view input, const QList<int>& sizes) {
    Sha256 hash;
    for (const int size : sizes) {
        const std::string_view piece = input.substr(0, static_cast<std::size_t>(size));
        hash.add(piece);
        input.remove_prefix(piece.size());
    }
    hash.add(input);
    return hash.hexDigest();
}

} // namespace

class TestSha256 : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: an input, how it is cut into pieces, and its published digest.
    void knownDigests_data() {
        QTest::addColumn<QByteArray>("input");
        QTest::addColumn<QList<int>>("pieces");
        QTest::addColumn<QByteArray>("digest");
        const QByteArray twoBlocks = "abcdbcdecdefdefgefghfghighijhijkijkljklmklmnlmnomnopnopq";
        const QByteArray million(1000000, 'a');
        QTest::newRow("empty") << QByteArray() << QList<int>{}
                               << QByteArray("e3b0c44298fc1c149afbf4c8996fb924"
                                             "27ae41e4649b934ca495991b7852b855");
        QTest::newRow("abc") << QByteArray("abc") << QList<int>{}
                             << QByteArray("ba7816bf8f01cfea414140de5dae2223"
                                           "b00361a396177a9cb410ff61f20015ad");
        QTest::newRow("abc, a byte at a time")
            << QByteArray("abc") << QList<int>{1, 1}
            << QByteArray("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad");
        QTest::newRow("two blocks, cut inside the first")
            << twoBlocks << QList<int>{7, 0, 20}
            << QByteArray("248d6a61d20638b8e5c026930c3e6039a33ce45964ff2167f6ecedd419db06c1");
        QTest::newRow("a million a, whole")
            << million << QList<int>{}
            << QByteArray("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
        QTest::newRow("a million a, around the block size")
            << million << QList<int>{1, 63, 64, 65, 127, 128, 129, 4096, 65536}
            << QByteArray("cdc76e5c9914fb9281a1c7e284d73e67f1809a48a497200e046d39ccc7112cd0");
    }
    void knownDigests() {
        QFETCH(QByteArray, input);
        QFETCH(QList<int>, pieces);
        QFETCH(QByteArray, digest);
        QCOMPARE(QByteArray::fromStdString(digestInPieces(input.toStdString(), pieces)), digest);
    }

    // Several megabytes of random bytes in pieces as a network delivers them: the same digest as
    // Qt's own portable routine of the whole.
    void largeInputInPiecesAgreesWithQt() {
        QByteArray input(9 * 1024 * 1024 + 17, Qt::Uninitialized);
        QRandomGenerator generator(20261209);
        generator.fillRange(reinterpret_cast<quint32*>(input.data()), input.size() / 4);
        QList<int> pieces;
        for (qsizetype taken = 0; taken < input.size() / 2;) {
            pieces.append(static_cast<int>(generator.bounded(1, 70000)));
            taken += pieces.last();
        }
        QCOMPARE(QByteArray::fromStdString(digestInPieces(input.toStdString(), pieces)),
                 QCryptographicHash::hash(input, QCryptographicHash::Sha256).toHex());
    }

    // A digest starts the hash over: the next is of what was added after it alone.
    void digestStartsOver() {
        Sha256 hash;
        hash.add("some earlier body");
        hash.hexDigest();
        hash.add("abc");
        QCOMPARE(hash.hexDigest(),
                 std::string("ba7816bf8f01cfea414140de5dae2223b00361a396177a9cb410ff61f20015ad"));
        QCOMPARE(hash.hexDigest(),
                 std::string("e3b0c44298fc1c149afbf4c8996fb92427ae41e4649b934ca495991b7852b855"));
    }
};

QTEST_GUILESS_MAIN(TestSha256)
#include "tst_Sha256.moc"
