#pragma once

#include "core/lists/EntryList.h"

#include <QString>
#include <filesystem>
#include <optional>
#include <string>

namespace quillmere {

// A file's path is its folder, a separator and its name, but one separator only: a folder that
// ends in one (a root, "C:\\", as the folder chooser answers it) takes no other. An empty folder
// therefore names the file in the root folder.
QString pathInFolder(const QString& folder, const QString& name);

// The three files a folder setting points at.
QString mainListPath(const QString& imailPath);
QString addedListPath(const QString& dataPath);
QString removedListPath(const QString& dataPath);

// The file a list's path names: the path itself, or where its symbolic links lead, so that a save
// replaces that file and the link stays.
QString resolvedListPath(const QString& path);

// A path as the administrator knows it, with the platform's own separators.
QString displayPath(const QString& path);
// The file's absolute path, in the system's separators, as the journal records a file read.
std::string journalFilePath(const QString& path);

// True when a file (not a folder) of that exact path exists.
bool fileExists(const QString& path);

// What stands at a path, found without opening it (opening a FIFO would wait for a writer).
enum class PathKind {
    Missing,    // nothing: no such file
    File,       // a regular file
    Unreadable, // a folder, FIFO, device or socket, or a path the system cannot look at
};
struct PathCheck {
    PathKind kind = PathKind::Missing;
    QString error; // for Unreadable: names the path and why it cannot be read
};
PathCheck checkFilePath(const QString& path);

struct ReadResult {
    std::optional<EntryList::Block> bytes; // empty when the file could not be read
    QString error;                         // names the file and the reason
};

// Reads a whole regular file in one read, as bytes. Anything else at the path is refused before
// it is opened, so a FIFO or a device never blocks or floods the read.
ReadResult readFileBytes(const QString& path);

// The same bytes for a reader done with them soon, such as a merge handing its list on as text:
// read into memory that is not filled with zeros first, as a string's is, which would cost a
// large file a pass over fresh memory on top of its reading. The bytes last while keeper is held.
struct ReadOnceResult {
    std::shared_ptr<const void> keeper; // empty when the file could not be read
    std::string_view bytes;
    QString error; // names the file and the reason
};
ReadOnceResult readFileBytesOnce(const QString& path);

// Reads a list file: its bytes cut at every CR LF, empty pieces dropped.
std::optional<EntryList> readListFile(const QString& path, QString* error = nullptr);

} // namespace quillmere
