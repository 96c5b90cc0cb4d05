#include "app/files/FileByteSource.h"
#include "app/files/ListFiles.h"
#include "cli/CliCommand.h"
#include "core/eval/AddedEvaluation.h"
#include "core/merge/FactoryMerge.h"

#include <QFileInfo>
#include <memory>
#include <new>
#include <optional>
#include <utility>

namespace quillmere::cli {

namespace {

constexpr CommandOption kDryRun{
    "dry-run", "merge, rebuild, update: print what would change and save nothing."};
constexpr CommandOption kTrim{"trim", "evaluate: then trim the added list and save it."};
constexpr CommandOption kMergeOptions[] = {kDryRun};
constexpr CommandOption kEvaluateOptions[] = {kTrim};

bool changesListsUnlessDryRun(const CommandOptions& options) {
    return !options.isSet(kDryRun);
}

bool changesListsWhenTrimmed(const CommandOptions& options) {
    return options.isSet(kTrim);
}

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

// How a merge reports itself: as merge and rebuild do ("N listed", or the changes with
// --dry-run), or always with its changes, as update does.
struct MergeReport {
    bool dryRun = false;
    bool printChanges = false;
};

// Records what the Main list file was as read, for the change check of the save.
void noteMainRead(CliContext& context, const FileByteSource& mainFile, std::uint64_t size) {
    static_assert(kChangeCheck == ChangeCheck::SizeAndTime);
    context.loadedFiles[static_cast<std::size_t>(ListId::Main)] = FileSnapshot::readInParts(
        mainFile.path(), static_cast<qint64>(size), mainFile.modifiedWhenOpened());
}

// A merge of the Main list file whose new list went straight into the file's replacement as the
// merge made it, so that it was never held, as a list or as text; a dry run only counted it.
struct WrittenMerge {
    MergeOutcome outcome;
    WrittenReplacement written;
};

WrittenMerge mergeIntoReplacement(const QString& mainPath, const FileByteSource& mainFile,
                                  const FactoryReader& readFactory, const TrackedLists& lists,
                                  bool dryRun) {
    WrittenMerge merged;
    bool ran = false;
    const auto mergeTo = [&](const MergeTextSink& text) {
        ran = true;
        merged.outcome =
            mergeFactoryListAsText(mainFile, readFactory, lists.added(), lists.removed(), text);
    };
    const MergeTextSink discard = [](std::string_view) { return true; };
    if (dryRun) {
        mergeTo(discard);
        return merged;
    }
    merged.written.file = std::make_shared<ReplacementFile>(mainPath);
    merged.written.error = merged.written.file->write([&](const ReplacementFile::TextSink& sink) {
        bool whole = true;
        mergeTo([&](std::string_view text) { return whole = sink(text); });
        return whole;
    });
    // A file that could not even be started is the save's to report, after the merge's count,
    // as for any list the save cannot write.
    if (!ran)
        mergeTo(discard);
    return merged;
}

// source names the factory list in the journal; empty for a rebuild.
// Reports a merge and hands its file to the save in the Main list's place.
int applyMerge(CliContext& context, const FileByteSource& mainFile, WrittenMerge merged,
               const std::string& source, MergeReport report, MergeCounts& counts) {
    TrackedLists& lists = context.lists;
    const MergeOutcome& outcome = merged.outcome;
    noteMainRead(context, mainFile, outcome.mainFileBytes);
    counts = {outcome.gained, outcome.lost};
    const QString listed = countLine(outcome.listed, " listed");
    if (report.dryRun || report.printChanges) {
        context.printLine(countLine(outcome.gained, " gained"));
        context.printLine(countLine(outcome.lost, " lost"));
        context.printLine(listed);
    }
    if (report.dryRun) {
        context.saveAfterwards = false;
        return Success;
    }
    context.writtenMain = std::move(merged.written);
    lists.setModified(ListId::Main, true);
    if (source.empty())
        lists.edits().recordMainReplaced(EditAction::Rebuild, {}, outcome.gained, outcome.lost);
    else
        lists.edits().recordMainReplaced(EditAction::Merge, source, outcome.gained, outcome.lost);
    if (!report.printChanges)
        context.printLine(listed);
    return Success;
}

// Running out of memory, in the reads or the merge, leaves the Main list unmarked, so nothing is
// saved.
int reportNoMemoryForTheMerge(CliContext& context) {
    context.saveAfterwards = false;
    context.printError(QStringLiteral("Not enough memory to merge the lists; nothing was saved."));
    return Failure;
}

// The Main list file is read twice; a read that fails, or another program changing the file
// between the two readings, leaves the lists as they were, and nothing is saved.
int reportMainUnread(CliContext& context, const QString& error) {
    context.saveAfterwards = false;
    context.printError(error);
    return Failure;
}

int reportMainChanged(CliContext& context) {
    return reportMainUnread(
        context, QStringLiteral("%1 changed while it was being merged; nothing was saved.")
                     .arg(displayPath(mainListPath(context.imailPath))));
}

// Reports the exception being handled when it is one a merge ends with; any other goes on.
int reportMergeFailure(CliContext& context) {
    try {
        throw;
    } catch (const std::bad_alloc&) {
        return reportNoMemoryForTheMerge(context);
    } catch (const ByteSourceError& failure) {
        return reportMainUnread(context, QString::fromStdString(failure.what()));
    } catch (const MainListChanged&) {
        return reportMainChanged(context);
    }
}

// A wrong data folder would silently drop every hand edit from the merge; a first merge before
// any hand edit is legitimate, so this is a warning only.
void warnOfMissingDataFolder(const CliContext& context) {
    const QString folder = QFileInfo(addedListPath(context.dataPath)).path();
    if (!QFileInfo::exists(folder))
        context.printError(
            QStringLiteral("%1 does not exist: no hand additions or removals are applied")
                .arg(displayPath(context.dataPath)));
}

// The factory file read whole while the merge reads the Main list; a file that cannot be read
// ends the merge as a Main list read that fails does, its error naming the file.
FactoryReader factoryFileReader(const QString& path) {
    return [path] {
        ReadOnceResult read = readFileBytesOnce(path);
        if (!read.keeper)
            throw ByteSourceError(read.error.toStdString());
        return FactoryBytes{read.bytes, nullptr, std::move(read.keeper)};
    };
}

// The Main list is read by the merge from its file, a part at a time, and never held whole; the
// factory file is read whole beside the first reading. The Main list is opened first, so its
// errors come first.
int runMerge(CliContext& context, const std::optional<QString>& factoryPath, bool dryRun) {
    try {
        QString error;
        const std::optional<FileByteSource> mainFile =
            FileByteSource::open(mainListPath(context.imailPath), error);
        if (!mainFile) {
            context.printError(error);
            return Failure;
        }
        warnOfMissingDataFolder(context);
        MergeCounts counts;
        WrittenMerge merged = mergeIntoReplacement(
            mainListPath(context.imailPath), *mainFile,
            factoryPath ? factoryFileReader(*factoryPath) : FactoryReader(), context.lists, dryRun);
        return applyMerge(context, *mainFile, std::move(merged),
                          factoryPath ? journalFilePath(*factoryPath) : std::string(),
                          {dryRun, false}, counts);
    } catch (...) {
        return reportMergeFailure(context);
    }
}

int merge(CliContext& context, const CommandOptions& options, const QStringList& arguments) {
    return runMerge(context, arguments.at(0), options.isSet(kDryRun));
}

int rebuild(CliContext& context, const CommandOptions& options, const QStringList&) {
    return runMerge(context, std::nullopt, options.isSet(kDryRun));
}

int evaluate(CliContext& context, const CommandOptions& options, const QStringList& arguments) {
    const bool trim = options.isSet(kTrim);
    // The window disables the command on an empty Added list; trimming one would only write an
    // empty tracking file.
    if (trim && context.lists.added().empty()) {
        context.printError(QStringLiteral("The Added list is empty."));
        context.saveAfterwards = false;
        return Success;
    }
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
    if (trim)
        trimAdded(context.lists, evaluation);
    else
        context.saveAfterwards = false;
    return Success;
}

constexpr CliCommand kCommands[] = {
    {"merge", "FILE [--dry-run]",
     "merge a factory list, re-apply the added and removed lists, sort; prints \"N listed\"",
     "Merges the factory list FILE, as \"&Merge new factory list...\" does: the main\n"
     "list becomes the sorted union of itself, FILE's lines (cut at each CR LF) and\n"
     "the added list, each entry once, less every entry of the removed list. Prints\n"
     "\"N listed\" and saves the main list; the added and removed lists never change.\n"
     "FILE is read whole first: a file that cannot be read changes nothing.\n"
     "\n"
     "--dry-run  save nothing; print \"N gained\" (entries the main list did not hold),\n"
     "           \"N lost\" (entries of the old main list, counted per copy, that the\n"
     "           new one no longer holds: every copy of a removed domain, and every\n"
     "           extra copy of a duplicated domain, which stays listed once) and\n"
     "           \"N listed\"; the old count less lost plus gained is the new count.",
     1, 1, merge, MainListUse::ReadByCommand, kMergeOptions, changesListsUnlessDryRun},
    {"rebuild", "[--dry-run]", "re-apply the added and removed lists and sort; prints \"N listed\"",
     "Re-applies the added and removed lists to the main list and sorts it, each\n"
     "entry once, as \"Rebuild\" does: a merge without a new file. Prints \"N listed\"\n"
     "and saves the main list.\n"
     "\n"
     "--dry-run  save nothing; print \"N gained\", \"N lost\" and \"N listed\", as\n"
     "           merge --dry-run does.",
     0, 0, rebuild, MainListUse::ReadByCommand, kMergeOptions, changesListsUnlessDryRun},
    {"evaluate", "FILE [--trim]",
     "print the added entries a release lacks and those it lists; --trim keeps only the first",
     "Evaluates the added list against the release FILE, as \"&Evaluate added\n"
     "URLs...\" does: prints \"Unique\", the added entries FILE lacks, an empty line,\n"
     "\"Listed in release\" and the added entries FILE lists, in the added list's\n"
     "order. Changes nothing.\n"
     "\n"
     "--trim  then keep only the unique entries in the added list and save it, as\n"
     "        \"Trim added list\" does. With an empty added list it prints \"The Added\n"
     "        list is empty.\" on standard error, reads no file, changes nothing\n"
     "        and exits with status 0.",
     1, 1, evaluate, MainListUse::Unused, kEvaluateOptions, changesListsWhenTrimmed},
};

} // namespace

FactoryBytesMerge::FactoryBytesMerge(const CliContext& context, EntryList::Block factoryBytes,
                                     bool dryRun)
    : m_done(std::async(std::launch::async, [path = mainListPath(context.imailPath),
                                             &lists = context.lists,
                                             bytes = std::move(factoryBytes), dryRun]() mutable {
        Done done;
        try {
            done.mainFile = FileByteSource::open(path, done.openError);
            if (!done.mainFile)
                return done;
            WrittenMerge merged = mergeIntoReplacement(
                path, *done.mainFile, heldFactory(std::move(bytes)), lists, dryRun);
            done.outcome = std::move(merged.outcome);
            done.written = std::move(merged.written);
        } catch (...) {
            done.failure = std::current_exception();
        }
        return done;
    })) {}

FactoryBytesMerge::~FactoryBytesMerge() {
    if (m_done.valid())
        m_done.wait();
}

int FactoryBytesMerge::finish(CliContext& context, const std::string& source, bool dryRun,
                              MergeCounts& counts) {
    Done done = m_done.get();
    if (!done.mainFile && !done.failure) {
        context.printError(done.openError);
        return Failure;
    }
    try {
        if (done.mainFile)
            warnOfMissingDataFolder(context);
        if (done.failure)
            std::rethrow_exception(done.failure);
        return applyMerge(context, *done.mainFile,
                          {std::move(done.outcome), std::move(done.written)}, source,
                          {dryRun, true}, counts);
    } catch (...) {
        return reportMergeFailure(context);
    }
}

std::span<const CliCommand> mergeCommands() {
    return kCommands;
}

} // namespace quillmere::cli
