#include "platform/SystemQueueLauncher.h"

#include <QFileInfo>
#include <QProcess>

namespace quillmere {

QString SystemQueueLauncher::batchFilePath(const QString& installPath) {
    return installPath + QStringLiteral("/rQueue.bat");
}

QString SystemQueueLauncher::startQueueRestart(const QString& installPath) {
    QProcess process;
    const QString batchFile = batchFilePath(installPath);
    if (QFileInfo(batchFile).isExecutable()) {
        process.setProgram(batchFile);
    } else {
        process.setProgram(QStringLiteral("/bin/sh"));
        process.setArguments({batchFile});
    }
    if (!process.startDetached())
        return startFailure(batchFile, process);
    return QString();
}

} // namespace quillmere
