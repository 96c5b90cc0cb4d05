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
#include <array>
#include <chrono>
#include <cstdio>
#include <new>
#include <optional>
#include <utility>
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

// Every option that a command declares, each once, in the order the commands come.
QList<QCommandLineOption> commandOptions() {
    QList<QCommandLineOption> options;
    QStringList names;
    for (const CliCommand& command : allCommands()) {
        for (const CommandOption& option : command.options) {
            if (names.contains(QLatin1String(option.name)))
                continue;
            names << QLatin1String(option.name);
            options << option.parserOption();
        }
    }
    return options;
}

bool declares(const CliCommand& command, const QCommandLineOption& option) {
    return std::ranges::any_of(command.options, [&option](const CommandOption& declared) {
        return option.names().contains(QLatin1String(declared.name));
    });
}

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

// Memory that ran out during the save: the lists whose files were replaced by then are no longer
// modified, and the others are as they were.
int reportSaveOutOfMemory(const CliContext& context, const std::array<bool, 3>& modifiedBefore) {
    QStringList saved;
    for (ListId id : {ListId::Added, ListId::Removed, ListId::Main}) {
        if (modifiedBefore[static_cast<std::size_t>(id)] && !context.lists.isModified(id))
            saved << displayPath(id == ListId::Main    ? mainListPath(context.imailPath)
                                 : id == ListId::Added ? addedListPath(context.dataPath)
                                                       : removedListPath(context.dataPath));
    }
    if (saved.isEmpty()) {
        context.printError(
            QStringLiteral("Not enough memory to save the lists; nothing was saved."));
        return Failure;
    }
    context.printError(
        QStringLiteral("Not enough memory to finish the save. Already saved: %1; "
                       "the journal of hand edits %2 was not completed.")
            .arg(saved.join(QStringLiteral(", ")), displayPath(journalPath(context.dataPath))));
    return Failure;
}

// The lock keeps other instances of this tool out; a program that writes the files without it
// (an editor, a copy) is caught by the change check and never overwritten.
int save(CliContext& context) {
    const std::array<bool, 3> modifiedBefore = {context.lists.isModified(ListId::Main),
                                                context.lists.isModified(ListId::Added),
                                                context.lists.isModified(ListId::Removed)};
    SaveOutcome outcome;
    try {
        SaveRequest request{context.imailPath, context.dataPath, &context.loadedFiles, false};
        request.writtenMain = std::exchange(context.writtenMain, {});
        outcome = saveAll(context.lists, request);
    } catch (const std::bad_alloc&) {
        return reportSaveOutOfMemory(context, modifiedBefore);
    }
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
    QString journalError;
    try {
        journalError = journalSavedEdits(context.lists, context.dataPath, JournalProgram::Cli);
    } catch (const std::bad_alloc&) {
        journalError = journalOutOfMemoryError(context.dataPath);
    }
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

// The tool's options: its own, then those that every command on the lists takes, then those that
// the commands declare.
struct ToolOptions {
    ToolOptions();

    QCommandLineParser parser;
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    const QCommandLineOption registry = registryOption();
    const QCommandLineOption imailRoot{QStringLiteral("imail-root"),
                                       QStringLiteral("The Imail root folder."),
                                       QStringLiteral("DIR")};
    const QCommandLineOption data{
        QStringLiteral("data"), QStringLiteral("The tracking data folder."), QStringLiteral("DIR")};
    const QCommandLineOption wait{
        QStringLiteral("wait"),
        QStringLiteral("How long a command that changes the lists waits for another writer to "
                       "finish (default 30; 0: fail at once; at most 86400, a day)."),
        QStringLiteral("SECONDS"), QStringLiteral("30")};
    const QList<QCommandLineOption> ofCommands = commandOptions();
};

ToolOptions::ToolOptions() {
    parser.setApplicationDescription(
        QStringLiteral("Edits the Imail URL domain blacklist and its tracking lists."));
    parser.addOption(registry);
    parser.addOptions({imailRoot, data, wait});
    parser.addOptions(ofCommands);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));
}

