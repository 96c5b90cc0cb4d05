#include "cli/CliRunner.h"
#include "fakes/FileIdentity.h"
#include "fakes/SystemReason.h"
#include "fakes/TempFolder.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <memory>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#else
#include "fakes/OtherProgram.h"

#include <aclapi.h>
#include <sddl.h>
#include <windows.h>
#endif

using quillmere::test::fileIdentity;

namespace {

const QString kJournal = QStringLiteral("data/url-domain-log.txt");
const QString kBackups = QStringLiteral("data/backups");
const QString kLock = QStringLiteral("imail/url-domain-bl.txt.lock");

// The three lists in a temporary folder, and quillmere-cli run on them.
class Lists final {
public:
    Lists() {
        m_folder.write(kMain, "a.ex\r\nb.ex\r\n");
        m_folder.subfolder(QStringLiteral("data"));
    }
    CliRun run(const QStringList& command, const CliConditions& conditions = {}) const {
        return runCli(listFolders(m_folder) + command, conditions);
    }
    const TempFolder& folder() const { return m_folder; }
    QString path(const QString& name) const { return m_folder.filePath(name); }
    QByteArray read(const QString& name) const { return m_folder.read(name); }
    QStringList backups() const {
        return QDir(path(kBackups)).entryList(QDir::Files | QDir::System, QDir::Name);
    }
    QByteArray messageAbout(const QString& text, const QString& name) const {
        return streamed(text.arg(shown(path(name))));
    }

private:
    TempFolder m_folder;
};

#ifdef Q_OS_WIN
std::wstring windowsPath(const QString& path) {
    return QDir::toNativeSeparators(path).toStdWString();
}

// The file's access list in the security descriptor language, or empty.
QString accessList(const QString& path) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(windowsPath(path).c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS)
        return QString();
    wchar_t* text = nullptr;
    ConvertSecurityDescriptorToStringSecurityDescriptorW(descriptor, SDDL_REVISION_1,
                                                         DACL_SECURITY_INFORMATION, &text, nullptr);
    const QString list = text ? QString::fromWCharArray(text) : QString();
    LocalFree(text);
    LocalFree(descriptor);
    return list;
}

bool setAccessList(const QString& path, const wchar_t* list) {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(list, SDDL_REVISION_1, &descriptor,
                                                              nullptr))
        return false;
    BOOL present = FALSE;
    BOOL defaulted = FALSE;
    PACL acl = nullptr;
    GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    std::wstring name = windowsPath(path);
    const bool set =
        SetNamedSecurityInfoW(name.data(), SE_FILE_OBJECT,
                              DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                              nullptr, nullptr, acl, nullptr) == ERROR_SUCCESS;
    LocalFree(descriptor);
    return set;
}
#endif

#ifdef Q_OS_UNIX
// Nothing, root included, may rename over an immutable file: a save that fails as its files take
// their places. False where the file system has no such flag.
bool setImmutable(const QString& path, bool on);

// The file's access list as getfacl prints it, without the header naming the file.
QByteArray accessListOf(const QString& path) {
    QProcess getfacl;
    getfacl.start(QStringLiteral("getfacl"), {QStringLiteral("--omit-header"), path});
    getfacl.waitForFinished();
    return getfacl.readAllStandardOutput();
}

bool setImmutable(const QString& path, bool on) {
    return QProcess::execute(QStringLiteral("chattr"),
                             {on ? QStringLiteral("+i") : QStringLiteral("-i"), path}) == 0;
}

// A mount namespace of the tool's own, where the file is mounted over the list: nothing may
// rename over a mount point (EBUSY). The mount ends with the tool.
QStringList mountedOver(const QString& file, const QString& list) {
    return {QStringLiteral("unshare"),
            QStringLiteral("-m"),
            QStringLiteral("sh"),
            QStringLiteral("-c"),
            QStringLiteral("mount --bind \"$0\" \"$1\" && shift && exec \"$@\""),
            file,
            list};
}

// An account that owns none of the test's files.
const QStringList kAsAnotherUser = {QStringLiteral("setpriv"), QStringLiteral("--reuid=12345"),
                                    QStringLiteral("--regid=12345"),
                                    QStringLiteral("--clear-groups")};

