#pragma once

#include "CliContext.h"

#include <QStringList>
#include <span>

namespace quillmere::cli {

struct CliCommand {
    const char* name;
    const char* arguments;   // shown in the usage text
    const char* description; // shown in the usage text
    const char* help;        // shown by COMMAND --help, below the command's usage line
    int minArguments;
    int maxArguments; // -1: any number
    int (*run)(CliContext& context, const QStringList& arguments);
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
