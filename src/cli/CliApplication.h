#pragma once

#include <QStringList>

namespace quillmere::cli {

// Parses the command line, loads the lists, runs one command and saves what it modified.
// Returns the process exit status.
int runCli(const QStringList& arguments);

} // namespace quillmere::cli
