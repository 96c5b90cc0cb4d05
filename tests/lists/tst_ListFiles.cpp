#include "fakes/EntryBytes.h"
#include "fakes/TempFolder.h"
#include "lists/ListFiles.h"
#include "lists/ListLoader.h"
#include "lists/ListSaver.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#include <chrono>
#include <thread>

using namespace quillmere;
using quillmere::test::joined;
using quillmere::test::TempFolder;

class TestListFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void writtenFileReadsBackTheSameEntries() {
        TempFolder folder;
        const EntryList list{"c.example", " b.example", "A.example"};
        QCOMPARE(writeListFile(folder.filePath(QStringLiteral("l.txt")), list), QString());
        QCOMPARE(folder.read(QStringLiteral("l.txt")),
                 QByteArray("c.example\r\n b.example\r\nA.example\r\n"));
        QCOMPARE(readListFile(folder.filePath(QStringLiteral("l.txt"))), std::optional(list));
    }

    void emptyListIsAZeroByteFile() {
        TempFolder folder;
        folder.write(QStringLiteral("l.txt"), "old\r\n");
        QCOMPARE(writeListFile(folder.filePath(QStringLiteral("l.txt")), EntryList()), QString());
        QVERIFY(folder.exists(QStringLiteral("l.txt")));
        QCOMPARE(folder.read(QStringLiteral("l.txt")), QByteArray());
    }

    void folderIsNoFile() {
        TempFolder folder;
        QVERIFY(!fileExists(folder.subfolder(QStringLiteral("url-domain-bl.txt"))));
        QVERIFY(!fileExists(folder.filePath(QStringLiteral("missing"))));
        folder.write(QStringLiteral("present"), "");
        QVERIFY(fileExists(folder.filePath(QStringLiteral("present"))));
    }

    void savesOnlyModifiedLists() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.subfolder(QStringLiteral("data"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "b.ex\r\na.ex");
        folder.write(QStringLiteral("data/url-domain-rem.txt"), "r.ex");
        const QFileInfo mainBefore(folder.filePath(QStringLiteral("imail/url-domain-bl.txt")));
        const QFileInfo remBefore(folder.filePath(QStringLiteral("data/url-domain-rem.txt")));
        std::this_thread::sleep_for(std::chrono::milliseconds(20));

        TrackedLists lists;
        QVERIFY(loadLists(lists, root, data).mainFound);
        lists.replace(ListId::Added, EntryList{"n.ex"});
        lists.setModified(ListId::Added, true);
        QCOMPARE(saveAll(lists, root, data), QStringList());

        QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")), QByteArray("n.ex\r\n"));
        QCOMPARE(folder.read(QStringLiteral("imail/url-domain-bl.txt")),
                 QByteArray("b.ex\r\na.ex"));
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-rem.txt")), QByteArray("r.ex"));
        QCOMPARE(QFileInfo(mainBefore.filePath()).lastModified(), mainBefore.lastModified());
        QCOMPARE(QFileInfo(remBefore.filePath()).lastModified(), remBefore.lastModified());
        QVERIFY(!lists.anyModified());
    }

    void createsAMissingTrackingFolder() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.filePath(QStringLiteral("new/data"));
        TrackedLists lists;
        lists.replace(ListId::Removed, EntryList{"r.ex"});
        lists.setModified(ListId::Removed, true);
        QCOMPARE(saveAll(lists, root, data), QStringList());
        QCOMPARE(folder.read(QStringLiteral("new/data/url-domain-rem.txt")),
                 QByteArray("r.ex\r\n"));
        QVERIFY(!folder.exists(QStringLiteral("new/data/url-domain-add.txt")));
    }

    void failedSaveIntoMissingImailRoot() {
        TempFolder folder;
        const QString root = folder.filePath(QStringLiteral("no-such-root"));
        const QString data = folder.subfolder(QStringLiteral("data"));
        TrackedLists lists;
        lists.replace(ListId::Main, EntryList{"m.ex"});
        lists.replace(ListId::Added, EntryList{"a.ex"});
        lists.setModified(ListId::Main, true);
        lists.setModified(ListId::Added, true);
        const QStringList errors = saveAll(lists, root, data);
        QCOMPARE(errors.size(), 1);
        QVERIFY2(errors.first().startsWith(
                     QStringLiteral("Cannot save ") +
                     QDir::toNativeSeparators(root + QStringLiteral("/url-domain-bl.txt")) +
                     QStringLiteral(": ")),
                 qPrintable(errors.first()));
        QVERIFY(!QFileInfo::exists(root)); // the Imail root folder is never created
        QVERIFY(lists.isModified(ListId::Main));
        QVERIFY(!lists.isModified(ListId::Added));
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")), QByteArray("a.ex\r\n"));
    }

    void failedSaveOverAFolderLeavesNoTemporaryFile() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        folder.subfolder(QStringLiteral("imail/url-domain-bl.txt")); // a folder in the file's place
        TrackedLists lists;
        lists.replace(ListId::Main, EntryList{"m.ex"});
        lists.setModified(ListId::Main, true);
        QCOMPARE(saveAll(lists, root, folder.path()).size(), 1);
        QVERIFY(lists.isModified(ListId::Main));
        QCOMPARE(QDir(root).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void unreadableTrackingFileIsAnErrorNotAnEmptyList() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "a.ex\r\n");
        folder.subfolder(QStringLiteral("data/url-domain-add.txt"));
        TrackedLists lists;
        const LoadOutcome outcome = loadLists(lists, root, folder.filePath(QStringLiteral("data")));
        QVERIFY(outcome.mainFound);
        QCOMPARE(outcome.errors.size(), 0); // a folder is no file: treated as missing
        QVERIFY(lists.added().empty());
    }

    void missingMainFileLoadsNothing_data() {
        QTest::addColumn<bool>("trackingOnly");
        QTest::newRow("all three lists") << false;
        QTest::newRow("the tracking lists") << true;
    }
    void missingMainFileLoadsNothing() {
        QFETCH(bool, trackingOnly);
        TempFolder folder;
        folder.write(QStringLiteral("data/url-domain-add.txt"), "a.ex\r\n");
        TrackedLists lists;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.filePath(QStringLiteral("data"));
        const LoadOutcome outcome =
            trackingOnly ? loadTrackingLists(lists, root, data) : loadLists(lists, root, data);
        QVERIFY(!outcome.mainFound);
        QVERIFY(lists.added().empty());
    }

    void trackingListsLoadWithoutTheMainList() {
        TempFolder folder;
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "m.ex\r\n");
        folder.write(QStringLiteral("data/url-domain-add.txt"), "a.ex\r\nb.ex\r\n");
        folder.write(QStringLiteral("data/url-domain-rem.txt"), "r.ex\r\n");
        TrackedLists lists;
        const LoadOutcome outcome =
            loadTrackingLists(lists, folder.filePath(QStringLiteral("imail")),
                              folder.filePath(QStringLiteral("data")));
        QVERIFY(outcome.mainFound);
        QVERIFY(!outcome.mainRead);
        QCOMPARE(outcome.errors, QStringList());
        QVERIFY(lists.main().empty());
        QCOMPARE(joined(lists.added()), QStringLiteral("a.ex|b.ex"));
        QCOMPARE(joined(lists.removed()), QStringLiteral("r.ex"));
    }

    // Large files are read into buffers sized in whole 2 MiB pages: every byte, and no more.
    void readsLargeFilesWhole_data() {
        QTest::addColumn<int>("size");
        const int hugePage = 2 << 20;
        QTest::newRow("a byte short of 2 MiB") << hugePage - 1;
        QTest::newRow("2 MiB") << hugePage;
        QTest::newRow("4 MiB less the allocator's room") << 2 * hugePage - 64;
        QTest::newRow("over 10 MiB") << 5 * hugePage + 7;
    }
    void readsLargeFilesWhole() {
        QFETCH(int, size);
        QByteArray bytes(size, Qt::Uninitialized);
        for (int k = 0; k < size; ++k)
            bytes[k] = static_cast<char>(k % 251);
        TempFolder folder;
        folder.write(QStringLiteral("big.txt"), bytes);
        const ReadResult read = readFileBytes(folder.filePath(QStringLiteral("big.txt")));
        QVERIFY(read.bytes);
        QCOMPARE((*read.bytes)->size(), static_cast<std::size_t>(size));
        QVERIFY(**read.bytes == bytes.toStdString());
    }
};

QTEST_GUILESS_MAIN(TestListFiles)
#include "tst_ListFiles.moc"