void setMode(const QString& path, mode_t mode) {
    ::chmod(QFile::encodeName(path).constData(), mode);
}
#endif

// Keeps a list file from being replaced, in one of the ways an administrator or another program
// does, until released.
class Blocker final {
public:
    Blocker(const QString& how, const QString& path)
        : m_how(how)
        , m_path(path) {
        if (how == QLatin1String("read-only")) {
#ifdef Q_OS_WIN
            m_on = SetFileAttributesW(windowsPath(path).c_str(), FILE_ATTRIBUTE_READONLY);
#else
            m_on = ::chmod(QFile::encodeName(path).constData(), 0444) == 0;
#endif
        }
#ifdef Q_OS_WIN
        else if (how == QLatin1String("held open")) {
            m_held = std::make_unique<quillmere::test::FileHeldOpen>(path);
            m_on = m_held->isOpen();
        }
#else
        else if (how == QLatin1String("immutable")) {
            m_on = setImmutable(path, true);
        } else if (how == QLatin1String("mounted over")) {
            const QString file =
                QDir::cleanPath(QFileInfo(path).absolutePath() + QStringLiteral("/../mounted.txt"));
            QFile mounted(file);
            m_on = mounted.open(QIODevice::WriteOnly) && mounted.write("m.ex\r\n") == 6;
            mounted.close();
            m_conditions.startedBy = mountedOver(file, path);
            m_on = m_on && QProcess::execute(m_conditions.startedBy.constFirst(),
                                             m_conditions.startedBy.mid(1) +
                                                 QStringList{QStringLiteral("true")}) == 0;
        } else if (how == QLatin1String("another user's, sticky folder")) {
            // The tool runs as an account that may write the folders but owns neither them nor
            // the list, which is root's.
            m_conditions.startedBy = kAsAnotherUser;
            m_on =
                ::geteuid() == 0 &&
                QProcess::execute(kAsAnotherUser.constFirst(),
                                  kAsAnotherUser.mid(1) + QStringList{QStringLiteral("true")}) == 0;
            if (m_on) {
                const QDir folder = QFileInfo(path).absoluteDir();
                m_folders = {QFileInfo(folder.absolutePath()).absolutePath(),
                             folder.absolutePath()};
                setMode(m_folders[0], 0755);
                setMode(m_folders[1], 01777);
                setMode(QFileInfo(m_folders[0] + QStringLiteral("/data")).absoluteFilePath(), 0777);
            }
        }
#endif
    }
    ~Blocker() {
        release();
    }
    Blocker(const Blocker&) = delete;
    Blocker& operator=(const Blocker&) = delete;

    bool isOn() const {
        return m_on;
    }
    // How the tool is to be run for the block to hold.
    const CliConditions& conditions() const {
        return m_conditions;
    }
    void release() {
        if (!m_on)
            return;
        m_on = false;
        if (m_how == QLatin1String("read-only")) {
#ifdef Q_OS_WIN
            SetFileAttributesW(windowsPath(m_path).c_str(), FILE_ATTRIBUTE_NORMAL);
#else
            ::chmod(QFile::encodeName(m_path).constData(), 0644);
#endif
        }
#ifdef Q_OS_WIN
        m_held.reset();
#else
        else if (m_how == QLatin1String("immutable"))
            setImmutable(m_path, false);
        else if (!m_folders.isEmpty())
            setMode(m_folders[1], 0755);
#endif
    }

private:
    QString m_how;
    QString m_path;
    bool m_on = false;
    CliConditions m_conditions;
    QStringList m_folders; // the folders whose modes were changed
#ifdef Q_OS_WIN
    std::unique_ptr<quillmere::test::FileHeldOpen> m_held;
#endif
};

} // namespace

