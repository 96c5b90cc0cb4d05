#include "platform/SystemQueueLauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace quillmere {

namespace {
QString failure(const QString& what, const QProcess& process) {
    return QStringLiteral("Could not start %1: %2").arg(what, process.errorString());
}
} // namespace

QString SystemQueueLauncher::rundllArguments(const QString& installPath) {
    return QStringLiteral("url.dll,FileProtocolHandler ") + installPath +
           QStringLiteral("\\rQueue.bat");
}

QString SystemQueueLauncher::batchFilePath(const QString& installPath) {
#ifdef Q_OS_WIN
    return installPath + QStringLiteral("\\rQueue.bat");
#else
    return installPath + QStringLiteral("/rQueue.bat");
#endif
}

QString SystemQueueLauncher::startQueueRestart(const QString& installPath) {
    QProcess process;
#ifdef Q_OS_WIN
    process.setProgram(QStringLiteral("rundll32.exe"));
    // Handed over as one native command line, so the path keeps its blanks unquoted.
    process.setNativeArguments(rundllArguments(installPath));
    if (!process.startDetached())
        return failure(QStringLiteral("rundll32.exe ") + rundllArguments(installPath), process);
#else
    const QString batchFile = batchFilePath(installPath);
    if (QFileInfo(batchFile).isExecutable()) {
        process.setProgram(batchFile);
    } else {
        process.setProgram(QStringLiteral("/bin/sh"));
        process.setArguments({batchFile});
    }
    if (!process.startDetached())
        return failure(batchFile, process);
#endif
    return QString();
}

} // namespace quillmere
