#include "cli/CliRunner.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QTest>

namespace {

const QByteArray kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n";

// A stand-in for rQueue.bat that writes ran.txt beside itself once the file go is there, so a
// test can tell that the tool returned before the batch file went on.
#ifdef Q_OS_WIN
const QByteArray kRecorder = "@echo off\r\n"
                             ":wait\r\n"
                             "if not exist \"%~dp0go\" goto wait\r\n"
                             "echo ran> \"%~dp0ran.txt\"\r\n";
const QByteArray kRan = "ran\r\n";
#else
const QByteArray kRecorder = "#!/bin/sh\n"
                             "here=$(dirname \"$0\")\n"
                             "while [ ! -f \"$here/go\" ]; do sleep 0.1; done\n"
                             "echo ran > \"$here/ran.txt\"\n";
const QByteArray kRan = "ran\n";
#endif

// The first start of a batch file under Wine takes seconds.
constexpr int kStartTimeout = 60000;

// A machine with a settings file. In stored values and expected messages "@" stands for the
// temporary folder and "/" for the platform's separator, as the installer records paths.
class Machine {
public:
    QByteArray native(QByteArray text) const {
        text.replace('/', QDir::toNativeSeparators(QStringLiteral("/")).toUtf8());
        return text.replace('@', QDir::toNativeSeparators(folder.path()).toUtf8());
    }
    void store(const QByteArray& values) const {
        folder.write(QStringLiteral("registry.ini"), kKey + native(values));
    }
    void installRecorder(const QString& name) const {
        folder.write(name + QStringLiteral("/rQueue.bat"), kRecorder);
        QFile::setPermissions(folder.filePath(name + QStringLiteral("/rQueue.bat")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    CliRun run(QStringList arguments) const {
        arguments.prepend(QString::fromUtf8(native("@/registry.ini")));
        arguments.prepend(QStringLiteral("--registry"));
        return runCli(arguments);
    }

    TempFolder folder;
};

} // namespace

class TestCliRestartQueue : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // As the window does: rundll32's FileProtocolHandler on Windows, the file itself elsewhere,
    // with the path's blanks kept; the tool does not wait for the batch file.
    void startsTheBatchFileWithoutWaiting() {
        Machine machine;
        machine.installRecorder(QStringLiteral("Program Files/Quillmere"));
        machine.store("installPath=@/Program Files/Quillmere\n");
        const CliRun run = machine.run({QStringLiteral("restart-queue")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, QByteArray());
        QVERIFY(!machine.folder.exists(QStringLiteral("Program Files/Quillmere/ran.txt")));
        machine.folder.write(QStringLiteral("Program Files/Quillmere/go"), "");
        QTRY_COMPARE_WITH_TIMEOUT(
            machine.folder.read(QStringLiteral("Program Files/Quillmere/ran.txt")), kRan,
            kStartTimeout);
    }

    // Each row: the stored values ("@" is the temporary folder), what stands in the install
    // folder ("recorder", "folder": a folder named rQueue.bat, or nothing) and the message.
    void reportsWhatCannotBeStarted_data() {
        QTest::addColumn<QByteArray>("stored");
        QTest::addColumn<QString>("inInstallFolder");
        QTest::addColumn<QByteArray>("err");
        const QByteArray notStored =
            "No install folder is stored "
            "(HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\installPath), so rQueue.bat "
            "cannot be found: please reinstall\n";
        const auto notAbsolute = [](const char* value) {
            return "The stored installPath "
                   "(HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\installPath) is \"" +
                   QByteArray(value) +
                   "\", not an absolute folder, so rQueue.bat cannot be found: please reinstall\n";
        };
        const auto missing = [](const char* folder) {
            return "The queue restart batch file @/" + QByteArray(folder) +
                   "/rQueue.bat does not exist: reinstall, or put rQueue.bat into the install "
                   "folder @/" +
                   folder + '\n';
        };
        QTest::newRow("not stored") << QByteArray("imailPath=@\n") << QString() << notStored;
        QTest::newRow("no rQueue.bat")
            << QByteArray("installPath=@/my install\n") << QString() << missing("my install");
        QTest::newRow("no install folder")
            << QByteArray("installPath=@/gone\n") << QString() << missing("gone");
        QTest::newRow("a folder named rQueue.bat")
            << QByteArray("installPath=@/my install\n") << QStringLiteral("folder")
            << QByteArray("Cannot read @/my install/rQueue.bat: it is a folder, not a file\n");
        QTest::newRow("relative") << QByteArray("installPath=my install\n")
                                  << QStringLiteral("recorder") << notAbsolute("my install");
        QTest::newRow("empty") << QByteArray("installPath=\n") << QString() << notAbsolute("");
        QTest::newRow("settings file unreadable")
            << QByteArray("installPath @/my install\n") << QStringLiteral("recorder")
            << QByteArray("Cannot read the settings file @/registry.ini: line 2 is neither a "
                          "[section] nor a name=value line\n");
    }
    void reportsWhatCannotBeStarted() {
        QFETCH(QByteArray, stored);
        QFETCH(QString, inInstallFolder);
        QFETCH(QByteArray, err);
        Machine machine;
        machine.store(stored);
        if (inInstallFolder == QLatin1String("recorder"))
            machine.installRecorder(QStringLiteral("my install"));
        else if (inInstallFolder == QLatin1String("folder"))
            machine.folder.subfolder(QStringLiteral("my install/rQueue.bat"));
        const CliRun run = machine.run({QStringLiteral("restart-queue")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, machine.native(err));
    }

    // The command works on no list: the list options are wrong usage, as are arguments. A
    // stored install folder with its batch file is there, so a command run by mistake would
    // succeed instead.
    void refusesWhatItDoesNotTake_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("an argument")
            << words("restart-queue now")
            << QByteArray("Usage: quillmere-cli [--registry FILE] restart-queue\n");
        const auto refused = [](const char* option) {
            return QByteArray("The command restart-queue takes no --") + option + " option.\n";
        };
        QTest::newRow("--imail-root")
            << words("--imail-root /i restart-queue") << refused("imail-root");
        QTest::newRow("--data") << words("restart-queue --data /d") << refused("data");
        QTest::newRow("--dry-run") << words("restart-queue --dry-run") << refused("dry-run");
        QTest::newRow("--trim") << words("restart-queue --trim") << refused("trim");
        QTest::newRow("--wait") << words("--wait 5 restart-queue") << refused("wait");
        QTest::newRow("--ignore-case")
            << words("restart-queue --ignore-case") << refused("ignore-case");
        QTest::newRow("--list") << words("restart-queue --list main") << refused("list");
    }
    void refusesWhatItDoesNotTake() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, err);
        Machine machine;
        machine.installRecorder(QStringLiteral("install"));
        machine.store("installPath=@/install\n");
        const CliRun run = machine.run(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, err);
    }

#ifndef Q_OS_WIN
    // A batch file whose interpreter is missing cannot be started; the task must hear it.
    void reportsAStartThatFailed() {
        Machine machine;
        machine.folder.write(QStringLiteral("install/rQueue.bat"), "#!/nonexistent/sh\n");
        QFile::setPermissions(machine.folder.filePath(QStringLiteral("install/rQueue.bat")),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        machine.store("installPath=@/install\n");
        const CliRun run = machine.run({QStringLiteral("restart-queue")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err,
                 machine.native("Could not start @/install/rQueue.bat: execv: No such file or "
                                "directory\n"));
    }
#endif
};

QTEST_GUILESS_MAIN(TestCliRestartQueue)
#include "tst_CliRestartQueue.moc"
