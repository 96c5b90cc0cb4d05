#include "app/files/FileByteSource.h"

#include "app/files/ListFiles.h"

#include <QFile>
#include <QFileInfo>

namespace quillmere {

namespace {

QString openError(const QString& path, const QFile& file) {
    return QStringLiteral("Cannot open %1: %2").arg(displayPath(path), file.errorString());
}

class FileStream final : public ByteSource::Stream {
public:
    explicit FileStream(const QString& path)
        : m_file(path) {}

    void open(std::uint64_t offset) {
        // Unbuffered: the merge reads in large parts, which a buffer would only copy once more.
        if (!m_file.open(QIODevice::ReadOnly | QIODevice::Unbuffered))
            throw ByteSourceError(openError(m_file.fileName(), m_file).toStdString());
        if (offset > 0 && !m_file.seek(static_cast<qint64>(offset)))
            fail();
    }

    std::size_t read(char* into, std::size_t size) override {
        const qint64 got = m_file.read(into, static_cast<qint64>(size));
        if (got < 0)
            fail();
        return static_cast<std::size_t>(got);
    }

private:
    [[noreturn]] void fail() const {
        throw ByteSourceError(QStringLiteral("Cannot read %1: %2")
                                  .arg(displayPath(m_file.fileName()), m_file.errorString())
                                  .toStdString());
    }

    QFile m_file;
};

} // namespace

std::optional<FileByteSource> FileByteSource::open(const QString& path, QString& error) {
    const PathCheck check = checkFilePath(path);
    if (check.kind == PathKind::Unreadable) {
        error = check.error;
        return std::nullopt;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = openError(path, file);
        return std::nullopt;
    }
    return FileByteSource(path, QFileInfo(file).lastModified());
}

std::unique_ptr<ByteSource::Stream> FileByteSource::openAt(std::uint64_t offset) const {
    auto stream = std::make_unique<FileStream>(m_path);
    stream->open(offset);
    return stream;
}

} // namespace quillmere
