#include "CliCommand.h"
#include "eval/AddedEvaluation.h"
#include "lists/ListFiles.h"
#include "merge/FactoryMerge.h"

#include <new>
#include <optional>
#include <utility>

namespace quillmere::cli {

namespace {

// The file is read whole before any list changes; a file that cannot be read changes nothing.
std::optional<EntryList::Block> readChosenFile(const CliContext& context, const QString& path) {
    ReadResult read = readFileBytes(path);
    if (!read.bytes)
        context.printError(read.error);
    return std::move(read.bytes);
}

QString countLine(std::size_t count, const char* suffix) {
    return QString::number(count) + QLatin1String(suffix);
}

int mergeLists(CliContext& context, EntryList::Block mainBytes,
               std::optional<EntryList::Block> factoryBytes) {
    TrackedLists& lists = context.lists;
    MergeOutcome outcome = mergeFactoryList(std::move(mainBytes), std::move(factoryBytes),
                                            lists.added(), lists.removed());
    if (context.dryRun) {
        context.saveAfterwards = false;
        context.printLine(countLine(outcome.gained, " gained"));
        context.printLine(countLine(outcome.lost, " lost"));
        context.printLine(countLine(outcome.main.size(), " listed"));
        return Success;
    }
    lists.replace(ListId::Main, std::move(outcome.main));
    lists.setModified(ListId::Main, true);
    context.printLine(QString::fromStdString(lists.countText(ListId::Main)));
    return Success;
}

// The Main list is read as its file's bytes, which the merge takes without making the list's
// views. Running out of memory, in the reads or the merge, leaves the Main list unmarked, so
// nothing is saved.
int runMerge(CliContext& context, const QString& factoryPath) {
    try {
        std::optional<EntryList::Block> mainBytes =
            readChosenFile(context, mainListPath(context.imailPath));
        if (!mainBytes)
            return Failure;
        std::optional<EntryList::Block> factoryBytes;
        if (!factoryPath.isNull()) {
            factoryBytes = readChosenFile(context, factoryPath);
            if (!factoryBytes)
                return Failure;
        }
        return mergeLists(context, std::move(*mainBytes), std::move(factoryBytes));
    } catch (const std::bad_alloc&) {
        context.printError(
            QStringLiteral("Not enough memory to merge the lists; nothing was saved."));
        return Failure;
    }
}

int merge(CliContext& context, const QStringList& arguments) {
    return runMerge(context, arguments.at(0));
}

int rebuild(CliContext& context, const QStringList&) {
    return runMerge(context, QString());
}

int evaluate(CliContext& context, const QStringList& arguments) {
    const std::optional<EntryList::Block> releaseBytes = readChosenFile(context, arguments.at(0));
    if (!releaseBytes)
        return Failure;
    const AddedEvaluation evaluation = evaluateAdded(context.lists.added(), **releaseBytes);
    context.printLine(QStringLiteral("Unique"));
    for (std::string_view entry : evaluation.unique)
        context.printEntry(entry);
    context.printLine(QString());
    context.printLine(QStringLiteral("Listed in release"));
    for (std::string_view entry : evaluation.listed)
        context.printEntry(entry);
    if (context.trim)
        trimAdded(context.lists, evaluation);
    else
        context.saveAfterwards = false;
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"merge", "FILE [--dry-run]",
     "merge a factory list, re-apply the added and removed lists, sort; prints \"N listed\"", 1, 1,
     merge, MainListUse::ReadByCommand},
    {"rebuild", "[--dry-run]", "re-apply the added and removed lists and sort; prints \"N listed\"",
     0, 0, rebuild, MainListUse::ReadByCommand},
    {"evaluate", "FILE [--trim]",
     "print the added entries a release lacks and those it lists; --trim keeps only the first", 1,
     1, evaluate, MainListUse::Unused},
};

} // namespace

std::span<const CliCommand> mergeCommands() {
    return kCommands;
}

bool takesDryRun(const CliCommand& command) {
    return command.run == merge || command.run == rebuild;
}

bool takesTrim(const CliCommand& command) {
    return command.run == evaluate;
}

} // namespace quillmere::cli
