#pragma once

#include "EntryList.h"

#include <QString>
#include <cstdint>
#include <memory>

namespace quillmere {

// The new content of one list file, written beside it under a temporary name and put in its
// place only when the whole save can go ahead, so that until then the old file stays as it was.
// A replacement that is never committed removes its temporary file.
class ReplacementFile final {
public:
    explicit ReplacementFile(QString path);
    ~ReplacementFile();
    ReplacementFile(const ReplacementFile&) = delete;
    ReplacementFile& operator=(const ReplacementFile&) = delete;

    // Writes the list to the temporary file and flushes it to the disk, with the owner, group and
    // permissions of the file it replaces. A write that fails anywhere, the last buffered bytes
    // included, is an error naming the list file and the system's reason; else an empty string.
    QString write(const EntryList& list);
    // Renames the written temporary file over the list file.
    QString commit();

    const QString& path() const { return m_path; }
    qint64 size() const { return m_size; }
    std::uint64_t hash() const { return m_hash; }

private:
    class TemporaryFile;
    QString failure(const QString& reason) const;

    QString m_path;
    std::unique_ptr<TemporaryFile> m_temporary;
    qint64 m_size = 0;
    std::uint64_t m_hash = 0;
};

// Flushes a folder's entries to the disk, so that renames done in it survive a power cut in the
// order they were made. Does nothing where the platform has no such call.
void syncFolder(const QString& folder);

} // namespace quillmere
