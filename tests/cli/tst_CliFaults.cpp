#include "cli/CliRunner.h"
#include "fakes/FullDrive.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLockFile>
#include <QProcess>
#include <QSysInfo>
#include <QTest>
#include <memory>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#else
#include "fakes/SystemReason.h"
#endif
#include <vector>

using quillmere::test::FullDrive;

namespace {

QByteArray numberedEntries(int count, const char* pattern) {
    QByteArray bytes;
    for (int i = 0; i < count; ++i)
        bytes += QByteArray(pattern).replace('#', QByteArray::number(i)) + "\r\n";
    return bytes;
}

QString native(const TempFolder& folder, const QString& name) {
    return QDir::toNativeSeparators(folder.filePath(name));
}

QSet<QByteArray> lines(const QByteArray& bytes) {
    QSet<QByteArray> set;
    for (const QByteArray& line : bytes.split('\n'))
        set.insert(line.trimmed());
    set.remove(QByteArray());
    return set;
}
} // namespace

class TestCliFaults : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // A save that cannot write one of its files changes no list file and says why.
    void failedSaveChangesNoFile_data() {
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QByteArray>("removed");
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<qint64>("fileSizeLimit");
        QTest::addColumn<QString>("dataFolder");
        QTest::addColumn<QString>("failingPath");
        QTest::addColumn<QString>("reason");

        const QByteArray bigMain = numberedEntries(800, "domain-#.example");
#ifdef Q_OS_UNIX
        QTest::newRow("full disk while writing the main list")
            << bigMain << QByteArray() << QStringList{QStringLiteral("add"), QStringLiteral("n.ex")}
            << qint64(4096) << QStringLiteral("data") << kMain << QStringLiteral("File too large");
        // A merge writes the new list as it makes it, before the save.
        QTest::newRow("full disk while a rebuild writes the main list")
            << bigMain << QByteArray() << QStringList{QStringLiteral("rebuild")} << qint64(4096)
            << QStringLiteral("data") << kMain << QStringLiteral("File too large");
#endif
#ifdef Q_OS_UNIX
        QTest::newRow("full disk while writing the removed list")
            << QByteArray("a.ex\r\nb.ex\r\n") << numberedEntries(800, "removed-#.example")
            << QStringList{QStringLiteral("remove"), QStringLiteral("a.ex")} << qint64(4096)
            << QStringLiteral("data") << kRemoved << QStringLiteral("File too large");
#endif
        QTest::newRow("data folder names a file")
            << QByteArray("a.ex\r\n") << QByteArray()
            << QStringList{QStringLiteral("add"), QStringLiteral("n.ex")} << qint64(-1)
            << QStringLiteral("blocker/data") << QString() << QString();
    }
    void failedSaveChangesNoFile() {
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, removed);
        QFETCH(QStringList, command);
        QFETCH(qint64, fileSizeLimit);
        QFETCH(QString, dataFolder);
        QFETCH(QString, failingPath);
        QFETCH(QString, reason);

        TempFolder folder;
        folder.write(kMain, main);
        folder.subfolder(QStringLiteral("data"));
        if (!removed.isEmpty())
            folder.write(kRemoved, removed);
        folder.write(QStringLiteral("blocker"), "not a folder");

        const CliRun run = runCli(listFolders(folder, dataFolder) + command,
                                  CliConditions{fileSizeLimit, {}, {}, {}});
        const QString firstLine =
            failingPath.isEmpty()
                ? QStringLiteral("Cannot create the tracking data folder %1")
                      .arg(native(folder, dataFolder))
                : QStringLiteral("Cannot save %1: %2").arg(native(folder, failingPath), reason);
        QCOMPARE(QString::fromUtf8(run.err),
                 firstLine + QStringLiteral("\nNo list file was changed.\n"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(folder.read(kMain), main);
        QCOMPARE(folder.read(kRemoved), removed);
        QVERIFY(!folder.exists(kAdded));
        QCOMPARE(
            QDir(folder.filePath(QStringLiteral("imail"))).entryList(QDir::Files | QDir::Hidden),
            QStringList{QStringLiteral("url-domain-bl.txt")});
    }

    void parallelAddsAreAllKept() {
        TempFolder folder;
        folder.write(kMain, "a.ex\r\n");
        std::vector<std::unique_ptr<QProcess>> processes;
        QSet<QByteArray> expected{"a.ex"};
        for (int i = 0; i < 20; ++i) {
            const QString domain = QStringLiteral("parallel-%1.ex").arg(i);
            expected.insert(domain.toLatin1());
            processes.push_back(std::make_unique<QProcess>());
            startCli(*processes.back(),
                     listFolders(folder) + QStringList{QStringLiteral("add"), domain});
        }
        for (auto& process : processes) {
            const CliRun run = finishCli(*process);
            QVERIFY2(run.exitCode == 0, run.err.constData());
        }
        QCOMPARE(lines(folder.read(kMain)), expected);
        expected.remove("a.ex");
        QCOMPARE(lines(folder.read(kAdded)), expected);
    }

    void addDuringAMergeIsKept() {
        TempFolder folder;
        folder.write(kMain, numberedEntries(200000, "old-#.example"));
        folder.write(QStringLiteral("factory.txt"), numberedEntries(200000, "new-#.example"));
        QProcess merge;
        startCli(merge,
                 listFolders(folder) + QStringList{QStringLiteral("merge"),
                                                   folder.filePath(QStringLiteral("factory.txt"))});
        QVERIFY(merge.waitForStarted());
        const CliRun add = runCli(listFolders(folder) +
                                  QStringList{QStringLiteral("add"), QStringLiteral("late.ex")});
        QCOMPARE(add.exitCode, 0);
        QCOMPARE(finishCli(merge).exitCode, 0);
        QVERIFY(lines(folder.read(kMain)).contains("late.ex"));
        QCOMPARE(folder.read(kAdded), QByteArray("late.ex\r\n"));
    }

    void heldLockFailsNamingItsHolder() {
        TempFolder folder;
        folder.write(kMain, "a.ex\r\n");
        QLockFile lock(folder.filePath(QStringLiteral("imail/url-domain-bl.txt.lock")));
        QVERIFY(lock.tryLock(0));
        const CliRun run = runCli(listFolders(folder) +
                                  QStringList{QStringLiteral("--wait"), QStringLiteral("0"),
                                              QStringLiteral("add"), QStringLiteral("n.ex")});
        QCOMPARE(run.exitCode, 1);
        // The host as the lock file records it (Windows keeps its computer name in capitals).
        qint64 pid = 0;
        QString host;
        QString program;
        QVERIFY(lock.getLockInfo(&pid, &host, &program));
        QCOMPARE(host.toLower(), QSysInfo::machineHostName().toLower());
        QCOMPARE(QString::fromLocal8Bit(run.err),
                 QStringLiteral("The lists are in use by %1 (process %2 on %3), which holds %4; "
                                "gave up waiting after 0 seconds.\n")
                     .arg(QCoreApplication::applicationName())
                     .arg(QCoreApplication::applicationPid())
                     .arg(host, native(folder, QStringLiteral("imail/url-domain-bl.txt.lock"))));
        QCOMPARE(folder.read(kMain), QByteArray("a.ex\r\n"));
    }

    void staleLockOfADeadProcessIsTakenOver() {
        TempFolder folder;
        folder.write(kMain, "a.ex\r\n");
        const QString lockPath = folder.filePath(QStringLiteral("imail/url-domain-bl.txt.lock"));
        QByteArray lockBytes;
        {
            QLockFile lock(lockPath);
            QVERIFY(lock.tryLock(0));
            QFile file(lockPath);
            QVERIFY(file.open(QIODevice::ReadOnly));
            lockBytes = file.readAll();
        }
        QProcess gone;
        gone.start(QStringLiteral(QUILLMERE_CLI_PATH), {QStringLiteral("--version")});
        QVERIFY(gone.waitForStarted());
        const qint64 deadPid = gone.processId();
        QVERIFY(gone.waitForFinished());
        folder.write(QStringLiteral("imail/url-domain-bl.txt.lock"),
                     QByteArray::number(deadPid) + lockBytes.mid(lockBytes.indexOf('\n')));
        const CliRun run = runCli(listFolders(folder) +
                                  QStringList{QStringLiteral("--wait"), QStringLiteral("0"),
                                              QStringLiteral("add"), QStringLiteral("n.ex")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(folder.read(kMain), QByteArray("a.ex\r\nn.ex\r\n"));
        QVERIFY(!QFileInfo::exists(lockPath));
    }

    // Each row: the --wait value and how the command ends. Past a day is refused: the lock's wait
    // is counted in milliseconds.
    void waitIsASecondCountUpToADay_data() {
        QTest::addColumn<QString>("wait");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err");
        const auto refused = [](const char* value) {
            return "--wait takes a whole number of seconds from 0 to 86400 (a day), not \"" +
                   QByteArray(value) + "\".\n";
        };
        QTest::newRow("a word") << QStringLiteral("soon") << 2 << refused("soon");
        QTest::newRow("negative") << QStringLiteral("-1") << 2 << refused("-1");
        QTest::newRow("a day") << QStringLiteral("86400") << 0 << QByteArray();
        QTest::newRow("a second more") << QStringLiteral("86401") << 2 << refused("86401");
        QTest::newRow("milliseconds past 32 bits")
            << QStringLiteral("4294968") << 2 << refused("4294968");
        QTest::newRow("past 32 bits") << QStringLiteral("4294967296") << 2 << refused("4294967296");
    }
    void waitIsASecondCountUpToADay() {
        QFETCH(QString, wait);
        QFETCH(int, exitCode);
        TempFolder folder;
        folder.write(kMain, "a.ex\r\n");
        const CliRun run = runCli(listFolders(folder) + QStringList{QStringLiteral("--wait"), wait,
                                                                    QStringLiteral("add"),
                                                                    QStringLiteral("n.ex")});
        QTEST(run.err, "err");
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(folder.read(kMain), QByteArray(exitCode == 0 ? "a.ex\r\nn.ex\r\n" : "a.ex\r\n"));
    }

    // Each row: a command whose standard output cannot take what it prints, into /dev/full or
    // into a file under a size limit (a full disk); the exit status and the system's reason.
    void failedWriteToStandardOutputIsReported_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<qint64>("fileSizeLimit");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QString>("reason");
        const QString full = QStringLiteral("No space left on device");
        const QString tooLarge = QStringLiteral("File too large");
        QTest::newRow("show, /dev/full") << words("show main") << qint64(-1) << 1 << full;
#ifdef Q_OS_UNIX
        QTest::newRow("show, full disk") << words("show main") << qint64(1000) << 1 << tooLarge;
#endif
        QTest::newRow("count, /dev/full") << words("count") << qint64(-1) << 1 << full;
        QTest::newRow("history, /dev/full") << words("history") << qint64(-1) << 1 << full;
#ifdef Q_OS_UNIX
        QTest::newRow("history, full disk") << words("history") << qint64(100) << 1 << tooLarge;
#endif
        // Their status 1 is an answer, so an error is 2.
        QTest::newRow("query, /dev/full")
            << words("query domain-7.example") << qint64(-1) << 2 << full;
#ifdef Q_OS_UNIX
        QTest::newRow("check, full disk") << words("check") << qint64(4) << 2 << tooLarge;
#endif
        QTest::newRow("merge, /dev/full, after its save")
            << words("rebuild") << qint64(-1) << 1 << full;
        QTest::newRow("help, /dev/full") << words("--help") << qint64(-1) << 1 << full;
    }
    void failedWriteToStandardOutputIsReported() {
        QFETCH(QStringList, command);
        QFETCH(qint64, fileSizeLimit);
        QFETCH(QString, reason);
        TempFolder folder;
        const QByteArray main = numberedEntries(2000, "domain-#.example");
        folder.write(kMain, main);
        folder.subfolder(QStringLiteral("data"));
        folder.write(QStringLiteral("data/url-domain-log.txt"),
                     numberedEntries(20, "2026-12-08T05:19:49Z\tadmin\thost\twindow\tadd\t#.ex"));
        const QString outFile = fileSizeLimit < 0 ? QStringLiteral("/dev/full")
                                                  : folder.filePath(QStringLiteral("out"));
        const CliRun run = runCli(listFolders(folder) + command, {fileSizeLimit, {}, outFile, {}});
        QCOMPARE(QString::fromUtf8(run.err),
                 QStringLiteral("Cannot write to standard output: %1\n").arg(reason));
        QTEST(run.exitCode, "exitCode");
        if (fileSizeLimit >= 0) {
            // What was written is the beginning of the output, as far as it went.
            const CliRun whole = runCli(listFolders(folder) + command);
            QCOMPARE(folder.read(QStringLiteral("out")), whole.out.left(fileSizeLimit));
        }
        if (command.constFirst() == QLatin1String("rebuild"))
            QVERIFY(folder.read(kMain) != main);
    }

#ifdef Q_OS_WIN
    // Windows has no file-size limit to give the tool: a drive of the tests' own, filled up,
    // stands in for a full disk. The tracking lists, or standard output, go there.
    void fullDriveOnWindows_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<bool>("outputThere");
        QTest::addColumn<QString>("error");
        QTest::newRow("saving the removed list")
            << words("remove domain-1.example") << false
            << QStringLiteral("Cannot save %1\\data\\url-domain-rem.txt: %2\nNo list file was "
                              "changed.\n");
        QTest::newRow("standard output")
            << words("show main") << true
            << QStringLiteral("Cannot write to standard output: No space left on device\n");
        // Only the Main list is saved, elsewhere; its journal line cannot be added.
        QTest::newRow("the journal")
            << words("sort main") << false
            << QStringLiteral("The journal of hand edits %1\\data\\url-domain-log.txt could not "
                              "be written: %2\n");
    }
    void fullDriveOnWindows() {
        QFETCH(QStringList, command);
        QFETCH(bool, outputThere);
        QFETCH(QString, error);
        FullDrive drive(FullDrive::Fill::Later);
        // A journal that fills its last block of the drive, so a new line needs another.
        const QByteArray journal = "2026-12-08T05:19:49Z\tadmin\thost\twindow\tadd\t" +
                                   QByteArray(4096 - 48, 'a') + ".ex\r\n";
        QFile earlier(drive.folder() + QStringLiteral("/data/url-domain-log.txt"));
        // A file in the backups' place: a backup that failed part-way would free room again.
        QFile backups(drive.folder() + QStringLiteral("/data/backups"));
        if (!drive.folder().isEmpty() && earlier.open(QIODevice::WriteOnly) &&
            backups.open(QIODevice::WriteOnly)) {
            earlier.write(journal);
            earlier.close();
            backups.close();
        }
        drive.fill();
        if (drive.folder().isEmpty())
            QSKIP(qPrintable(drive.why()));
        TempFolder folder;
        const QByteArray main = numberedEntries(2000, "domain-#.example");
        folder.write(kMain, main);
        const QString data = outputThere ? folder.subfolder(QStringLiteral("data"))
                                         : drive.folder() + QStringLiteral("/data");
        const CliRun run = runCli(
            QStringList{QStringLiteral("--imail-root"), folder.filePath(QStringLiteral("imail")),
                        QStringLiteral("--data"), data} +
                command,
            CliConditions{
                -1, {}, outputThere ? drive.folder() + QStringLiteral("/out") : QString(), {}});
        QCOMPARE(run.exitCode, 1);
        const QString diskFull =
            quillmere::test::withoutFullStop(quillmere::test::diskFullReason());
        const QString expected = error.contains(QLatin1Char('%'))
                                     ? error.arg(QDir::toNativeSeparators(drive.folder()), diskFull)
                                     : error;
        if (command.constFirst() == QLatin1String("sort")) {
            const QString mainPath = QDir::toNativeSeparators(folder.filePath(kMain));
            QCOMPARE(QString::fromLocal8Bit(run.err),
                     QStringLiteral("Cannot keep a backup of %1: the folder %2 cannot be created. "
                                    "%1 was saved without a backup.\n")
                             .arg(mainPath, QDir::toNativeSeparators(backups.fileName())) +
                         expected);
        } else {
            QCOMPARE(QString::fromLocal8Bit(run.err), expected);
            QCOMPARE(folder.read(kMain), main);
        }
        // No torn line is left in the journal.
        QVERIFY(earlier.open(QIODevice::ReadOnly));
        QCOMPARE(earlier.readAll(), journal);
    }
#endif

#ifdef Q_OS_UNIX
    void saveKeepsOwnerAndPermissions() {
        if (geteuid() != 0)
            QSKIP("only root can give a file to another owner");
        TempFolder folder;
        folder.write(kMain, "a.ex\r\n");
        const QByteArray path = QFile::encodeName(folder.filePath(kMain));
        QCOMPARE(chown(path.constData(), 65534, 65534), 0);
        QCOMPARE(chmod(path.constData(), 0640), 0);
        QCOMPARE(
            runCli(listFolders(folder) + QStringList{QStringLiteral("add"), QStringLiteral("n.ex")})
                .exitCode,
            0);
        struct stat after {};
        QCOMPARE(stat(path.constData(), &after), 0);
        QCOMPARE(after.st_uid, uid_t(65534));
        QCOMPARE(after.st_gid, gid_t(65534));
        QCOMPARE(after.st_mode & 07777, mode_t(0640));
        QCOMPARE(folder.read(kMain), QByteArray("a.ex\r\nn.ex\r\n"));
    }
#endif
};

QTEST_GUILESS_MAIN(TestCliFaults)
#include "tst_CliFaults.moc"
