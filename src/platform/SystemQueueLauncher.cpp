#include "SystemQueueLauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace quillmere {

QString SystemQueueLauncher::rundllArguments(const QString& installPath) {
    return QStringLiteral("url.dll,FileProtocolHandler ") + installPath +
           QStringLiteral("\\rQueue.bat");
}

void SystemQueueLauncher::startQueueRestart(const QString& installPath) {
#ifdef Q_OS_WIN
    QProcess process;
    process.setProgram(QStringLiteral("rundll32.exe"));
    // Handed over as one native command line, so the path keeps its blanks unquoted.
    process.setNativeArguments(rundllArguments(installPath));
    process.startDetached();
#else
    const QString batchFile = installPath + QStringLiteral("/rQueue.bat");
    if (QFileInfo(batchFile).isExecutable())
        QProcess::startDetached(batchFile, {});
    else
        QProcess::startDetached(QStringLiteral("/bin/sh"), {batchFile});
#endif
}

} // namespace quillmere
