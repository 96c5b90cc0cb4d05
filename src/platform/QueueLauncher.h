#pragma once

#include <QString>

namespace quillmere {

// Starts the batch file rQueue.bat in the install folder, which restarts Imail's queue manager,
// and returns at once without waiting for it.
class QueueLauncher {
public:
    virtual ~QueueLauncher() = default;
    virtual void startQueueRestart(const QString& installPath) = 0;
};

} // namespace quillmere
