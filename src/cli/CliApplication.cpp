#include "CliApplication.h"

#include "CliCommand.h"
#include "SettingsCommands.h"
#include "app/CommandLineText.h"
#include "lists/ListFiles.h"
#include "lists/ListLoader.h"
#include "lists/ListSaver.h"
#include "platform/SystemRegistry.h"

#include <QCommandLineParser>
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

constexpr QLatin1String kProgram("quillmere-cli");

QString usageText(const QCommandLineParser& parser) {
    QString text = helpText(parser, kProgram + QStringLiteral(" [options] command [arguments]"));
    text += QStringLiteral("\nCommands:\n");
    for (const CliCommand& command : allCommands()) {
        const QString head = QStringLiteral("  %1 %2").arg(QLatin1String(command.name),
                                                           QLatin1String(command.arguments));
        text += head.leftJustified(34) + QLatin1String(command.description) + QLatin1Char('\n');
    }
    return text + settingsUsage() +
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
    if (const CliCommand* command = findCommand(name)) {
        context.printLine(commandHelp(*command));
        return Success;
    }
    context.printError(QStringLiteral("Unknown command \"%1\".\n").arg(name) + usageText(parser));
    return Usage;
}

} // namespace

int runCli(const QStringList& arguments) {
    CliContext context;
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
    if (isSettingsCommand(name))
        return runSettingsCommand(*openSystemRegistry(parser.value(registryFileOption)), context,
                                  positional);
    const CliCommand* command = findCommand(name);
    if (!command) {
        context.printError(QStringLiteral("Unknown command \"%1\".\n").arg(name) +
                           usageText(parser));
        return Usage;
    }
    if (positional.size() < command->minArguments ||
        (command->maxArguments >= 0 && positional.size() > command->maxArguments)) {
        context.printError(commandUsage(*command));
        return Usage;
    }
    context.dryRun = parser.isSet(dryRunOption);
    context.trim = parser.isSet(trimOption);
    const bool dryRunMisplaced = context.dryRun && !takesDryRun(*command);
    if (dryRunMisplaced || (context.trim && !takesTrim(*command))) {
        const QString option =
            dryRunMisplaced ? QStringLiteral("--dry-run") : QStringLiteral("--trim");
        context.printError(QStringLiteral("The command %1 takes no %2 option.")
                               .arg(QLatin1String(command->name), option));
        return Usage;
    }
    context.imailPath = parser.value(imailOption);
    context.dataPath = parser.value(dataOption);
    if (!parser.isSet(imailOption) || !parser.isSet(dataOption)) {
        const auto registry = openSystemRegistry(parser.value(registryFileOption));
        if (!useStoredFolders(*registry, context, !parser.isSet(imailOption),
                              !parser.isSet(dataOption)))
            return Usage;
    }

    const LoadOutcome loaded = loadLists(context.lists, context.imailPath, context.dataPath);
    if (!loaded.mainFound) {
        context.printError(QStringLiteral("The blacklist %1 does not exist.")
                               .arg(displayPath(mainListPath(context.imailPath))));
        return Failure;
    }
    if (!loaded.errors.isEmpty()) {
        for (const QString& error : loaded.errors)
            context.printError(error);
        return Failure;
    }

    int status = command->run(context, positional);
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
