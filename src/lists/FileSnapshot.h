#pragma once

#include <QString>
#include <array>
#include <cstdint>
#include <string_view>

namespace quillmere {

// What a list file was when the lists were read from it, so that a save can tell whether another
// program changed the file since: its size and a hash of its bytes. The modification time is not
// trusted alone: a copy keeps it, and a quick rewrite may not move it.
struct FileSnapshot {
    enum class State { Missing, Read, Unreadable };

    QString path;
    State state = State::Missing;
    qint64 size = 0;
    std::uint64_t hash = 0;

    static FileSnapshot missing(const QString& path);
    static FileSnapshot unreadable(const QString& path);
    static FileSnapshot read(const QString& path, std::string_view bytes);
    // A file this program has just written.
    static FileSnapshot written(const QString& path, qint64 size, std::uint64_t hash);

    // True when the file at the path differs from a Missing or Read snapshot: created, removed, or
    // other bytes (a file touched without a change of its bytes is the same file).
    bool changedOnDisk() const;
};

// The snapshots of the Main, Added and Removed list files, indexed as ListId.
using LoadedFiles = std::array<FileSnapshot, 3>;

} // namespace quillmere
