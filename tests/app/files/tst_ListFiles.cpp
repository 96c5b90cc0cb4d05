#include "app/files/EditJournal.h"
#include "app/files/FileByteSource.h"
#include "app/files/FileSnapshot.h"
#include "app/files/ListFiles.h"
#include "app/files/ListLoader.h"
#include "app/files/ListSaver.h"
#include "app/files/MainListBackups.h"
#include "app/files/ReplacementFile.h"
#include "core/lists/ContentHash.h"
#include "fakes/EntryBytes.h"
#include "fakes/SystemReason.h"
#include "fakes/TempFolder.h"
#include "fakes/UnreadableFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTest>
#include <functional>
#include <memory>
#include <mutex>
#include <new>
#include <optional>
#include <thread>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#else
#include "fakes/OtherProgram.h"
#endif
#ifdef Q_OS_LINUX
#include <dlfcn.h>
#endif

// Qt's hook for tools that follow its objects: called in the thread that makes each one.
extern Q_DECL_IMPORT quintptr qtHookData[];

using namespace quillmere;
using quillmere::test::joined;
using quillmere::test::TempFolder;

namespace {

constexpr std::size_t kAddQObjectHook = 3;

std::mutex watchLock;
std::thread::id watchedThread;
// What the watched thread leaves to be cleaned up when it ends: Qt adopts a thread that makes a
// Qt object; a QRegularExpression match (QDir's name filters make one) leaves it a thread-local
// of Qt's, which MinGW's runtime may free on Windows before it runs its destructor.
struct LeftOnThread {
    int qtObjects = 0;
    int threadLocals = 0;
};
LeftOnThread leftOnIt;

bool onTheWatchedThread() {
    return std::this_thread::get_id() == watchedThread;
}

void countObjectMade(QObject*) {
    const std::lock_guard lock(watchLock);
    if (onTheWatchedThread())
        ++leftOnIt.qtObjects;
}

// Runs the work on a thread of its own, and gives what it left there.
LeftOnThread leftOnAThread(const std::function<void()>& work) {
    const quintptr before = qtHookData[kAddQObjectHook];
    qtHookData[kAddQObjectHook] = reinterpret_cast<quintptr>(&countObjectMade);
    leftOnIt = {};
    std::thread worker([&] {
        {
            const std::lock_guard lock(watchLock);
            watchedThread = std::this_thread::get_id();
        }
        work();
    });
    worker.join();
    qtHookData[kAddQObjectHook] = before;
    return leftOnIt;
}

std::string readWhole(const ByteSource& source, std::uint64_t offset) {
    const std::unique_ptr<ByteSource::Stream> stream = source.openAt(offset);
    std::string all;
    char part[7];
    while (const std::size_t got = stream->read(part, sizeof part))
        all.append(part, got);
    return all;
}

} // namespace

#ifdef Q_OS_LINUX
// Every thread-local with a destructor is registered here (the C++ runtime's call into the C
// library), so the test sees those of the watched thread before handing them on.
extern "C" int __cxa_thread_atexit_impl(void (*destructor)(void*), void* object, void* library) {
    using Register = int (*)(void (*)(void*), void*, void*);
    static const auto next =
        reinterpret_cast<Register>(::dlsym(RTLD_NEXT, "__cxa_thread_atexit_impl"));
    {
        const std::lock_guard lock(watchLock);
        if (onTheWatchedThread())
            ++leftOnIt.threadLocals;
    }
    return next(destructor, object, library);
}
#endif

