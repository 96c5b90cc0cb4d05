#pragma once

#include <QDateTime>
#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

namespace quillmere {

// How a save tells a changed file. By content: the modification time is not trusted alone, as a
// copy keeps it and a rewrite within the file system's time resolution does not move it. The
// command-line tool holds the lock from its load to its save, so only a program that ignores the
// lock can change a file meanwhile; for the Main list, which may hold millions of entries, it
// takes the size and the time instead and spares reading and hashing the file once more.
enum class ChangeCheck { Content, SizeAndTime };

// What a list file was when the lists were read from it, so that a save can tell whether another
// program changed the file since.
struct FileSnapshot {
    enum class State { Missing, Read, Unreadable };

    QString path;
    State state = State::Missing;
    qint64 size = 0;
    ChangeCheck check = ChangeCheck::Content;
    std::uint64_t hash = 0; // ChangeCheck::Content
    QDateTime modified;     // ChangeCheck::SizeAndTime

    static FileSnapshot missing(const QString& path);
    static FileSnapshot unreadable(const QString& path);
    static FileSnapshot read(const QString& path, std::string_view bytes, ChangeCheck check);
    // A file read a part at a time, by ChangeCheck::SizeAndTime: its size as read, and its time
    // before the reading began, so that a change during the reading shows at the save.
    static FileSnapshot readInParts(const QString& path, qint64 size, const QDateTime& modified);
    // A file this program has just written.
    static FileSnapshot written(const QString& path, qint64 size, std::uint64_t hash);

    // True when the file at the path differs from a Missing or Read snapshot: created, removed, or
    // other bytes (by content, a file touched without a change of its bytes is the same file).
    bool changedOnDisk() const;
};

// The snapshots of the Main, Added and Removed list files, indexed as ListId.
using LoadedFiles = std::array<FileSnapshot, 3>;

} // namespace quillmere
