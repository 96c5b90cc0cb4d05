#pragma once

#include "core/lists/ByteSource.h"

#include <QDateTime>
#include <QString>
#include <memory>
#include <optional>

namespace quillmere {

// A list file as a source the merge reads a part at a time, as often as it needs, each stream
// through a handle of its own. A stream that cannot open or read the file throws ByteSourceError
// with readFileBytes' messages.
class FileByteSource final : public ByteSource {
public:
    // Checks the file as readFileBytes does before it reads, and opens it once to be sure it can;
    // empty, with the error naming the file and the reason, when it cannot.
    static std::optional<FileByteSource> open(const QString& path, QString& error);

    std::unique_ptr<Stream> openAt(std::uint64_t offset) const override;

    const QString& path() const { return m_path; }
    // The file's modification time when it was opened, before any of its bytes were read.
    const QDateTime& modifiedWhenOpened() const { return m_modified; }

private:
    FileByteSource(QString path, QDateTime modified)
        : m_path(std::move(path))
        , m_modified(std::move(modified)) {}

    QString m_path;
    QDateTime m_modified;
};

} // namespace quillmere
