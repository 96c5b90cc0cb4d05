#pragma once

#include "app/files/FileSnapshot.h"
#include "app/files/ListSaver.h"
#include "cli/StandardOutput.h"
#include "core/lists/TrackedLists.h"

#include <QString>
#include <QStringList>
#include <functional>
#include <string>
#include <string_view>

namespace quillmere::cli {

// The tool holds the list lock from its load to its save: size and time tell a change of the Main
// list there (the tracking lists are always compared by content).
constexpr ChangeCheck kChangeCheck = ChangeCheck::SizeAndTime;

enum ExitStatus { Success = 0, Failure = 1, Usage = 2 };

// What a command works on: the loaded lists, the folders they came from, and the two output
// streams. Entries go to standard output as their own bytes, unchanged.
class CliContext final {
public:
    TrackedLists lists;
    // What the list files were when the command read them, for the change check of its save.
    LoadedFiles loadedFiles;
    QString imailPath;
    QString dataPath;
    // Set by commands that must not write any file.
    bool saveAfterwards = true;
    // The Main list's new file, when the command wrote it as it made the list (merge, rebuild,
    // update): the save puts it in place instead of writing the Main list.
    WrittenReplacement writtenMain;
    // The --registry FILE given, for a command that reads more settings than the folders.
    QString registryFile;
    // Run after a successful save, for what is kept beside the lists; returns an exit status.
    std::function<int(CliContext&)> afterSave;

    // The exit status of an error: 2 for query and check, whose 1 is an answer, as grep's is.
    int errorStatus = Failure;

    void printEntry(std::string_view entry) const;
    void printLine(const QString& text) const;
    void printError(const QString& text) const;
    // Flushes standard output. When anything printed could not be written, reports why and
    // returns the status of an error (or status, when that is worse); else status.
    int finishOutput(int status) const;

private:
    // Printing changes nothing that a command works on, so it is allowed through a const context.
    mutable StandardOutput m_output;
};

// Command-line text as list entries. An empty argument, or one holding CR or LF, is wrong usage:
// it would write an empty line or more than one entry, which the window's "add" can never do.
// Every character must exist in ISO-8859-1, or the argument cannot be stored (a "?" in its place
// would corrupt the list). Returns Success, or the status after reporting the first argument
// refused; no argument is taken when one is refused. The entries view one block of their bytes,
// converted once, however many arguments there are.
int toEntries(const CliContext& context, const QStringList& arguments, EntryList& entries);

QString entryText(std::string_view entry);

// One line of the usage text's list of commands: the command's head, then its description from
// the 35th column, or two blanks after a longer head, ending in LF. The blanks are what help2man
// knows an item of the manual page by.
QString usageLine(const QString& head, const QString& description);

} // namespace quillmere::cli
