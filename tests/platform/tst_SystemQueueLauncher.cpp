#include "fakes/TempFolder.h"
#include "platform/SystemQueueLauncher.h"

#include <QFile>
#include <QTest>

using namespace quillmere;
using namespace quillmere::test;

namespace {
// A batch file that records that it ran, in ran.txt next to itself.
const QByteArray kRecorder = "#!/bin/sh\necho ran > \"$(dirname \"$0\")/ran.txt\"\n";
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
        QTRY_VERIFY(folder.exists(QStringLiteral("my install/ran.txt")));
        QTRY_COMPARE(folder.read(QStringLiteral("my install/ran.txt")), QByteArray("ran\n"));
    }

    void runsABatchFileWithoutExecuteRightsThroughSh() {
        TempFolder folder;
        const QString install = folder.subfolder(QStringLiteral("install"));
        folder.write(QStringLiteral("install/rQueue.bat"), kRecorder);
        QFile::setPermissions(install + QStringLiteral("/rQueue.bat"),
                              QFile::ReadOwner | QFile::WriteOwner);
        SystemQueueLauncher().startQueueRestart(install);
        QTRY_COMPARE(folder.read(QStringLiteral("install/ran.txt")), QByteArray("ran\n"));
    }

    void aMissingBatchFileStartsNothing() {
        TempFolder folder;
        SystemQueueLauncher().startQueueRestart(folder.subfolder(QStringLiteral("install")));
        QTest::qWait(200);
        QVERIFY(!folder.exists(QStringLiteral("install/ran.txt")));
    }
#endif
};

QTEST_GUILESS_MAIN(TestSystemQueueLauncher)
#include "tst_SystemQueueLauncher.moc"
