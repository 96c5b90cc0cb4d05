#include "app/update/ArrivingBodyCopy.h"
#include "app/update/UpdateState.h"
#include "fakes/TempFolder.h"

#include <QCryptographicHash>
#include <QDir>
#include <QTest>

using quillmere::ArrivingBodyCopy;
using quillmere::test::TempFolder;

namespace {

const QByteArray kOld = "old.ex\r\n";
const QByteArray kBody = "a.ex\r\nb.ex\r\nc.ex\r\n";

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

QByteArray sha256Of(const QByteArray& bytes) {
    return QCryptographicHash::hash(bytes, QCryptographicHash::Sha256).toHex();
}

// The names in a folder, hidden ones too: a temporary file left behind shows here.
QStringList namesIn(const QString& folder) {
    return QDir(folder).entryList(QDir::AllEntries | QDir::Hidden | QDir::NoDotAndDotDot,
                                  QDir::Name);
}

} // namespace

class TestArrivingBodyCopy : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: what arrives (a null piece is a try begun again), and the body fetched in the
    // end. The old copy stays as it was until the body is kept, and is then replaced by the body
    // exactly, however it arrived; the hash is of the body.
    void keptWhenKept_data() {
        QTest::addColumn<QList<QByteArray>>("arriving");
        QTest::addColumn<bool>("flushedAhead");
        QTest::newRow("whole") << QList<QByteArray>{kBody} << false;
        QTest::newRow("in pieces")
            << QList<QByteArray>{"a.ex\r", "\nb.ex\r\n", "c.ex\r\n"} << false;
        QTest::newRow("in pieces, flushed ahead")
            << QList<QByteArray>{"a.ex\r", "\nb.ex\r\n", "c.ex\r\n"} << true;
        QTest::newRow("a try cut short, then again")
            << QList<QByteArray>{"x.ex\r\ny", QByteArray(), "a.ex\r\nb.ex\r\n", "c.ex\r\n"} << true;
        QTest::newRow("less than the body arrived") << QList<QByteArray>{"a.ex\r\n"} << true;
        QTest::newRow("nothing arrived") << QList<QByteArray>{} << false;
    }
    void keptWhenKept() {
        QFETCH(QList<QByteArray>, arriving);
        QFETCH(bool, flushedAhead);
        TempFolder folder;
        folder.write(QStringLiteral("url-domain-bl.txt"), kOld);
        ArrivingBodyCopy copy(folder.filePath(QStringLiteral("url-domain-bl.txt")));
        copy.beginAgain();
        for (const QByteArray& piece : arriving) {
            if (piece.isNull())
                copy.beginAgain();
            else
                copy.take(piece);
        }
        if (flushedAhead)
            copy.flushAhead();
        QCOMPARE(folder.read(QStringLiteral("url-domain-bl.txt")), kOld);
        QCOMPARE(QByteArray::fromStdString(copy.sha256(viewOf(kBody))), sha256Of(kBody));
        QCOMPARE(copy.keep(viewOf(kBody)), QString());
        QCOMPARE(folder.read(QStringLiteral("url-domain-bl.txt")), kBody);
        QCOMPARE(namesIn(folder.path()), QStringList{QStringLiteral("url-domain-bl.txt")});
    }

    // A body not kept (refused, a failed fetch or merge) leaves the old copy and nothing else.
    void notKeptLeavesNothing() {
        TempFolder folder;
        folder.write(QStringLiteral("url-domain-bl.txt"), kOld);
        {
            ArrivingBodyCopy copy(folder.filePath(QStringLiteral("url-domain-bl.txt")));
            copy.beginAgain();
            copy.take(kBody);
        }
        QCOMPARE(folder.read(QStringLiteral("url-domain-bl.txt")), kOld);
        QCOMPARE(namesIn(folder.path()), QStringList{QStringLiteral("url-domain-bl.txt")});
    }

    // The folder of the copy is made only once the body is kept.
    void missingFolderMadeWhenKept() {
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("import/lists/url-domain-bl.txt"));
        ArrivingBodyCopy copy(path);
        copy.beginAgain();
        copy.take(kBody);
        QCOMPARE(namesIn(folder.path()), QStringList());
        QCOMPARE(copy.keep(viewOf(kBody)), QString());
        QCOMPARE(folder.read(QStringLiteral("import/lists/url-domain-bl.txt")), kBody);
    }

    // A folder where the copy should be: the copy cannot be written while the body arrives, and
    // keeping it fails with the message of writing the copy whole.
    void unwritableCopyFailsAsAWholeWrite() {
        TempFolder folder;
        folder.subfolder(QStringLiteral("url-domain-bl.txt"));
        const QString path = folder.filePath(QStringLiteral("url-domain-bl.txt"));
        ArrivingBodyCopy copy(path);
        copy.beginAgain();
        copy.take(kBody);
        const QString error = copy.keep(viewOf(kBody));
        QVERIFY2(error.startsWith(
                     QStringLiteral("Cannot write %1: ").arg(QDir::toNativeSeparators(path))),
                 qPrintable(error));
        QCOMPARE(error, quillmere::replaceFileWith(path, kBody));
        QCOMPARE(namesIn(folder.path()), QStringList{QStringLiteral("url-domain-bl.txt")});
    }

    // Without a path it only hashes.
    void hashOnly() {
        ArrivingBodyCopy copy{QString()};
        copy.beginAgain();
        copy.take("a.ex\r\n");
        copy.take("b.ex\r\nc.ex\r\n");
        QCOMPARE(QByteArray::fromStdString(copy.sha256(viewOf(kBody))), sha256Of(kBody));
    }
};

QTEST_GUILESS_MAIN(TestArrivingBodyCopy)
#include "tst_ArrivingBodyCopy.moc"
