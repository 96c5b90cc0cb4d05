#pragma once

#include "platform/QueueLauncher.h"

class QProcess;

namespace quillmere {

// On Windows: the command line "rundll32.exe url.dll,FileProtocolHandler <installPath>\rQueue.bat"
// (the path appended as it is, without quotes), which opens the batch file with its handler.
// Elsewhere: <installPath>/rQueue.bat started directly as its own detached process; a file that
// is not executable is handed to /bin/sh as its script.
class SystemQueueLauncher final : public QueueLauncher {
public:
    QString startQueueRestart(const QString& installPath) override;

    // What follows "rundll32.exe" on the Windows command line.
    static QString rundllArguments(const QString& installPath);
    // The batch file that a restart starts: installPath followed by "\rQueue.bat" on Windows,
    // by "/rQueue.bat" elsewhere.
    static QString batchFilePath(const QString& installPath);

private:
    // The error of a start that failed, naming what was started.
    static QString startFailure(const QString& what, const QProcess& process);
};

} // namespace quillmere
