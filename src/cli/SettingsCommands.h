#pragma once

#include "cli/CliContext.h"

#include <QString>
#include <QStringList>

namespace quillmere {
class Registry;
}

namespace quillmere::cli {

// "settings" prints the stored settings; "settings set NAME VALUE" stores one. Neither loads a
// list.
bool isSettingsCommand(const QString& name);
int runSettingsCommand(Registry& registry, const CliContext& context, const QStringList& arguments);
// The usage lines of the settings commands, and what settings --help prints.
QString settingsUsage();
QString settingsHelp();

// Fills the folders that were not given on the command line from the stored settings: imailPath,
// and dataPath or, when none is stored, the install folder's URLdata as the program uses it.
// Returns Success, or the exit status after reporting a folder that is not stored (wrong usage)
// or a settings store that cannot be read (failure).
int useStoredFolders(Registry& registry, CliContext& context, bool needImailPath,
                     bool needDataPath);

} // namespace quillmere::cli
