#pragma once

#include <QString>

namespace quillmere {

// Starts the batch file rQueue.bat in the install folder, which restarts Imail's queue manager,
// and returns at once without waiting for it.
class QueueLauncher {
public:
    virtual ~QueueLauncher() = default;
    // Empty when the restart was started; else why it could not be, naming what was to start.
    // The window reports nothing (the batch file's own outcome is never known either); the
    // command-line tool turns it into its exit status.
    virtual QString startQueueRestart(const QString& installPath) = 0;
};

} // namespace quillmere
