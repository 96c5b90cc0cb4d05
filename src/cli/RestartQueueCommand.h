#pragma once

#include "cli/CliContext.h"

#include <QString>
#include <QStringList>

namespace quillmere {
class QueueLauncher;
class Registry;
} // namespace quillmere

namespace quillmere::cli {

// "restart-queue" starts rQueue.bat in the stored install folder as the window's "&Restart Queue
// Manager" does, and returns without waiting for it. It loads no list and takes no lock.
bool isRestartQueueCommand(const QString& name);
int runRestartQueue(Registry& registry, QueueLauncher& launcher, const CliContext& context,
                    const QStringList& arguments);
// Its line in the usage text, and what restart-queue --help prints.
QString restartQueueUsage();
QString restartQueueHelp();

} // namespace quillmere::cli
