#pragma once

#include "app/files/FileByteSource.h"
#include "cli/CliContext.h"
#include "cli/CommandOptions.h"
#include "core/lists/EntryList.h"
#include "core/merge/FactoryMerge.h"

#include <QStringList>
#include <exception>
#include <future>
#include <optional>
#include <span>
#include <string>

namespace quillmere::cli {

// What a command needs of the Main list before it runs.
enum class MainListUse {
    Loaded,        // loaded with the tracking lists
    ReadByCommand, // only checked to exist: the command reads the file's bytes itself
    Unused,        // only checked to exist; never saved
};

inline bool alwaysChangesLists(const CommandOptions&) {
    return true;
}
inline bool neverChangesLists(const CommandOptions&) {
    return false;
}

struct CliCommand {
    const char* name;
    const char* arguments;   // shown in the usage text
    const char* description; // shown in the usage text
    const char* help;        // shown by COMMAND --help, below the command's usage line
    int minArguments;
    int maxArguments; // -1: any number
    int (*run)(CliContext& context, const CommandOptions& options, const QStringList& arguments);
    MainListUse mainList = MainListUse::Loaded;
    // The options that this command takes besides the tool's own; every other command refuses
    // them.
    std::span<const CommandOption> options = {};
    // Whether a run with these options may change a list: such a run holds the list lock from
    // before its load until after its save.
    bool (*changesLists)(const CommandOptions& options) = alwaysChangesLists;
};

// Commands that work on the three lists, as the window's buttons do.
std::span<const CliCommand> listCommands();

// Commands that merge factory lists into the main list and evaluate the added list.
std::span<const CliCommand> mergeCommands();
// Commands that list and restore the kept earlier Main lists.
std::span<const CliCommand> backupCommands();

// "update": fetches the factory list, refuses what is not one, and merges it as merge FILE does.
std::span<const CliCommand> updateCommands();

// What a merge did to the Main list.
struct MergeCounts {
    std::size_t gained = 0;
    std::size_t lost = 0;
};
// Merges factory bytes into the Main list as merge FILE does. The merge itself runs on a thread
// of its own from the start, reading the Main list file and writing the new one beside it under a
// temporary name, printing and changing nothing, so that the caller can look at the bytes
// meanwhile; finish then reports it and hands the file to the save, or an error, as merge FILE
// would. Dropped unfinished, it removes its file.
class FactoryBytesMerge final {
public:
    // With dryRun the new list is only counted; else it is written to the Main list file's
    // replacement as the merge makes it.
    FactoryBytesMerge(const CliContext& context, EntryList::Block factoryBytes, bool dryRun);
    // Waits for the merge when it was not finished.
    ~FactoryBytesMerge();
    FactoryBytesMerge(const FactoryBytesMerge&) = delete;
    FactoryBytesMerge& operator=(const FactoryBytesMerge&) = delete;

    // source names the bytes in the journal. Prints "N gained", "N lost" and "N listed"; with
    // dryRun it saves nothing.
    int finish(CliContext& context, const std::string& source, bool dryRun, MergeCounts& counts);

private:
    // What the merge's thread leaves: the Main list file opened (or why not), the merge, or what
    // it threw.
    struct Done {
        std::optional<FileByteSource> mainFile;
        QString openError;
        MergeOutcome outcome;
        WrittenReplacement written;
        std::exception_ptr failure;
    };
    std::future<Done> m_done;
};

// Commands that answer questions about the lists and their journal; they change nothing.
std::span<const CliCommand> answerCommands();
// The exit status when the lists cannot be loaded: 2 for query and check, whose 1 answers the
// question, as grep's does; 1 for the others.
int failureStatus(const CliCommand& command);

} // namespace quillmere::cli
