#include "cli/RestartQueueCommand.h"

#include "app/files/ListFiles.h"
#include "app/settings/StoredSettings.h"
#include "platform/AbsoluteFolder.h"
#include "platform/QueueLauncher.h"
#include "platform/Registry.h"
#include "platform/SystemQueueLauncher.h"

namespace quillmere::cli {

namespace {

const QString kName = QStringLiteral("restart-queue");

// The stored install folder, or an empty text after reporting why there is none to use. A
// relative one would be looked for from wherever the task happens to start.
QString storedInstallPath(Registry& registry, const CliContext& context) {
    if (const QString problem = storedValuesProblem(registry); !problem.isEmpty()) {
        context.printError(problem);
        return QString();
    }
    const QString valueName = settingName(valueName::installPath);
    const std::optional<QString> installPath = registry.read(valueName);
    if (!installPath) {
        context.printError(
            QStringLiteral("No install folder is stored (%1), so rQueue.bat cannot be found: "
                           "please reinstall")
                .arg(valueName));
        return QString();
    }
    if (!isAbsoluteFolder(*installPath)) {
        context.printError(QStringLiteral("The stored installPath (%1) is \"%2\", not an absolute "
                                          "folder, so rQueue.bat cannot be found: please "
                                          "reinstall")
                               .arg(valueName, *installPath));
        return QString();
    }
    return *installPath;
}

} // namespace

bool isRestartQueueCommand(const QString& name) {
    return name == kName;
}

QString restartQueueUsage() {
    return usageLine(kName, QStringLiteral("start rQueue.bat in the install folder, which restarts "
                                           "Imail's queue manager"));
}

QString restartQueueHelp() {
    return QStringLiteral(
        "Usage: quillmere-cli [--registry FILE] restart-queue\n"
        "\n"
        "Starts rQueue.bat in the install folder (the stored installPath), which\n"
        "restarts Imail's queue manager so that it reads the changed blacklist, as the\n"
        "window's \"Restart Queue Manager\" does: on Windows through the command line\n"
        "rundll32.exe url.dll,FileProtocolHandler INSTALLPATH\\rQueue.bat, elsewhere\n"
        "the file on its own. It returns at once without waiting for the batch file,\n"
        "so exit status 0 means that it was started; an installPath that is not\n"
        "stored or holds no rQueue.bat is exit status 1. It loads no list and takes\n"
        "no lock; after a merge in a scheduled task:\n"
        "  quillmere-cli merge FILE && quillmere-cli restart-queue");
}

int runRestartQueue(Registry& registry, QueueLauncher& launcher, const CliContext& context,
                    const QStringList& arguments) {
    if (!arguments.isEmpty()) {
        context.printError(QStringLiteral("Usage: quillmere-cli [--registry FILE] restart-queue"));
        return Usage;
    }
    const QString installPath = storedInstallPath(registry, context);
    if (installPath.isEmpty())
        return Failure;
    // The window starts the file without looking; a scheduled task needs to hear that nothing
    // will restart.
    const QString batchFile = SystemQueueLauncher::batchFilePath(installPath);
    const PathCheck check = checkFilePath(batchFile);
    if (check.kind == PathKind::Missing) {
        context.printError(QStringLiteral("The queue restart batch file %1 does not exist: "
                                          "reinstall, or put rQueue.bat into the install folder "
                                          "%2")
                               .arg(displayPath(batchFile), displayPath(installPath)));
        return Failure;
    }
    if (check.kind == PathKind::Unreadable) {
        context.printError(check.error);
        return Failure;
    }
    if (const QString error = launcher.startQueueRestart(installPath); !error.isEmpty()) {
        context.printError(error);
        return Failure;
    }
    return Success;
}

} // namespace quillmere::cli
