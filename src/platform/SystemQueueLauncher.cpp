#include "platform/SystemQueueLauncher.h"

#include <QProcess>

namespace quillmere {

QString SystemQueueLauncher::rundllArguments(const QString& installPath) {
    return QStringLiteral("url.dll,FileProtocolHandler ") + installPath +
           QStringLiteral("\\rQueue.bat");
}

QString SystemQueueLauncher::startFailure(const QString& what, const QProcess& process) {
    return QStringLiteral("Could not start %1: %2").arg(what, process.errorString());
}

} // namespace quillmere
