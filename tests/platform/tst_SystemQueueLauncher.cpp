#include "fakes/TempFolder.h"
#include "platform/SystemQueueLauncher.h"

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

#ifndef Q_OS_WIN
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
