#include "CliApplication.h"

#include "CliCommand.h"
#include "SettingsCommands.h"
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
        context.printError(
            QStringLiteral("Usage: quillmere-cli [options] %1 %2")
                .arg(QLatin1String(command->name), QLatin1String(command->arguments)));
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

    const LoadOutcome loaded =
        command->mainList == MainListUse::Loaded
            ? loadLists(context.lists, context.imailPath, context.dataPath)
            : loadTrackingLists(context.lists, context.imailPath, context.dataPath);
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
        // A Main list that was never loaded is never saved, whatever its flag says.
        const QStringList errors =
            command->mainList == MainListUse::Unused
                ? saveMods(context.lists, context.dataPath)
                : saveAll(context.lists, context.imailPath, context.dataPath);
        for (const QString& error : errors)
            context.printError(error);
        if (!errors.isEmpty())
            status = Failure;
    }
    return status;
}

} // namespace quillmere::cli
