#include "fakes/TempFolder.h"
#include "platform/SystemQueueLauncher.h"

#include <QDir>
#include <QFile>
#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

namespace {
// A batch file that records in ran.txt next to itself that it ran, and whether its own
// interpreter line was followed (bash) or it was handed to /bin/sh (dash on Debian).
const QByteArray kRecorder = "#!/bin/bash\n"
                             "if [ -n \"$BASH_VERSION\" ]; then how=direct; else how=sh; fi\n"
                             "echo $how > \"$(dirname \"$0\")/ran.txt\"\n";
} // namespace

class TestSystemQueueLauncher : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void windowsCommandLineCarriesThePathUnquoted() {
        QCOMPARE(SystemQueueLauncher::rundllArguments(QStringLiteral("C:\\Program Files\\X")),
                 QStringLiteral("url.dll,FileProtocolHandler C:\\Program Files\\X\\rQueue.bat"));
    }

#ifdef Q_OS_WIN
    // Each row: the install folder's name. rundll32's url.dll opens the batch file with its
    // handler, cmd, which runs it: the file it writes beside itself proves it.
    void runsTheBatchFileThroughRundll32_data() {
        QTest::addColumn<QString>("install");
        QTest::newRow("blanks in the path") << QStringLiteral("Quillmere Test");
        QTest::newRow("no blanks") << QStringLiteral("QuillmereTest");
    }
    void runsTheBatchFileThroughRundll32() {
        QFETCH(QString, install);
        TempFolder folder;
        const QString path = folder.subfolder(install);
        folder.write(install + QStringLiteral("/rQueue.bat"),
                     "@echo off\r\necho ran> \"%~dp0ran.txt\"\r\n");
        SystemQueueLauncher().startQueueRestart(QDir::toNativeSeparators(path));
        QTRY_COMPARE_WITH_TIMEOUT(folder.read(install + QStringLiteral("/ran.txt")),
                                  QByteArray("ran\r\n"), 30000);
    }
#else
    void startsAnExecutableBatchFileItself() {
        TempFolder folder;
        const QString install = folder.subfolder(QStringLiteral("my install"));
        folder.write(QStringLiteral("my install/rQueue.bat"), kRecorder);
        QFile::setPermissions(install + QStringLiteral("/rQueue.bat"),
                              QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
        SystemQueueLauncher().startQueueRestart(install);
        QTRY_COMPARE(folder.read(QStringLiteral("my install/ran.txt")), QByteArray("direct\n"));
    }

    void runsABatchFileWithoutExecuteRightsThroughSh() {
        TempFolder folder;
        const QString install = folder.subfolder(QStringLiteral("install"));
        folder.write(QStringLiteral("install/rQueue.bat"), kRecorder);
        QFile::setPermissions(install + QStringLiteral("/rQueue.bat"),
                              QFile::ReadOwner | QFile::WriteOwner);
        SystemQueueLauncher().startQueueRestart(install);
        QTRY_COMPARE(folder.read(QStringLiteral("install/ran.txt")), QByteArray("sh\n"));
    }
#endif
};

QTEST_GUILESS_MAIN(TestSystemQueueLauncher)
#include "tst_SystemQueueLauncher.moc"
