#include "app/files/ListFiles.h"
#include "app/files/MainListBackups.h"
#include "cli/CliCommand.h"

#include <QFileInfo>

namespace quillmere::cli {

namespace {

int backups(CliContext& context, const CommandOptions&, const QStringList&) {
    const MainListBackups kept(context.dataPath);
    for (const QString& name : kept.names()) {
        QString error;
        const auto entries = readListFile(kept.pathOf(name), &error);
        if (entries)
            context.printLine(QStringLiteral("%1: %2 entries").arg(name).arg(entries->size()));
        else
            context.printError(error);
    }
    return Success;
}

// Putting a backup back is a save like any other: the Main list it replaces is kept in turn.
int restore(CliContext& context, const CommandOptions&, const QStringList& arguments) {
    const MainListBackups kept(context.dataPath);
    const QString path = kept.pathOf(arguments.at(0));
    if (path.isEmpty()) {
        context.printError(QStringLiteral("%1 is not a backup in %2")
                               .arg(arguments.at(0), displayPath(kept.folder())));
        return Failure;
    }
    QString error;
    auto entries = readListFile(path, &error);
    if (!entries) {
        context.printError(error);
        return Failure;
    }
    const ReplacementCount count = countReplacement(context.lists.main(), *entries);
    context.lists.edits().recordMainReplaced(EditAction::Restore, journalFilePath(path),
                                             count.gained, count.lost);
    context.lists.replace(ListId::Main, std::move(*entries));
    context.lists.setModified(ListId::Main, true);
    context.printLine(QString::fromStdString(context.lists.countText(ListId::Main)));
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"backups",
     "",
     "list the kept earlier main lists with their entry counts",
     "Lists the earlier main lists kept in the tracking data folder's backups\n"
     "folder, oldest first, as \"NAME: N entries\". A save keeps the file it replaces\n"
     "there as url-domain-bl-NNNNNN-YYYYMMDD-HHMMSS.txt: a number one above the\n"
     "newest backup's, which orders them, and the time of the save (UTC). The\n"
     "newest ten are kept.\n"
     "Changes nothing.",
     0,
     0,
     backups,
     MainListUse::Unused,
     {},
     neverChangesLists},
    {"restore", "NAME", "put a kept main list back (the current one is kept in turn)",
     "Makes the backup NAME (as \"backups\" lists it) the main list again and saves\n"
     "it, keeping the current main list as a backup in turn. The added and removed\n"
     "lists stay as they are. Prints \"N listed\".",
     1, 1, restore},
};

} // namespace

std::span<const CliCommand> backupCommands() {
    return kCommands;
}

} // namespace quillmere::cli