class TestCliAroundTheSave : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // The backup kept for an administrator to turn to must be of a list a save really replaced.
    void aFailedSaveKeepsNoBackup() {
        Lists lists;
        QCOMPARE(lists.run(words("add c.ex")).exitCode, 0);
        QCOMPARE(lists.backups().size(), 1);
#ifdef Q_OS_WIN
        // The mail server reading the list keeps it from being replaced.
        auto blocker = std::make_unique<quillmere::test::FileHeldOpen>(lists.path(kMain));
        QVERIFY(blocker->isOpen());
        const QByteArray reason = streamed(
            QStringLiteral("another program holds it open (%1)")
                .arg(quillmere::test::withoutFullStop(quillmere::test::sharingViolationReason())));
#else
        if (!setImmutable(lists.path(kMain), true))
            QSKIP("the file system cannot make a file immutable (chattr +i)");
        const QByteArray reason = "it is marked immutable (chattr +i), so nothing may replace it";
#endif
        // More failures than backups are kept.
        for (int k = 0; k < 11; ++k) {
            const CliRun run = lists.run(words("sort main"));
            QCOMPARE(run.exitCode, 1);
            QCOMPARE(run.err, lists.messageAbout(QStringLiteral("Cannot save %1: "), kMain) +
                                  reason + "\nNo list file was changed.\n");
        }
#ifdef Q_OS_WIN
        blocker.reset();
#else
        QVERIFY(setImmutable(lists.path(kMain), false));
#endif
        QCOMPARE(lists.backups().size(), 1);
        QCOMPARE(lists.read(kBackups + QLatin1Char('/') + lists.backups().constFirst()),
                 QByteArray("a.ex\r\nb.ex\r\n"));
        QCOMPARE(lists.run(words("sort main")).exitCode, 0);
        QCOMPARE(lists.backups().size(), 2);
        // The backup is no second name of the live file: writing the list in place leaves it.
        QFile live(lists.path(kMain));
        QVERIFY(live.open(QIODevice::WriteOnly | QIODevice::Truncate));
        live.write("x.ex\r\n");
        live.close();
        QCOMPARE(lists.read(kBackups + QLatin1Char('/') + lists.backups().constLast()),
                 QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
    }

    // Every file is checked before the first one changes: a list that may not or cannot be
    // replaced fails the save with the tracking lists as they were, nothing journaled, no backup,
    // and a retry adds no second copy.
    void aSaveThatCannotReplaceEveryFileChangesNone_data() {
        QTest::addColumn<QString>("blocked");
        QTest::addColumn<QString>("how");
        QTest::addColumn<QString>("reason");
        const QString readOnly =
            QStringLiteral("it is read-only, and a read-only list is kept as it is");
        QTest::newRow("Main list read-only") << kMain << QStringLiteral("read-only") << readOnly;
        QTest::newRow("Added list read-only") << kAdded << QStringLiteral("read-only") << readOnly;
#ifdef Q_OS_WIN
        QTest::newRow("Main list held open") << kMain << QStringLiteral("held open")
                                             << QStringLiteral("another program holds it open (%1)")
                                                    .arg(quillmere::test::withoutFullStop(
                                                        quillmere::test::sharingViolationReason()));
#else
        QTest::newRow("Main list immutable")
            << kMain << QStringLiteral("immutable")
            << QStringLiteral("it is marked immutable (chattr +i), so nothing may replace it");
        QTest::newRow("Main list mounted over")
            << kMain << QStringLiteral("mounted over")
            << QStringLiteral("another file is mounted in its place, which cannot be replaced");
        QTest::newRow("Main list another user's in a sticky folder")
            << kMain << QStringLiteral("another user's, sticky folder")
            << QStringLiteral("it belongs to root (uid 0) in %1, a folder where only a file's "
                              "owner may replace it (sticky)");
#endif
    }
    void aSaveThatCannotReplaceEveryFileChangesNone() {
        QFETCH(QString, blocked);
        QFETCH(QString, how);
        QFETCH(QString, reason);
        Lists lists;
        lists.folder().write(kAdded, "old.ex\r\n");
        const QString path = lists.path(blocked);
        Blocker blocker(how, path);
        if (!blocker.isOn())
            QSKIP("the system cannot block the file this way here (no chattr +i, no mount "
                  "namespace of the tool's own, or not root to run it as another account)");
        if (reason.contains(QLatin1String("%1")))
            reason = reason.arg(shown(QFileInfo(path).absolutePath()));
        for (int attempt = 0; attempt < 2; ++attempt) {
            const CliRun run = lists.run(words("add new.example"), blocker.conditions());
            QCOMPARE(run.err,
                     streamed(QStringLiteral("Cannot save %1: %2\nNo list file was changed.\n")
                                  .arg(shown(path), reason)));
            QCOMPARE(run.exitCode, 1);
        }
        blocker.release();
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\n"));
        QCOMPARE(lists.read(kAdded), QByteArray("old.ex\r\n"));
        QVERIFY(!lists.folder().exists(kJournal));
        QCOMPARE(lists.backups(), QStringList());
    }

#ifdef Q_OS_WIN
    // A reader that lets go after a moment is waited for; the save then goes through.
    void aReaderThatLetsGoIsWaitedFor() {
        Lists lists;
        quillmere::test::FileHeldOpen blocker(lists.path(kMain));
        QVERIFY(blocker.isOpen());
        QProcess process;
        startCli(process, listFolders(lists.folder()) + words("add c.ex"));
        QTimer::singleShot(300, [&blocker] { blocker.release(); });
        QTRY_VERIFY_WITH_TIMEOUT(process.state() == QProcess::NotRunning, 20000);
        const CliRun run = finishCli(process);
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
    }
#endif

    // A backup costs no copy where the data folder is on the list's volume: it is the replaced
    // file itself under a second name. On another volume (or a FAT drive, a share) it is a copy.
    void backupsAreLinksWhereTheVolumeAllows_data() {
        QTest::addColumn<bool>("otherVolume");
        QTest::newRow("data folder on the list's volume: a hard link") << false;
        QTest::newRow("data folder on another volume: a copy") << true;
    }
    void backupsAreLinksWhereTheVolumeAllows() {
        QFETCH(bool, otherVolume);
        Lists lists;
        QString data = lists.path(QStringLiteral("data"));
        std::unique_ptr<QTemporaryDir> elsewhere;
        if (otherVolume) {
#ifdef Q_OS_WIN
            const QString volume = qEnvironmentVariable("QUILLMERE_TEST_OTHER_DRIVE");
#else
            const QString volume = QStringLiteral("/dev/shm");
#endif
            if (volume.isEmpty() || !QFileInfo(volume + QLatin1Char('/')).isDir())
                QSKIP("no second volume to put the data folder on");
            elsewhere = std::make_unique<QTemporaryDir>(volume + QStringLiteral("/data-XXXXXX"));
            data = elsewhere->path();
            if (fileIdentity(data).split(':').constFirst() ==
                fileIdentity(lists.path(QStringLiteral("imail"))).split(':').constFirst())
                QSKIP("the second volume is the list's own here");
        }
        const QByteArray before = fileIdentity(lists.path(kMain));
        const CliRun run =
            runCli({QStringLiteral("--imail-root"), lists.path(QStringLiteral("imail")),
                    QStringLiteral("--data"), data, QStringLiteral("add"), QStringLiteral("c.ex")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        const QStringList kept = QDir(data + QStringLiteral("/backups")).entryList(QDir::Files);
        QCOMPARE(kept.size(), 1);
        const QString backup = data + QStringLiteral("/backups/") + kept.constFirst();
        QFile file(backup);
        QVERIFY(file.open(QIODevice::ReadOnly));
        QCOMPARE(file.readAll(), QByteArray("a.ex\r\nb.ex\r\n"));
        QCOMPARE(fileIdentity(backup) == before, !otherVolume);
    }

#ifdef Q_OS_WIN
    // The new list keeps what the replaced one had: its attributes and its access list, so that
    // the mail server's account can still read a list an administrator saved.
    void aSavedListKeepsItsWindowsAttributesAndAccessList() {
        Lists lists;
        const std::wstring main = windowsPath(lists.path(kMain));
        const DWORD kept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM;
        QVERIFY(SetFileAttributesW(main.c_str(), kept));
        const wchar_t* list = L"D:P(A;;FA;;;SY)(A;;FA;;;BA)(A;;FR;;;WD)";
        const bool listKeptHere = setAccessList(lists.path(kMain), list) &&
                                  accessList(lists.path(kMain)) == QString::fromWCharArray(list);
        const QString before = accessList(lists.path(kMain));

        const CliRun run = lists.run(words("add c.ex"));
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
        QCOMPARE(GetFileAttributesW(main.c_str()) & kept, kept);
        if (!listKeptHere)
            QSKIP("this file system keeps no access list of a file's own (Wine on a Linux file "
                  "system); the attributes were checked");
        QCOMPARE(accessList(lists.path(kMain)), before);
    }
#endif

    void aBackupThatCannotBeKeptFailsTheCommand() {
        Lists lists;
        lists.folder().write(kBackups, "a file where the folder should be");
        const CliRun run = lists.run(words("add c.ex"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err,
                 streamed(QStringLiteral("Cannot keep a backup of %1: the folder %2 cannot be "
                                         "created. %1 was saved without a backup.\n")
                              .arg(shown(lists.path(kMain)), shown(lists.path(kBackups)))));
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
        QCOMPARE(lists.read(kAdded), QByteArray("c.ex\r\n"));
    }

    // Files beside the lists that only look like a killed save's leftovers are the
    // administrator's, and stay; the program's own leftover goes.
    void onlyTheProgramsLeftoversAreRemoved() {
        Lists lists;
        const QStringList kept{QStringLiteral("imail/.url-domain-bl.txt.backup"),
                               QStringLiteral("imail/.url-domain-bl.txt.201612"),
                               QStringLiteral("imail/.url-domain-bl.txt.quillmere-save-abc"),
                               QStringLiteral("data/.url-domain-add.txt.XXXXXX")};
        for (const QString& name : kept)
            lists.folder().write(name, "mine\r\n");
        const QString leftover =
            QStringLiteral("imail/.url-domain-bl.txt.quillmere-save-0a1b2c3d4e5f");
        lists.folder().write(leftover, "half\r\n");
        QCOMPARE(lists.run(words("add c.ex")).exitCode, 0);
        for (const QString& name : kept)
            QVERIFY2(lists.read(name) == "mine\r\n", qPrintable(name));
        QVERIFY(!lists.folder().exists(leftover));
    }

    // A lock file that holds no owner, as a power cut can leave, is taken over once it is a few
    // seconds old; a fresh one is another writer's that has just made it.
    void aLockFileWithoutOwner_data() {
        QTest::addColumn<int>("age");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("a minute old") << 60 << 0;
        QTest::newRow("just made") << 0 << 1;
    }
    void aLockFileWithoutOwner() {
        QFETCH(int, age);
        QFETCH(int, exitCode);
        Lists lists;
        lists.folder().write(kLock, QByteArray());
        QFile lock(lists.path(kLock));
        QVERIFY(lock.open(QIODevice::ReadWrite));
        QVERIFY(lock.setFileTime(QDateTime::currentDateTime().addSecs(-age),
                                 QFileDevice::FileModificationTime));
        lock.close();
        const CliRun run = lists.run(words("--wait 0 add c.ex"));
        QCOMPARE(run.exitCode, exitCode);
        if (exitCode == 0) {
            QCOMPARE(run.err, QByteArray());
            QVERIFY(!lists.folder().exists(kLock));
        } else {
            QCOMPARE(run.err,
                     lists.messageAbout(QStringLiteral("The lists are in use: %1 does not yet say "
                                                       "by whom; gave up waiting after 0 "
                                                       "seconds.\n"),
                                        kLock));
        }
    }

#ifdef Q_OS_UNIX
    // No FIFO in the place of the lock file or the journal makes a command wait forever.
    void specialFilesAreRefusedAtOnce_data() {
        QTest::addColumn<QString>("fifo");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<QString>("error");
        QTest::addColumn<bool>("saved");
        QTest::newRow("lock file a FIFO")
            << kLock << words("--wait 30 clear-added")
            << QStringLiteral("Cannot lock the lists: %1 is not a regular file; remove it.\n")
            << false;
        QTest::newRow("journal a FIFO")
            << kJournal << words("clear-added")
            << QStringLiteral("The journal of hand edits %1 could not be written: it is not a "
                              "regular file\n")
            << true;
    }
    void specialFilesAreRefusedAtOnce() {
        QFETCH(QString, fifo);
        QFETCH(QStringList, command);
        QFETCH(QString, error);
        QFETCH(bool, saved);
        Lists lists;
        QByteArray many;
        for (int i = 0; i < 5000; ++i)
            many += "hand-" + QByteArray::number(i) + ".ex\r\n";
        lists.folder().write(kAdded, many);
        QCOMPARE(::mkfifo(QFile::encodeName(lists.path(fifo)).constData(), 0600), 0);
        const CliRun run = lists.run(command);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, lists.messageAbout(error, fifo));
        QCOMPARE(lists.read(kAdded), saved ? QByteArray() : many);
    }

    // A link is followed only where the administrator made it for a list: the Main list that is
    // a link keeps being one, the journal and the backups are never what a link names.
    void linksAreFollowedOnlyForTheLists() {
        Lists lists;
        lists.folder().write(QStringLiteral("shared/list.txt"), "a.ex\r\nb.ex\r\n");
        QFile::remove(lists.path(kMain));
        QVERIFY(QFile::link(QStringLiteral("../shared/list.txt"), lists.path(kMain)));
        lists.folder().write(QStringLiteral("elsewhere.txt"), "not a journal\n");
        QVERIFY(QFile::link(lists.path(QStringLiteral("elsewhere.txt")), lists.path(kJournal)));

        const CliRun run = lists.run(words("add c.ex"));
        QCOMPARE(run.err, lists.messageAbout(QStringLiteral("The journal of hand edits %1 could "
                                                            "not be written: it is a symbolic "
                                                            "link, not a regular file\n"),
                                             kJournal));
        QCOMPARE(run.exitCode, 1);
        QVERIFY(QFileInfo(lists.path(kMain)).isSymLink());
        QCOMPARE(lists.read(QStringLiteral("shared/list.txt")),
                 QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
        QCOMPARE(lists.read(QStringLiteral("elsewhere.txt")), QByteArray("not a journal\n"));
        const QString backup = kBackups + QLatin1Char('/') + lists.backups().constFirst();
        QVERIFY(!QFileInfo(lists.path(backup)).isSymLink());
        QCOMPARE(lists.read(backup), QByteArray("a.ex\r\nb.ex\r\n"));

        // A link among the backups is none of them, and never becomes the Main list.
        const QString planted = QStringLiteral("url-domain-bl-000009-20261208-051949.txt");
        QVERIFY(QFile::link(lists.path(QStringLiteral("elsewhere.txt")),
                            lists.path(kBackups + QLatin1Char('/') + planted)));
        const CliRun restore = lists.run({QStringLiteral("restore"), planted});
        QCOMPARE(restore.exitCode, 1);
        QCOMPARE(restore.err, streamed(QStringLiteral("%1 is not a backup in %2\n")
                                           .arg(planted, shown(lists.path(kBackups)))));
        QCOMPARE(lists.read(QStringLiteral("shared/list.txt")),
                 QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
    }

    // A journal line cut short by a full disk is taken back, and the reason is the system's.
    void aJournalLineCutShortIsTakenBack() {
        Lists lists;
        const QByteArray earlier(1990, 'j');
        lists.folder().write(kJournal, earlier + "\r\n");
        const CliRun run = lists.run(words("add c.ex"), CliConditions{2010, {}, {}, {}});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, lists.messageAbout(QStringLiteral("The journal of hand edits %1 could "
                                                            "not be written: File too large\n"),
                                             kJournal));
        QCOMPARE(lists.read(kJournal), earlier + "\r\n");
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
    }

    // The new list takes over the replaced one's access list (with its mask) and its own
    // extended attributes, so the mail server's account named there can still read it.
    void aSavedListKeepsItsPosixAccessListAndExtendedAttributes() {
        Lists lists;
        const QString main = lists.path(kMain);
        const QByteArray name = QFile::encodeName(main);
        QCOMPARE(::chmod(name.constData(), 0600), 0);
        if (QProcess::execute(QStringLiteral("setfacl"),
                              {QStringLiteral("-m"), QStringLiteral("u:12345:r"), main}) != 0)
            QSKIP("no setfacl, or the file system keeps no access lists");
        const QByteArray origin = "the administrator";
        if (::setxattr(name.constData(), "user.origin", origin.constData(),
                       std::size_t(origin.size()), 0) != 0)
            QSKIP("the file system keeps no user attributes");
        const QByteArray before = accessListOf(main);
        QVERIFY(before.contains("user:12345:r--\n"));
        QVERIFY(before.contains("mask::r--\n"));

        const CliRun run = lists.run(words("add c.ex"));
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\nc.ex\r\n"));
        QCOMPARE(accessListOf(main), before);
        char kept[64] = {};
        QCOMPARE(::getxattr(name.constData(), "user.origin", kept, sizeof kept),
                 ssize_t(origin.size()));
        QCOMPARE(QByteArray(kept), origin);
    }

    // Running as root, a link is followed only when it and its folder belong to root (or to the
    // user running the tool): another account's link is refused, naming it and its owner, and
    // the file it names is neither read, written nor backed up.
    void asRootOnlyTrustedLinksAreFollowed_data() {
        QTest::addColumn<bool>("linkOfAnother");
        QTest::addColumn<bool>("folderOfAnother");
        QTest::addColumn<QString>("error");
        QTest::newRow("root's link in root's folder") << false << false << QString();
        QTest::newRow("a link of another account")
            << true << false
            << QStringLiteral("Cannot read %1: the symbolic link %1 belongs to uid 12345, and as "
                              "root only links that belong to root or to the user running the "
                              "program are followed\n");
        QTest::newRow("root's link in another account's folder")
            << false << true
            << QStringLiteral("Cannot read %1: the symbolic link %1 is in %2, a folder that "
                              "belongs to uid 12345, and as root only links in folders of root or "
                              "of the user running the program are followed\n");
    }
    void asRootOnlyTrustedLinksAreFollowed() {
        QFETCH(bool, linkOfAnother);
        QFETCH(bool, folderOfAnother);
        QFETCH(QString, error);
        if (::geteuid() != 0)
            QSKIP("only a process running as root refuses links");
        Lists lists;
        const QByteArray secret = "root:secret:1:0:99999:7:::\r\n";
        lists.folder().write(QStringLiteral("shadow"), secret);
        const QString main = lists.path(kMain);
        QFile::remove(main);
        QVERIFY(QFile::link(lists.path(QStringLiteral("shadow")), main));
        if (linkOfAnother)
            QCOMPARE(::lchown(QFile::encodeName(main).constData(), 12345, 12345), 0);
        const QString imail = lists.path(QStringLiteral("imail"));
        if (folderOfAnother)
            QCOMPARE(::chown(QFile::encodeName(imail).constData(), 12345, 12345), 0);

        const CliRun run = lists.run(words("add c.ex"));
        if (error.isEmpty()) {
            QCOMPARE(run.err, QByteArray());
            QCOMPARE(run.exitCode, 0);
            QCOMPARE(lists.read(QStringLiteral("shadow")), secret + "c.ex\r\n");
            return;
        }
        QCOMPARE(run.err, streamed(error.arg(shown(main), shown(imail))));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lists.read(QStringLiteral("shadow")), secret);
        QVERIFY(!lists.folder().exists(kAdded));
        QCOMPARE(lists.backups(), QStringList());
    }

    // A tool started with standard output and error closed writes its messages nowhere rather
    // than into the first file it opens (the lock file, here kept by an append-only folder that
    // lets nothing be removed from it).
    void closedStandardStreamsTakeNoFile() {
        Lists lists;
        const QString imail = lists.path(QStringLiteral("imail"));
        if (QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("+a"), imail}) != 0)
            QSKIP("the file system cannot make a folder append-only (chattr +a)");
        QProcess process;
        process.start(QStringLiteral("/bin/sh"),
                      QStringList{QStringLiteral("-c"),
                                  QStringLiteral("exec \"$0\" \"$@\" 1>&- 2>&-"),
                                  QStringLiteral(QUILLMERE_CLI_PATH)} +
                          listFolders(lists.folder()) + words("sort main"));
        QVERIFY(process.waitForFinished(60000));
        QCOMPARE(QProcess::execute(QStringLiteral("chattr"), {QStringLiteral("-a"), imail}), 0);
        QCOMPARE(process.exitCode(), 1);
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb.ex\r\n"));
        const QByteArray lock = lists.read(kLock);
        QVERIFY2(!lock.contains("Cannot save"), lock.constData());
        QVERIFY2(!lock.contains("No list file"), lock.constData());
    }
#endif
};

QTEST_GUILESS_MAIN(TestCliAroundTheSave)
#include "tst_CliAroundTheSave.moc"
