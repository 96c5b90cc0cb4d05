#include "CliApplication.h"

#include "CliCommand.h"
#include "SettingsCommands.h"
#include "lists/ListFiles.h"
#include "lists/ListLoader.h"
#include "lists/ListSaver.h"
#include "platform/SystemRegistry.h"

#include <QCommandLineParser>
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
    return commands;
}

QString usageText(const QCommandLineParser& parser) {
    QString text = parser.helpText();
    text += QStringLiteral("\nCommands:\n");
    for (const CliCommand& command : allCommands()) {
        const QString head = QStringLiteral("  %1 %2").arg(QLatin1String(command.name),
                                                           QLatin1String(command.arguments));
        text += head.leftJustified(34) + QLatin1String(command.description) + QLatin1Char('\n');
    }
    return text + settingsUsage();
}

const CliCommand* findCommand(const QString& name) {
    static const std::vector<CliCommand> commands = allCommands();
    for (const CliCommand& command : commands) {
        if (name == QLatin1String(command.name))
            return &command;
    }
    return nullptr;
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
    const LoadOutcome loaded = loadLists(context.lists, context.imailPath, context.dataPath);
    if (!loaded.mainFound || !loaded.errors.isEmpty()) {
        context.saveAfterwards = false;
        if (!loaded.mainFound)
            context.printError(QStringLiteral("The blacklist %1 does not exist.")
                                   .arg(displayPath(mainListPath(context.imailPath))));
        for (const QString& error : loaded.errors)
            context.printError(error);
        return Failure;
    }
    return command.run(context, arguments);
}

} // namespace

int runCli(const QStringList& arguments) {
    CliContext context;
    QCommandLineParser parser;
    parser.setApplicationDescription(
        QStringLiteral("Edits the Imail URL domain blacklist and its tracking lists."));
    const QCommandLineOption helpOption = parser.addHelpOption();
    const QCommandLineOption imailOption(QStringLiteral("imail-root"),
                                         QStringLiteral("The Imail root folder."),
                                         QStringLiteral("DIR"));
    const QCommandLineOption dataOption(
        QStringLiteral("data"), QStringLiteral("The tracking data folder."), QStringLiteral("DIR"));
    const QCommandLineOption registryFileOption = registryOption();
    parser.addOption(registryFileOption);
    const QCommandLineOption dryRunOption(
        QStringLiteral("dry-run"),
        QStringLiteral("merge, rebuild: print what would change and save nothing."));
    const QCommandLineOption trimOption(
        QStringLiteral("trim"), QStringLiteral("evaluate: then trim the added list and save it."));
    parser.addOption(imailOption);
    parser.addOption(dataOption);
    parser.addOption(dryRunOption);
    parser.addOption(trimOption);
    parser.addPositionalArgument(QStringLiteral("command"), QStringLiteral("What to do."));

    if (!parser.parse(arguments)) {
        context.printError(parser.errorText() + QLatin1Char('\n') + usageText(parser));
        return Usage;
    }
    if (parser.isSet(helpOption)) {
        context.printLine(usageText(parser));
        return Success;
    }
    QStringList positional = parser.positionalArguments();
    if (positional.isEmpty()) {
        context.printError(QStringLiteral("No command given.\n") + usageText(parser));
        return Usage;
    }
    const QString name = positional.takeFirst();
    if (isSettingsCommand(name)) {
        if (refuseOptionsNotTaken(context, parser, name,
                                  {imailOption, dataOption, dryRunOption, trimOption}))
            return Usage;
        return runSettingsCommand(*openSystemRegistry(parser.value(registryFileOption)), context,
                                  positional);
    }
    const CliCommand* command = findCommand(name);
    if (!command) {
        context.printError(QStringLiteral("Unknown command \"%1\".\n").arg(name) +
                           usageText(parser));
        return Usage;
    }
    if (positional.size() < command->minArguments ||
        (command->maxArguments >= 0 && positional.size() > command->maxArguments)) {
        context.printError(
            QStringLiteral("Usage: quillmere-cli [options] %1 %2")
                .arg(QLatin1String(command->name), QLatin1String(command->arguments)));
        return Usage;
    }
    QList<QCommandLineOption> notTaken;
    if (!takesDryRun(*command))
        notTaken << dryRunOption;
    if (!takesTrim(*command))
        notTaken << trimOption;
    if (refuseOptionsNotTaken(context, parser, name, notTaken))
        return Usage;
    context.dryRun = parser.isSet(dryRunOption);
    context.trim = parser.isSet(trimOption);
    context.imailPath = parser.value(imailOption);
    context.dataPath = parser.value(dataOption);
    if (!parser.isSet(imailOption) || !parser.isSet(dataOption)) {
        const auto registry = openSystemRegistry(parser.value(registryFileOption));
        if (const int status = useStoredFolders(*registry, context, !parser.isSet(imailOption),
                                                !parser.isSet(dataOption));
            status != Success)
            return status;
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
        return Failure;
    }
    if (context.saveAfterwards && status != Usage) {
        const QStringList errors = saveAll(context.lists, context.imailPath, context.dataPath);
        for (const QString& error : errors)
            context.printError(error);
        if (!errors.isEmpty())
            status = Failure;
    }
    return status;
}

} // namespace quillmere::cli
