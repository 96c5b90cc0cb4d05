#pragma once

#include "EntryList.h"

#include <QString>
#include <filesystem>
#include <optional>

namespace quillmere {

// The three files a folder setting points at. A file's path is its folder, a separator and its
// name; an empty folder therefore names the file in the root folder.
QString mainListPath(const QString& imailPath);
QString addedListPath(const QString& dataPath);
QString removedListPath(const QString& dataPath);

// A path as the administrator knows it, with the platform's own separators.
QString displayPath(const QString& path);

// A path for the standard library's file system calls, in the encoding Qt uses for file names.
std::filesystem::path nativePath(const QString& path);

// True when a file (not a folder) of that exact path exists.
bool fileExists(const QString& path);

struct ReadResult {
    std::optional<EntryList::Block> bytes; // empty when the file could not be read
    QString error;                         // names the file and the reason
};

// Reads a whole file in one read, as bytes.
ReadResult readFileBytes(const QString& path);

// Reads a list file: its bytes cut at every CR LF, empty pieces dropped.
std::optional<EntryList> readListFile(const QString& path, QString* error = nullptr);

} // namespace quillmere
