#include "cli/CliApplication.h"

#include "app/CommandLineText.h"
#include "app/files/EditJournal.h"
#include "app/files/ListFiles.h"
#include "app/files/ListLoader.h"
#include "app/files/ListLock.h"
#include "app/files/ListSaver.h"
#include "cli/CliCommand.h"
#include "cli/RestartQueueCommand.h"
#include "cli/SettingsCommands.h"
#include "platform/AbsoluteFolder.h"
#include "platform/SystemQueueLauncher.h"
#include "platform/SystemRegistry.h"

#include <QCommandLineParser>
#include <algorithm>
#include <chrono>
#include <new>
#include <vector>

namespace quillmere::cli {

namespace {

std::vector<CliCommand> allCommands() {
    std::vector<CliCommand> commands;
    for (const CliCommand& command : listCommands())
        commands.push_back(command);
    for (const CliCommand& command : mergeCommands())
        commands.push_back(command);
    for (const CliCommand& command : backupCommands())
        commands.push_back(command);
    for (const CliCommand& command : answerCommands())
        commands.push_back(command);
    for (const CliCommand& command : updateCommands())
        commands.push_back(command);
    return commands;
}

constexpr QLatin1String kProgram("quillmere-cli");

// A day is longer than any save, so a longer wait can only be a mistake (a value meant as
// milliseconds, say).
constexpr int kLongestWait = 24 * 60 * 60;

QString usageText(const QCommandLineParser& parser) {
    QString text = helpText(parser, kProgram + QStringLiteral(" [options] command [arguments]"));
    text += QStringLiteral("\nCommands:\n");
    for (const CliCommand& command : allCommands()) {
        const QString head = QStringLiteral("%1 %2").arg(QLatin1String(command.name),
                                                         QLatin1String(command.arguments));
        text += usageLine(head.trimmed(), QLatin1String(command.description));
    }
    return text + settingsUsage() + restartQueueUsage() +
           QStringLiteral("\nquillmere-cli COMMAND --help describes one command.\n\n"
                          "Exit status: 0 on success, 1 when anything failed, 2 on wrong usage.");
}

QString commandUsage(const CliCommand& command) {
    QString line =
        QStringLiteral("Usage: %1 [options] %2").arg(kProgram, QLatin1String(command.name));
    if (*command.arguments != '\0')
        line += QLatin1Char(' ') + QLatin1String(command.arguments);
    return line;
}

QString commandHelp(const CliCommand& command) {
    return commandUsage(command) + QStringLiteral("\n\n") + QLatin1String(command.help) +
           QStringLiteral("\n\nThe options --registry, --imail-root and --data, and the exit "
                          "statuses:\nsee quillmere-cli --help.");
}

// Commands that may change a list hold the lock from before their load until after their save.
bool mayChangeLists(const CliCommand& command, const CliContext& context) {
    const QLatin1String name(command.name);
    if (name == QLatin1String("show") || name == QLatin1String("count") ||
        name == QLatin1String("backups") || changesNothing(command))
        return false;
    if (takesDryRun(command))
        return !context.dryRun;
    if (takesTrim(command))
        return context.trim;
    return true;
}

const CliCommand* findCommand(const QString& name) {
    static const std::vector<CliCommand> commands = allCommands();
    for (const CliCommand& command : commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
}

int reportMissingBlacklist(const CliContext& context, const CliCommand& command) {
    context.printError(QStringLiteral("The blacklist %1 does not exist.")
                           .arg(displayPath(mainListPath(context.imailPath))));
    return failureStatus(command);
}

// The lock keeps other instances of this tool out; a program that writes the files without it
// (an editor, a copy) is caught by the change check and never overwritten.
int save(CliContext& context) {
    const SaveOutcome outcome =
        saveAll(context.lists, {context.imailPath, context.dataPath, &context.loadedFiles, false});
    for (const QString& warning : outcome.warnings)
        context.printError(warning);
    for (const QString& path : outcome.changedOnDisk)
        context.printError(
            QStringLiteral("%1 was changed by another program while this command ran.").arg(path));
    if (!outcome.changedOnDisk.isEmpty())
        context.printError(QStringLiteral("No list file was changed."));
    for (const QString& error : outcome.errors)
        context.printError(error);
    if (!outcome.saved())
        return Failure;
    const QString journalError =
        journalSavedEdits(context.lists, context.dataPath, JournalProgram::Cli);
    if (!journalError.isEmpty())
        context.printError(journalError);
    // The lists stand, but what should have been kept beside them was not.
    return journalError.isEmpty() && outcome.warnings.isEmpty() ? Success : Failure;
}

// Options a command does not take are wrong usage rather than silently ignored. Reports the
// first one given.
bool refuseOptionsNotTaken(const CliContext& context, const QCommandLineParser& parser,
                           const QString& commandName, const QList<QCommandLineOption>& notTaken) {
    for (const QCommandLineOption& option : notTaken) {
        if (parser.isSet(option)) {
            context.printError(QStringLiteral("The command %1 takes no --%2 option.")
                                   .arg(commandName, option.names().constFirst()));
            return true;
        }
    }
    return false;
}

// Loads the lists and runs the command on them. A load that fails leaves nothing to save.
int loadAndRun(CliContext& context, const CliCommand& command, const QStringList& arguments) {
    const LoadOutcome loaded =
        command.mainList == MainListUse::Loaded
            ? loadLists(context.lists, context.imailPath, context.dataPath, kChangeCheck)
            : loadTrackingLists(context.lists, context.imailPath, context.dataPath, kChangeCheck);
    if (!loaded.mainFound || !loaded.errors.isEmpty()) {
        context.saveAfterwards = false;
        if (!loaded.mainFound)
            return reportMissingBlacklist(context, command);
        for (const QString& error : loaded.errors)
            context.printError(error);
        return failureStatus(command);
    }
    context.loadedFiles = loaded.files;
    return command.run(context, arguments);
}

// --help alone describes the tool; after a command's name, that command.
int printHelp(const CliContext& context, const QCommandLineParser& parser,
              const QStringList& positional) {
    if (positional.isEmpty()) {
        context.printLine(usageText(parser));
        return Success;
    }
    const QString& name = positional.constFirst();
    if (isSettingsCommand(name)) {
        context.printLine(settingsHelp());
        return Success;
    }
    if (isRestartQueueCommand(name)) {
        context.printLine(restartQueueHelp());
        return Success;
    }
    if (const CliCommand* command = findCommand(name)) {
        context.printLine(commandHelp(*command));
        return Success;
    }
    context.printError(QStringLiteral("Unknown command \"%1\".\n").arg(name) + usageText(parser));
    return Usage;
}

int runCommandLine(CliContext& context, const QStringList& arguments) {
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the Imail URL domain blacklist and its tracking lists."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption versionOption = parser.addVersionOption();
    const QCommandLineOption imailOption(QStringLiteral("imail-root"),
                                         QStringLiteral("The Imail root folder."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption dataOption(
        QStringLiteral("data"), QStringLiteral("The tracking data folder."), QStringLiteral("DIR"));
    const QCommandLineOption registryFileOption = registryOption();
    parser.addOption(registryFileOption);
    const QCommandLineOption dryRunOption(
        QStringLiteral("dry-run"),
        QStringLiteral("merge, rebuild, update: print what would change and save nothing."));
    const QCommandLineOption trimOption(
        QStringLiteral("trim"), QStringLiteral("evaluate: then trim the added list and save it."));
    const QCommandLineOption waitOption(
        QStringLiteral("wait"),
        QStringLiteral("How long a command that changes the lists waits for another writer to "
                       "finish (default 30; 0: fail at once; at most 86400, a day)."),
        QStringLiteral("SECONDS"), QStringLiteral("30"));
    parser.addOption(imailOption);
    parser.addOption(dataOption);
    parser.addOption(waitOption);
    parser.addOption(dryRunOption);
    parser.addOption(trimOption);
    parser.addOptions(answerOptions());
    parser.addOptions(updateOptions());
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));

    if (!parser.parse(arguments)) {
        context.printError(parser.errorText() + QLatin1Char('\n') + usageText(parser));
        return Usage;
    }
    if (parser.isSet(versionOption)) {
        context.printLine(versionText(kProgram));
        return Success;
    }
    QStringList positional = parser.positionalArguments();
    // The tool takes no Qt options, so --help-all is --help.
    if (parser.isSet(helpOption) || parser.isSet(QStringLiteral("help-all")))
        return printHelp(context, parser, positional);
    if (positional.isEmpty()) {
        context.printError(QStringLiteral("No command given.\n") + usageText(parser));
        return Usage;
    }
    const QString name = positional.takeFirst();
    // Neither works on the lists: they take only --registry.
    if (isSettingsCommand(name) || isRestartQueueCommand(name)) {
        if (refuseOptionsNotTaken(context, parser, name,
                                  QList<QCommandLineOption>{imailOption, dataOption, dryRunOption,
                                                            trimOption, waitOption} +
                                      answerOptions() + updateOptions()))
            return Usage;
        const auto registry = openSystemRegistry(parser.value(registryFileOption));
        if (isSettingsCommand(name))
            return runSettingsCommand(*registry, context, positional);
        SystemQueueLauncher launcher;
        return runRestartQueue(*registry, launcher, context, positional);
    }
    const CliCommand* command = findCommand(name);
    if (!command) {
        context.printError(QStringLiteral("Unknown command \"%1\".\n").arg(name) +
                           usageText(parser));
        return Usage;
    }
    context.errorStatus = failureStatus(*command);
    if (positional.size() < command->minArguments ||
        (command->maxArguments >= 0 && positional.size() > command->maxArguments)) {
        context.printError(commandUsage(*command));
        return Usage;
    }
    QList<QCommandLineOption> notTaken;
    if (!takesDryRun(*command))
        notTaken << dryRunOption;
    if (!takesTrim(*command))
        notTaken << trimOption;
    if (refuseOptionsNotTaken(context, parser, name, notTaken) ||
        !takeAnswerOptions(parser, *command, context) ||
        !takeUpdateOptions(parser, *command, context))
        return Usage;
    context.dryRun = parser.isSet(dryRunOption);
    context.trim = parser.isSet(trimOption);
    bool waitIsNumber = false;
    const int waitSeconds = parser.value(waitOption).toInt(&waitIsNumber);
    if (!waitIsNumber || waitSeconds < 0 || waitSeconds > kLongestWait) {
        context.printError(QStringLiteral("--wait takes a whole number of seconds from 0 to %1 (a "
                                          "day), not \"%2\".")
                               .arg(kLongestWait)
                               .arg(parser.value(waitOption)));
        return Usage;
    }
    // A relative or empty folder (an unset shell variable) would put the lists into the current
    // or the root folder.
    for (const QCommandLineOption& folder : {imailOption, dataOption}) {
        const QString value = parser.value(folder);
        if (parser.isSet(folder) && !isAbsoluteFolder(value)) {
            context.printError(QStringLiteral("--%1 must be an absolute folder, not \"%2\"")
                                   .arg(folder.names().constFirst(), value));
            return Usage;
        }
    }
    context.imailPath = parser.value(imailOption);
    context.dataPath = parser.value(dataOption);
    context.registryFile = parser.value(registryFileOption);
    if (!parser.isSet(imailOption) || !parser.isSet(dataOption)) {
        const auto registry = openSystemRegistry(parser.value(registryFileOption));
        if (const int status = useStoredFolders(*registry, context, !parser.isSet(imailOption),
                                                !parser.isSet(dataOption));
            status != Success)
            return status;
    }

    // Nothing to lock in a folder without a blacklist; a folder or FIFO in its place is the
    // load's to report.
    if (checkFilePath(mainListPath(context.imailPath)).kind == PathKind::Missing)
        return reportMissingBlacklist(context, *command);
    ListLock lock(context.imailPath);
    if (mayChangeLists(*command, context) && !lock.acquire(std::chrono::seconds(waitSeconds))) {
        context.printError(lock.error());
        return Failure;
    }

    // Running out of memory anywhere in the load or the command (a huge file, a sort, a merge)
    // ends it with nothing saved, rather than an abort.
    int status = Failure;
    try {
        status = loadAndRun(context, *command, positional);
    } catch (const std::bad_alloc&) {
        context.printError(
            QStringLiteral("Not enough memory to run the command %1; nothing was saved.")
                .arg(name));
        return failureStatus(*command);
    }
    if (context.saveAfterwards && status != Usage) {
        status = std::max(status, save(context));
        if (status == Success && context.afterSave)
            status = std::max(status, context.afterSave(context));
    }
    return status;
}

} // namespace

int runCli(const QStringList& arguments) {
    CliContext context;
    return context.finishOutput(runCommandLine(context, arguments));
}

} // namespace quillmere::cli
