#pragma once

#include "CliContext.h"

#include <QStringList>
#include <span>

namespace quillmere::cli {

// What a command needs of the Main list before it runs.
enum class MainListUse {
    Loaded,        // loaded with the tracking lists
    ReadByCommand, // only checked to exist: the command reads the file's bytes itself
    Unused,        // only checked to exist; never saved
};

struct CliCommand {
    const char* name;
    const char* arguments;   // shown in the usage text
    const char* description; // shown in the usage text
    const char* help;        // shown by COMMAND --help, below the command's usage line
    int minArguments;
    int maxArguments; // -1: any number
    int (*run)(CliContext& context, const QStringList& arguments);
    MainListUse mainList = MainListUse::Loaded;
};

// Commands that work on the three lists, as the window's buttons do.
std::span<const CliCommand> listCommands();

// Commands that merge factory lists into the main list and evaluate the added list.
std::span<const CliCommand> mergeCommands();
// Commands that list and restore the kept earlier Main lists.
std::span<const CliCommand> backupCommands();

// The options only some commands take.
bool takesDryRun(const CliCommand& command);
bool takesTrim(const CliCommand& command);

} // namespace quillmere::cli
