#include "platform/SystemQueueLauncher.h"

#include <QProcess>

namespace quillmere {

QString SystemQueueLauncher::batchFilePath(const QString& installPath) {
    return installPath + QStringLiteral("\\rQueue.bat");
}

QString SystemQueueLauncher::startQueueRestart(const QString& installPath) {
    QProcess process;
    process.setProgram(QStringLiteral("rundll32.exe"));
    // Handed over as one native command line, so the path keeps its blanks unquoted.
    process.setNativeArguments(rundllArguments(installPath));
    if (!process.startDetached())
        return startFailure(QStringLiteral("rundll32.exe ") + rundllArguments(installPath),
                            process);
    return QString();
}

} // namespace quillmere