class TestListFiles : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: a folder setting and how the program names the files in it, one separator
    // between folder and name whatever the folder ends in: the folder chooser answers a drive's
    // root with its backslash, C:\.
    void filesInAFolder_data() {
        QTest::addColumn<QString>("folder");
        QTest::addColumn<QString>("shown");
#ifdef Q_OS_WIN
        QTest::newRow("drive root") << QStringLiteral("C:\\") << QStringLiteral("C:\\");
        QTest::newRow("drive root, slash") << QStringLiteral("C:/") << QStringLiteral("C:\\");
        QTest::newRow("folder") << QStringLiteral("C:\\Imail") << QStringLiteral("C:\\Imail\\");
        QTest::newRow("folder, closing backslash")
            << QStringLiteral("D:\\Data\\") << QStringLiteral("D:\\Data\\");
        QTest::newRow("share") << QStringLiteral("\\\\mailhost\\imail$\\")
                               << QStringLiteral("\\\\mailhost\\imail$\\");
#else
        QTest::newRow("root") << QStringLiteral("/") << QStringLiteral("/");
        QTest::newRow("folder") << QStringLiteral("/srv/imail") << QStringLiteral("/srv/imail/");
        QTest::newRow("folder, closing slash")
            << QStringLiteral("/srv/imail/") << QStringLiteral("/srv/imail/");
        // A backslash is part of a name here.
        QTest::newRow("folder ending in a backslash")
            << QStringLiteral("/srv/a\\") << QStringLiteral("/srv/a\\/");
#endif
        QTest::newRow("empty: the root folder")
            << QString() << QStringLiteral("%1").arg(QDir::separator());
    }
    void filesInAFolder() {
        QFETCH(QString, folder);
        QFETCH(QString, shown);
        QCOMPARE(displayPath(mainListPath(folder)), shown + QStringLiteral("url-domain-bl.txt"));
        QCOMPARE(displayPath(addedListPath(folder)), shown + QStringLiteral("url-domain-add.txt"));
        QCOMPARE(displayPath(removedListPath(folder)),
                 shown + QStringLiteral("url-domain-rem.txt"));
        QCOMPARE(displayPath(journalPath(folder)), shown + QStringLiteral("url-domain-log.txt"));
        QCOMPARE(displayPath(MainListBackups(folder).folder()), shown + QStringLiteral("backups"));
    }

    void writtenFileReadsBackTheSameEntries() {
        TempFolder folder;
        const EntryList list{"c.example", " b.example", "A.example"};
        ReplacementFile file(folder.filePath(QStringLiteral("l.txt")));
        QCOMPARE(file.write(list), QString());
        QVERIFY(!folder.exists(QStringLiteral("l.txt"))); // not in place before the commit
        QCOMPARE(file.commit(), QString());
        QCOMPARE(folder.read(QStringLiteral("l.txt")),
                 QByteArray("c.example\r\n b.example\r\nA.example\r\n"));
        QCOMPARE(readListFile(folder.filePath(QStringLiteral("l.txt"))), std::optional(list));
        QCOMPARE(file.hash(), hashContent("c.example\r\n b.example\r\nA.example\r\n"));
    }

    void emptyListIsAZeroByteFile() {
        TempFolder folder;
        folder.write(QStringLiteral("l.txt"), "old\r\n");
        ReplacementFile file(folder.filePath(QStringLiteral("l.txt")));
        QCOMPARE(file.write(EntryList()), QString());
        QCOMPARE(file.commit(), QString());
        QVERIFY(folder.exists(QStringLiteral("l.txt")));
        QCOMPARE(folder.read(QStringLiteral("l.txt")), QByteArray());
    }

    // How each kind of snapshot tells a file another program wrote since it was read.
    void snapshotTellsAChangedFile_data() {
        QTest::addColumn<int>("check");
        QTest::addColumn<QByteArray>("rewritten"); // null: the file is removed
        QTest::addColumn<bool>("newTime");
        QTest::addColumn<bool>("changed");
        const int content = int(ChangeCheck::Content);
        const int sizeAndTime = int(ChangeCheck::SizeAndTime);
        QTest::newRow("content: same bytes again")
            << content << QByteArray("a.ex\r\n") << true << false;
        QTest::newRow("content: other bytes, same size, same time")
            << content << QByteArray("b.ex\r\n") << false << true;
        QTest::newRow("content: removed") << content << QByteArray() << false << true;
        QTest::newRow("size and time: untouched")
            << sizeAndTime << QByteArray("a.ex\r\n") << false << false;
        QTest::newRow("size and time: other bytes, new time")
            << sizeAndTime << QByteArray("b.ex\r\n") << true << true;
        QTest::newRow("size and time: longer")
            << sizeAndTime << QByteArray("ab.ex\r\n") << false << true;
    }
    void snapshotTellsAChangedFile() {
        QFETCH(int, check);
        QFETCH(QByteArray, rewritten);
        QFETCH(bool, newTime);
        QFETCH(bool, changed);
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("l.txt"));
        folder.write(QStringLiteral("l.txt"), "a.ex\r\n");
        const QDateTime then = QDateTime::currentDateTime().addSecs(-60);
        auto setTime = [&path](const QDateTime& time) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
        };
        setTime(then);
        const FileSnapshot snapshot =
            FileSnapshot::read(path, "a.ex\r\n", static_cast<ChangeCheck>(check));
        if (rewritten.isNull()) {
            QVERIFY(QFile::remove(path));
        } else {
            folder.write(QStringLiteral("l.txt"), rewritten);
            setTime(newTime ? then.addSecs(5) : then);
        }
        QCOMPARE(snapshot.changedOnDisk(), changed);
    }

    // Written and never committed, or given up when what makes its text throws halfway (a merge
    // that finds its file changed, or runs out of memory).
    void uncommittedReplacementLeavesNothing_data() {
        QTest::addColumn<bool>("sourceThrows");
        QTest::newRow("written") << false;
        QTest::newRow("its text source threw") << true;
    }
    void uncommittedReplacementLeavesNothing() {
        QFETCH(bool, sourceThrows);
        TempFolder folder;
        folder.write(QStringLiteral("l.txt"), "old\r\n");
        {
            ReplacementFile file(folder.filePath(QStringLiteral("l.txt")));
            if (sourceThrows)
                QVERIFY_THROWS_EXCEPTION(std::bad_alloc,
                                         file.write([](const ReplacementFile::TextSink& sink) {
                                             sink("new\r\n");
                                             throw std::bad_alloc();
                                             return true;
                                         }));
            else
                QCOMPARE(file.write(EntryList{"new"}), QString());
            if (sourceThrows)
                QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                         QStringList{QStringLiteral("l.txt")});
        }
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 QStringList{QStringLiteral("l.txt")});
        QCOMPARE(folder.read(QStringLiteral("l.txt")), QByteArray("old\r\n"));
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
        // Times long past: a list written again would carry the present one.
        const QDateTime past(QDate(2020, 1, 1), QTime(0, 0), Qt::UTC);
        const QStringList untouched{folder.filePath(QStringLiteral("imail/url-domain-bl.txt")),
                                    folder.filePath(QStringLiteral("data/url-domain-rem.txt"))};
        for (const QString& path : untouched) {
            QFile file(path);
            QVERIFY(file.open(QIODevice::ReadWrite));
            QVERIFY(file.setFileTime(past, QFileDevice::FileModificationTime));
        }

        TrackedLists lists;
        QVERIFY(loadLists(lists, root, data).mainFound);
        lists.replace(ListId::Added, EntryList{"n.ex"});
        lists.setModified(ListId::Added, true);
        QCOMPARE(saveAll(lists, {root, data}).errors, QStringList());

        QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")), QByteArray("n.ex\r\n"));
        QCOMPARE(folder.read(QStringLiteral("imail/url-domain-bl.txt")),
                 QByteArray("b.ex\r\na.ex"));
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-rem.txt")), QByteArray("r.ex"));
        for (const QString& path : untouched)
            QCOMPARE(QFileInfo(path).lastModified().toUTC(), past);
        QVERIFY(!lists.anyModified());
    }

    // A Main list file written before the save, as a merge writes it, takes the list's place
    // with the other modified lists, and is not written again from the list; a write that failed
    // is the save's failure, and leaves every file as it was.
    void aMainListFileWrittenBeforeTheSave_data() {
        QTest::addColumn<QString>("writeError");
        QTest::newRow("written") << QString();
        QTest::newRow("its write failed") << QStringLiteral("Cannot save url-domain-bl.txt: full");
    }
    void aMainListFileWrittenBeforeTheSave() {
        QFETCH(QString, writeError);
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.subfolder(QStringLiteral("data"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "old.ex\r\n");
        TrackedLists lists;
        QVERIFY(loadLists(lists, root, data).mainFound);
        lists.replace(ListId::Added, EntryList{"n.ex"});
        lists.setModified(ListId::Added, true);
        lists.setModified(ListId::Main, true); // its list is still the old one
        auto written = std::make_shared<ReplacementFile>(mainListPath(root));
        QCOMPARE(written->write([](const ReplacementFile::TextSink& sink) {
            return sink("a.ex\r\n") && sink("n.ex\r\n");
        }),
                 QString());

        const SaveOutcome outcome =
            saveAll(lists, {root, data, nullptr, false, {}, {}, {written, writeError}});
        written.reset();
        const QStringList folderFiles =
            QDir(root).entryList(QDir::Files | QDir::Hidden | QDir::System);
        QCOMPARE(folderFiles, QStringList{QStringLiteral("url-domain-bl.txt")});
        if (writeError.isEmpty()) {
            QCOMPARE(outcome.errors, QStringList());
            QCOMPARE(folder.read(QStringLiteral("imail/url-domain-bl.txt")),
                     QByteArray("a.ex\r\nn.ex\r\n"));
            QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")),
                     QByteArray("n.ex\r\n"));
            QVERIFY(!lists.anyModified());
        } else {
            QCOMPARE(outcome.errors,
                     (QStringList{writeError, QStringLiteral("No list file was changed.")}));
            QCOMPARE(folder.read(QStringLiteral("imail/url-domain-bl.txt")),
                     QByteArray("old.ex\r\n"));
            QVERIFY(!folder.exists(QStringLiteral("data/url-domain-add.txt")));
            QVERIFY(lists.isModified(ListId::Main));
        }
    }

    // The command-line tool takes the Main list's size and time, but a tracking list rewritten
    // by a program that does not lock, with the same size within the same second, is still told.
    void trackingListsAreComparedByTheirBytes() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.subfolder(QStringLiteral("data"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "a.ex\r\n");
        folder.write(QStringLiteral("data/url-domain-add.txt"), "n.ex\r\n");
        TrackedLists lists;
        LoadOutcome loaded = loadLists(lists, root, data, ChangeCheck::SizeAndTime);
        const QString added = folder.filePath(QStringLiteral("data/url-domain-add.txt"));
        const QDateTime time = QFileInfo(added).lastModified();
        folder.write(QStringLiteral("data/url-domain-add.txt"), "m.ex\r\n");
        QFile file(added);
        QVERIFY(file.open(QIODevice::ReadWrite));
        QVERIFY(file.setFileTime(time, QFileDevice::FileModificationTime));
        file.close();

        lists.sort(ListId::Added);
        const SaveOutcome outcome = saveAll(lists, {root, data, &loaded.files});
        QCOMPARE(outcome.changedOnDisk, QStringList{displayPath(added)});
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")), QByteArray("m.ex\r\n"));
    }

    // A rename that still fails after every file was checked (another program takes the Main
    // list in that moment) puts back the tracking lists already replaced: the one that existed
    // holds its old bytes again, the one that did not is gone, every list stays modified, and
    // the kept old file of the Main list takes no backup's name.
    void aRenameThatFailsLatePutsBackWhatWasReplaced() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.subfolder(QStringLiteral("data"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "a.ex\r\n");
        folder.write(QStringLiteral("data/url-domain-add.txt"), "old.ex\r\n");
        const QString main = folder.filePath(QStringLiteral("imail/url-domain-bl.txt"));
        TrackedLists lists;
        LoadOutcome loaded = loadLists(lists, root, data);
        lists.replace(ListId::Main, EntryList{"a.ex", "new.ex"});
        lists.replace(ListId::Added, EntryList{"old.ex", "new.ex"});
        lists.replace(ListId::Removed, EntryList{"r.ex"});
        for (ListId id : {ListId::Main, ListId::Added, ListId::Removed})
            lists.setModified(id, true);
        SaveRequest request{root, data, &loaded.files};
#ifdef Q_OS_WIN
        std::unique_ptr<quillmere::test::FileHeldOpen> holder;
        request.beforeReplacing = [&](const QString& file) {
            if (file == main)
                holder = std::make_unique<quillmere::test::FileHeldOpen>(main);
        };
#else
        bool immutable = false;
        request.beforeReplacing = [&](const QString& file) {
            if (file == main)
                immutable =
                    QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+i"), main}) == 0;
        };
#endif
        const SaveOutcome outcome = saveAll(lists, request);
#ifdef Q_OS_WIN
        QVERIFY(holder && holder->isOpen());
        holder.reset();
#else
        if (!immutable)
            QSKIP("the file system cannot make a file immutable (chattr +i)");
        QCOMPARE(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-i"), main}), 0);
#endif
        QCOMPARE(outcome.errors.size(), 2);
        QVERIFY2(outcome.errors.first().startsWith(
                     QStringLiteral("Cannot save %1: ").arg(displayPath(main))),
                 qPrintable(outcome.errors.first()));
#ifndef Q_OS_WIN
        QCOMPARE(outcome.errors.first(),
                 QStringLiteral("Cannot save %1: Operation not permitted").arg(displayPath(main)));
#endif
        QCOMPARE(outcome.errors.last(), QStringLiteral("No list file was changed."));
        QCOMPARE(folder.read(QStringLiteral("imail/url-domain-bl.txt")), QByteArray("a.ex\r\n"));
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")), QByteArray("old.ex\r\n"));
        QVERIFY(!folder.exists(QStringLiteral("data/url-domain-rem.txt")));
        for (ListId id : {ListId::Main, ListId::Added, ListId::Removed})
            QVERIFY(lists.isModified(id));
        QCOMPARE(MainListBackups(data).names(), QStringList());
        // Nothing of the save is left beside the lists but the backups folder.
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("url-domain-add.txt")});
        QCOMPARE(QDir(root).entryList(QDir::Files | QDir::Hidden | QDir::NoDotAndDotDot),
                 QStringList{QStringLiteral("url-domain-bl.txt")});
        // The next save goes through, and the changed files are not taken for another program's.
        request.beforeReplacing = {};
        QCOMPARE(saveAll(lists, request).errors, QStringList());
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-add.txt")),
                 QByteArray("old.ex\r\nnew.ex\r\n"));
    }

    // Until the Main list is really replaced, its backup has no backup's name: a save killed in
    // that moment leaves no backup of a list that was never replaced.
    void theBackupIsNamedOnlyOnceTheListIsReplaced() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.subfolder(QStringLiteral("data"));
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "a.ex\r\n");
        TrackedLists lists;
        QVERIFY(loadLists(lists, root, data).mainRead);
        lists.replace(ListId::Main, EntryList{"a.ex", "b.ex"});
        lists.setModified(ListId::Main, true);
        SaveRequest request{root, data};
        QStringList namedBeforeTheRename{QStringLiteral("not asked")};
        request.beforeReplacing = [&](const QString&) {
            namedBeforeTheRename = MainListBackups(data).names();
        };
        QCOMPARE(saveAll(lists, request).errors, QStringList());
        QCOMPARE(namedBeforeTheRename, QStringList());
        const QStringList names = MainListBackups(data).names();
        QCOMPARE(names.size(), 1);
        QCOMPARE(folder.read(QStringLiteral("data/backups/") + names.constFirst()),
                 QByteArray("a.ex\r\n"));
        QCOMPARE(QDir(data + QStringLiteral("/backups")).entryList(QDir::Files | QDir::Hidden),
                 names);
    }

    void createsAMissingTrackingFolder() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        const QString data = folder.filePath(QStringLiteral("new/data"));
        TrackedLists lists;
        lists.replace(ListId::Removed, EntryList{"r.ex"});
        lists.setModified(ListId::Removed, true);
        QCOMPARE(saveAll(lists, {root, data}).errors, QStringList());
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
        const QStringList errors = saveAll(lists, {root, data}).errors;
        QCOMPARE(errors.size(), 2);
        QCOMPARE(errors.last(), QStringLiteral("No list file was changed."));
        QVERIFY2(errors.first().startsWith(
                     QStringLiteral("Cannot save ") +
                     QDir::toNativeSeparators(root + QStringLiteral("/url-domain-bl.txt")) +
                     QStringLiteral(": ")),
                 qPrintable(errors.first()));
        QVERIFY(!QFileInfo::exists(root)); // the Imail root folder is never created
        QVERIFY(lists.isModified(ListId::Main));
        QVERIFY(lists.isModified(ListId::Added));
        QVERIFY(!folder.exists(QStringLiteral("data/url-domain-add.txt")));
        QCOMPARE(QDir(data).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void failedSaveOverAFolderLeavesNoTemporaryFile() {
        TempFolder folder;
        const QString root = folder.subfolder(QStringLiteral("imail"));
        folder.subfolder(QStringLiteral("imail/url-domain-bl.txt")); // a folder in the file's place
        TrackedLists lists;
        lists.replace(ListId::Main, EntryList{"m.ex"});
        lists.setModified(ListId::Main, true);
        QCOMPARE(saveAll(lists, {root, folder.path()}).errors.size(), 2);
        QVERIFY(lists.isModified(ListId::Main));
        QCOMPARE(QDir(root).entryList(QDir::Files | QDir::Hidden), QStringList());
    }

    void pathThatIsNoFileIsALoadError_data() {
        QTest::addColumn<QString>("name");
        QTest::addColumn<bool>("fifo");
        QTest::addColumn<QString>("reason");
        QTest::newRow("added list a folder") << QStringLiteral("data/url-domain-add.txt") << false
                                             << QStringLiteral("it is a folder, not a file");
#ifdef Q_OS_UNIX
        QTest::newRow("removed list a FIFO") << QStringLiteral("data/url-domain-rem.txt") << true
                                             << QStringLiteral("it is a FIFO, not a regular file");
#endif
        QTest::newRow("main list a folder") << QStringLiteral("imail/url-domain-bl.txt") << false
                                            << QStringLiteral("it is a folder, not a file");
#ifdef Q_OS_UNIX
        QTest::newRow("main list a FIFO") << QStringLiteral("imail/url-domain-bl.txt") << true
                                          << QStringLiteral("it is a FIFO, not a regular file");
#endif
    }
    void pathThatIsNoFileIsALoadError() {
        QFETCH(QString, name);
        QFETCH(bool, fifo);
        QFETCH(QString, reason);
        Q_UNUSED(fifo); // no FIFO can stand at a path on Windows
        TempFolder folder;
        folder.write(QStringLiteral("imail/url-domain-bl.txt"), "a.ex\r\n");
        folder.write(QStringLiteral("data/url-domain-add.txt"), "n.ex\r\n");
        folder.write(QStringLiteral("data/url-domain-rem.txt"), "r.ex\r\n");
        QVERIFY(QFile::remove(folder.filePath(name)));
#ifdef Q_OS_UNIX
        if (fifo)
            QCOMPARE(::mkfifo(QFile::encodeName(folder.filePath(name)).constData(), 0600), 0);
        else
#endif
            folder.subfolder(name);
        TrackedLists lists;
        const LoadOutcome outcome = loadLists(lists, folder.filePath(QStringLiteral("imail")),
                                              folder.filePath(QStringLiteral("data")));
        // Something stands at the path: it is no missing file, and it is not read as empty.
        QVERIFY(outcome.mainFound);
        QCOMPARE(outcome.errors, QStringList{QStringLiteral("Cannot read %1: %2")
                                                 .arg(displayPath(folder.filePath(name)), reason)});
        QCOMPARE(outcome.mainRead, !name.startsWith(QLatin1String("imail")));
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

    // Large files are read into buffers sized in whole 2 MiB pages, or, read once, into memory of
    // their own: every byte, and no more.
    void readsLargeFilesWhole_data() {
        QTest::addColumn<int>("size");
        const int hugePage = 2 << 20;
        QTest::newRow("an empty file") << 0;
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
        const ReadOnceResult once = readFileBytesOnce(folder.filePath(QStringLiteral("big.txt")));
        QVERIFY(once.keeper);
        QCOMPARE(once.error, QString());
        QVERIFY(once.bytes == bytes.toStdString());
    }

    // Whatever stands in a file's place, both ways of reading it whole give the same error.
    void bothReadersGiveTheSameError_data() {
        QTest::addColumn<QString>("kind");
        QTest::newRow("nothing there") << QStringLiteral("missing");
        QTest::newRow("a folder") << QStringLiteral("folder");
#ifdef Q_OS_UNIX
        QTest::newRow("a FIFO") << QStringLiteral("fifo");
#endif
        QTest::newRow("a file that cannot be read whole") << QStringLiteral("unreadable");
    }
    void bothReadersGiveTheSameError() {
        QFETCH(QString, kind);
        TempFolder folder;
        const QString path = folder.filePath(QStringLiteral("factory.txt"));
        const QString shown = QDir::toNativeSeparators(path);
        std::optional<test::UnreadableFile> unreadable;
        QString expected;
        if (kind == QLatin1String("missing")) {
            expected = QStringLiteral("Cannot open %1: %2")
                           .arg(shown, test::withoutFullStop(test::missingFileReason()));
        } else if (kind == QLatin1String("folder")) {
            QVERIFY(QDir().mkpath(path));
            expected = QStringLiteral("Cannot read %1: it is a folder, not a file").arg(shown);
        } else if (kind == QLatin1String("fifo")) {
#ifdef Q_OS_UNIX
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
#endif
            expected =
                QStringLiteral("Cannot read %1: it is a FIFO, not a regular file").arg(shown);
        } else {
            unreadable.emplace(path);
            if (!unreadable->unavailable().isEmpty())
                QSKIP(qPrintable(unreadable->unavailable()));
            expected = unreadable->message();
        }
        const ReadResult whole = readFileBytes(path);
        QVERIFY(!whole.bytes);
        QCOMPARE(whole.error, expected);
        const ReadOnceResult once = readFileBytesOnce(path);
        QVERIFY(!once.keeper);
        QCOMPARE(once.error, expected);
    }

    // What a merge does on its helper threads: read the lists, write the new one, fail to.
    // Each row gives what the work found.
    void helperThreadsLeaveNothingToCleanUp_data() {
        QTest::addColumn<QString>("work");
        QTest::addColumn<bool>("goneFirst");
        QTest::addColumn<QString>("found");
        const QString whole = QStringLiteral("a.ex\r\nb.ex\r\n");
        const QString missing =
            QStringLiteral("Cannot open %1: ") + test::withoutFullStop(test::missingFileReason());
        QTest::newRow("a file read whole") << QStringLiteral("whole") << false << whole;
        QTest::newRow("a missing file read whole") << QStringLiteral("whole") << true << missing;
        QTest::newRow("a file read once") << QStringLiteral("once") << false << whole;
        QTest::newRow("a missing file read once") << QStringLiteral("once") << true << missing;
        QTest::newRow("a file read as a stream from an offset")
            << QStringLiteral("stream") << false << QStringLiteral("b.ex\r\n");
        QTest::newRow("a file gone when its stream opens")
            << QStringLiteral("stream") << true << missing;
        QTest::newRow("a replacement written and dropped")
            << QStringLiteral("replacement") << false << whole;
    }
    void helperThreadsLeaveNothingToCleanUp() {
        QFETCH(QString, work);
        QFETCH(bool, goneFirst);
        QFETCH(QString, found);
        TempFolder folder;
        folder.write(QStringLiteral("list.txt"), "a.ex\r\nb.ex\r\n");
        const QString path = folder.filePath(QStringLiteral("list.txt"));
        QString error;
        const std::optional<FileByteSource> source = FileByteSource::open(path, error);
        QVERIFY2(source, qPrintable(error));
        if (goneFirst)
            QVERIFY(QFile::remove(path));
        QString result;
        const LeftOnThread left = leftOnAThread([&] {
            try {
                if (work == QLatin1String("whole")) {
                    const ReadResult read = readFileBytes(path);
                    result = read.bytes ? QString::fromStdString(**read.bytes) : read.error;
                } else if (work == QLatin1String("once")) {
                    const ReadOnceResult read = readFileBytesOnce(path);
                    result =
                        read.keeper ? QString::fromStdString(std::string(read.bytes)) : read.error;
                } else if (work == QLatin1String("stream")) {
                    result = QString::fromStdString(readWhole(*source, 6));
                } else {
                    ReplacementFile replacement(path);
                    error = replacement.write(
                        [](const ReplacementFile::TextSink& sink) { return sink("c.ex\r\n"); });
                }
            } catch (const ByteSourceError& failure) {
                result = QString::fromStdString(failure.what());
            }
        });
        QCOMPARE(left.qtObjects, 0);
        QCOMPARE(left.threadLocals, 0);
        QCOMPARE(error, QString());
        if (work == QLatin1String("replacement"))
            result = QString::fromLatin1(folder.read(QStringLiteral("list.txt")));
        QCOMPARE(result, goneFirst ? found.arg(displayPath(path)) : found);
        // Nothing is left beside the file: a dropped replacement removes its temporary file.
        QCOMPARE(QDir(folder.path()).entryList(QDir::Files | QDir::Hidden),
                 goneFirst ? QStringList() : QStringList{QStringLiteral("list.txt")});
    }
};

QTEST_GUILESS_MAIN(TestListFiles)
#include "tst_ListFiles.moc"
