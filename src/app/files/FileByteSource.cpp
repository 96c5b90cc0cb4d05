#include "app/files/FileByteSource.h"

#include "app/files/ListFiles.h"
#include "platform/NativeFile.h"

#include <QFileInfo>

namespace quillmere {

namespace {

QString openError(const QString& path, const QString& reason) {
    return QStringLiteral("Cannot open %1: %2").arg(displayPath(path), reason);
}

// Read with the system's own calls: the merge reads on helper threads, where a Qt file would
// have Qt adopt the thread, and reads in large parts, which a buffer would only copy once more.
class FileStream final : public ByteSource::Stream {
public:
    FileStream(NativeFile file, QString path, std::uint64_t offset)
        : m_file(std::move(file))
        , m_path(std::move(path))
        , m_next(static_cast<qint64>(offset)) {}

    std::size_t read(char* into, std::size_t size) override {
        const qint64 got = m_file.readAt(m_next, into, static_cast<qint64>(size));
        if (got < 0)
            throw ByteSourceError(QStringLiteral("Cannot read %1: %2")
                                      .arg(displayPath(m_path), m_file.reason())
                                      .toStdString());
        m_next += got;
        return static_cast<std::size_t>(got);
    }

private:
    NativeFile m_file;
    QString m_path;
    qint64 m_next;
};

} // namespace

std::optional<FileByteSource> FileByteSource::open(const QString& path, QString& error) {
    const PathCheck check = checkFilePath(path);
    if (check.kind == PathKind::Unreadable) {
        error = check.error;
        return std::nullopt;
    }
    QString reason;
    if (!NativeFile::openForReading(path, reason)) {
        error = openError(path, reason);
        return std::nullopt;
    }
    return FileByteSource(path, QFileInfo(path).lastModified());
}

std::unique_ptr<ByteSource::Stream> FileByteSource::openAt(std::uint64_t offset) const {
    QString reason;
    std::optional<NativeFile> file = NativeFile::openForReading(m_path, reason);
    if (!file)
        throw ByteSourceError(openError(m_path, reason).toStdString());
    return std::make_unique<FileStream>(std::move(*file), m_path, offset);
}

} // namespace quillmere