// A command on the lists as the command line asks for it, once checked.
struct CommandRun {
    const CliCommand* command = nullptr;
    QStringList arguments;
    CommandOptions options;
    std::chrono::seconds wait{};
};

// Loads the lists and runs the command on them. A load that fails leaves nothing to save.
int loadAndRun(CliContext& context, const CommandRun& run) {
    const CliCommand& command = *run.command;
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
    return command.run(context, run.options, run.arguments);
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

// Parses the command line and answers what needs no command: wrong usage, the version and the
// help. Returns the exit status when that ends the run; otherwise the parser's positional
// arguments are the command's name and arguments.
std::optional<int> parseCommandLine(const CliContext& context, ToolOptions& tool,
                                    const QStringList& arguments) {
    QCommandLineParser& parser = tool.parser;
    if (!parser.parse(arguments)) {
        context.printError(parser.errorText() + QLatin1Char('\n') + usageText(parser));
        return Usage;
    }
    if (parser.isSet(tool.version)) {
        context.printLine(versionText(kProgram));
        return Success;
    }
    const QStringList positional = parser.positionalArguments();
    // The tool takes no Qt options, so --help-all is --help.
    if (parser.isSet(tool.help) || parser.isSet(QStringLiteral("help-all")))
        return printHelp(context, parser, positional);
    if (positional.isEmpty()) {
        context.printError(QStringLiteral("No command given.\n") + usageText(parser));
        return Usage;
    }
    // A relative file would be found from wherever the tool happens to start, an empty one
    // (an unset shell variable) nowhere.
    if (parser.isSet(tool.registry) && !isAbsoluteFolder(parser.value(tool.registry))) {
        context.printError(QStringLiteral("--registry must be an absolute file, not \"%1\"")
                               .arg(parser.value(tool.registry)));
        return Usage;
    }
    return std::nullopt;
}

// settings and restart-queue work on the stored settings, not the lists: they take only
// --registry.
int runOnSettings(const CliContext& context, const ToolOptions& tool, const QString& name,
                  const QStringList& arguments) {
    if (refuseOptionsNotTaken(context, tool.parser, name,
                              QList<QCommandLineOption>{tool.imailRoot, tool.data, tool.wait} +
                                  tool.ofCommands))
        return Usage;
    const auto registry = openSystemRegistry(tool.parser.value(tool.registry));
    if (isSettingsCommand(name))
        return runSettingsCommand(*registry, context, arguments);
    SystemQueueLauncher launcher;
    return runRestartQueue(*registry, launcher, context, arguments);
}

std::optional<int> waitSeconds(const CliContext& context, const ToolOptions& tool) {
    bool isNumber = false;
    const int seconds = tool.parser.value(tool.wait).toInt(&isNumber);
    if (isNumber && seconds >= 0 && seconds <= kLongestWait)
        return seconds;
    context.printError(QStringLiteral("--wait takes a whole number of seconds from 0 to %1 (a "
                                      "day), not \"%2\".")
                           .arg(kLongestWait)
                           .arg(tool.parser.value(tool.wait)));
    return std::nullopt;
}

// A relative or empty folder (an unset shell variable) would put the lists into the current or
// the root folder.
bool foldersAreAbsolute(const CliContext& context, const ToolOptions& tool) {
    for (const QCommandLineOption& folder : {tool.imailRoot, tool.data}) {
        const QString value = tool.parser.value(folder);
        if (tool.parser.isSet(folder) && !isAbsoluteFolder(value)) {
            context.printError(QStringLiteral("--%1 must be an absolute folder, not \"%2\"")
                                   .arg(folder.names().constFirst(), value));
            return false;
        }
    }
    return true;
}

// Checks a command on the lists against the command line: its name, its arguments, its options
// and the tool's. Returns the exit status when the command line is wrong.
std::optional<int> checkCommand(CliContext& context, const ToolOptions& tool, const QString& name,
                                const QStringList& arguments, CommandRun& run) {
    const CliCommand* command = findCommand(name);
    if (!command) {
        context.printError(QStringLiteral("Unknown command \"%1\".\n").arg(name) +
                           usageText(tool.parser));
        return Usage;
    }
    context.errorStatus = failureStatus(*command);
    if (arguments.size() < command->minArguments ||
        (command->maxArguments >= 0 && arguments.size() > command->maxArguments)) {
        context.printError(commandUsage(*command));
        return Usage;
    }
    QList<QCommandLineOption> notTaken;
    for (const QCommandLineOption& option : tool.ofCommands) {
        if (!declares(*command, option))
            notTaken << option;
    }
    if (refuseOptionsNotTaken(context, tool.parser, name, notTaken))
        return Usage;
    const std::optional<int> wait = waitSeconds(context, tool);
    if (!wait || !foldersAreAbsolute(context, tool))
        return Usage;
    run = {command, arguments, CommandOptions(tool.parser, command->options),
           std::chrono::seconds(*wait)};
    return std::nullopt;
}

// The folders given on the command line, the others as stored. Returns Success, or the exit
// status after reporting a folder that is stored nowhere.
int findFolders(CliContext& context, const ToolOptions& tool) {
    const QCommandLineParser& parser = tool.parser;
    context.imailPath = parser.value(tool.imailRoot);
    context.dataPath = parser.value(tool.data);
    context.registryFile = parser.value(tool.registry);
    if (parser.isSet(tool.imailRoot) && parser.isSet(tool.data))
        return Success;
    const auto registry = openSystemRegistry(parser.value(tool.registry));
    return useStoredFolders(*registry, context, !parser.isSet(tool.imailRoot),
                            !parser.isSet(tool.data));
}

// Runs the command, holding the list lock when it may change a list, and saves what it changed.
int runLocked(CliContext& context, const CommandRun& run) {
    const CliCommand& command = *run.command;
    // Nothing to lock in a folder without a blacklist; a folder or FIFO in its place is the
    // load's to report.
    if (checkFilePath(mainListPath(context.imailPath)).kind == PathKind::Missing)
        return reportMissingBlacklist(context, command);
    ListLock lock(context.imailPath);
    if (command.changesLists(run.options) && !lock.acquire(run.wait)) {
        context.printError(lock.error());
        return Failure;
    }

    // Running out of memory anywhere in the load or the command (a huge file, a sort, a merge)
    // ends it with nothing saved, rather than an abort.
    int status = Failure;
    try {
        status = loadAndRun(context, run);
    } catch (const std::bad_alloc&) {
        context.printError(
            QStringLiteral("Not enough memory to run the command %1; nothing was saved.")
                .arg(QLatin1String(command.name)));
        return failureStatus(command);
    }
    if (context.saveAfterwards && status != Usage) {
        status = std::max(status, save(context));
        if (status == Success && context.afterSave)
            status = std::max(status, context.afterSave(context));
    }
    return status;
}

int runCommandLine(CliContext& context, const QStringList& arguments) {
    ToolOptions tool;
    if (const std::optional<int> status = parseCommandLine(context, tool, arguments))
        return *status;
    QStringList commandArguments = tool.parser.positionalArguments();
    const QString name = commandArguments.takeFirst();
    if (isSettingsCommand(name) || isRestartQueueCommand(name))
        return runOnSettings(context, tool, name, commandArguments);
    CommandRun run;
    if (const std::optional<int> status = checkCommand(context, tool, name, commandArguments, run))
        return *status;
    if (const int status = findFolders(context, tool); status != Success)
        return status;
    return runLocked(context, run);
}

} // namespace

int runCli(const QStringList& arguments) {
    CliContext context;
    // The load, the command and the save say for themselves what memory that runs out leaves;
    // anywhere else (parsing, printing) it still ends the tool with a message, its lock given
    // back, rather than an abort.
    try {
        return context.finishOutput(runCommandLine(context, arguments));
    } catch (const std::bad_alloc&) {
        std::fputs("Not enough memory to run quillmere-cli.\n", stderr);
        return Failure;
    }
}

} // namespace quillmere::cli
