#include "app/files/ListFiles.h"

#include "platform/NativeFile.h"
#include "platform/PlatformFacts.h"

#include <QDir>
#include <QFileInfo>
#include <filesystem>
#include <memory>
#include <string>
#include <system_error>

namespace quillmere {

namespace {
QString inFolder(const QString& folder, const char* name) {
    return pathInFolder(folder, QLatin1String(name));
}

const char* notAFileReason(std::filesystem::file_type type) {
    using std::filesystem::file_type;
    switch (type) {
    case file_type::directory:
        return "it is a folder, not a file";
    case file_type::fifo:
        return "it is a FIFO, not a regular file";
    case file_type::block:
    case file_type::character:
        return "it is a device, not a regular file";
    case file_type::socket:
        return "it is a socket, not a regular file";
    default:
        return "it is not a regular file";
    }
}

// Reads from the offset on until the buffer is full or the file ends: the bytes read, or -1.
qint64 readUntilFull(NativeFile& file, char* into, qint64 size, qint64 offset = 0) {
    qint64 filled = 0;
    while (filled < size) {
        const qint64 got = file.readAt(offset + filled, into + filled, size - filled);
        if (got < 0)
            return -1;
        if (got == 0)
            break;
        filled += got;
    }
    return filled;
}

} // namespace

QString pathInFolder(const QString& folder, const QString& name) {
    // A folder that ends in a separator already (a root: "/", "C:\\") takes none more; a
    // backslash separates only on Windows, where fromNativeSeparators makes it a slash.
    if (QDir::fromNativeSeparators(folder).endsWith(QLatin1Char('/')))
        return folder + name;
    return folder + QLatin1Char('/') + name;
}

QString mainListPath(const QString& imailPath) {
    return inFolder(imailPath, "url-domain-bl.txt");
}
QString addedListPath(const QString& dataPath) {
    return inFolder(dataPath, "url-domain-add.txt");
}
QString removedListPath(const QString& dataPath) {
    return inFolder(dataPath, "url-domain-rem.txt");
}

QString resolvedListPath(const QString& path) {
    QString current = path;
    // As many links as the system itself follows before it calls it a loop.
    for (int depth = 0; depth < 40; ++depth) {
        const QFileInfo info(current);
        if (!info.isSymbolicLink())
            break;
        current = info.symLinkTarget();
    }
    return current;
}

QString displayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

std::string journalFilePath(const QString& path) {
    return displayPath(QFileInfo(path).absoluteFilePath()).toStdString();
}

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

PathCheck checkFilePath(const QString& path) {
    std::error_code error;
    const std::filesystem::file_status status =
        std::filesystem::status(platform::nativePath(path), error);
    const QString shown = displayPath(path);
    if (status.type() == std::filesystem::file_type::not_found) {
        // A file where the folder should be is a wrong folder setting, not an empty list.
        const QString folder = QFileInfo(path).path();
        if (QFileInfo(folder).isFile())
            return {PathKind::Unreadable,
                    QStringLiteral("Cannot read %1: %2 is a file, not a folder")
                        .arg(shown, displayPath(folder))};
        return {PathKind::Missing, QString()};
    }
    if (error)
        return {PathKind::Unreadable, QStringLiteral("Cannot read %1: %2")
                                          .arg(shown, QString::fromStdString(error.message()))};
    if (status.type() != std::filesystem::file_type::regular)
        return {PathKind::Unreadable,
                QStringLiteral("Cannot read %1: %2")
                    .arg(shown, QLatin1String(notAFileReason(status.type())))};
    return {PathKind::File, QString()};
}

namespace {

QString cannotRead(const QString& path, const NativeFile& file) {
    return QStringLiteral("Cannot read %1: %2").arg(displayPath(path), file.reason());
}

// A regular file opened for a read of all of it, with the size it reports, or why not.
struct OpenedWhole {
    std::optional<NativeFile> file;
    qint64 size = -1;
    QString error;
};

OpenedWhole openWhole(const QString& path) {
    const PathCheck check = checkFilePath(path);
    if (check.kind == PathKind::Unreadable)
        return {std::nullopt, -1, check.error};
    QString reason;
    std::optional<NativeFile> file = NativeFile::openForReading(path, reason);
    if (!file)
        return {std::nullopt, -1,
                QStringLiteral("Cannot open %1: %2").arg(displayPath(path), reason)};
    const qint64 size = file->size();
    if (size < 0)
        return {std::nullopt, -1, cannotRead(path, *file)};
    return {std::move(file), size, QString()};
}

// Reads the file's size of bytes into the memory given: an empty text, or the error.
QString readAllOf(NativeFile& file, const QString& path, char* into, qint64 size) {
    const qint64 got = readUntilFull(file, into, size);
    if (got < 0)
        return cannotRead(path, file);
    // Cut short without an error: the file shrank while it was read, or (a virtual file)
    // reports more than it holds. The system has no reason to give then.
    if (got != size)
        return QStringLiteral("Cannot read %1: only %2 of its %3 bytes could be read")
            .arg(displayPath(path))
            .arg(got)
            .arg(size);
    return QString();
}

} // namespace

ReadResult readFileBytes(const QString& path) {
    OpenedWhole opened = openWhole(path);
    if (!opened.file)
        return {std::nullopt, opened.error};
    NativeFile& file = *opened.file;
    auto bytes = std::make_shared<std::string>();
    if (opened.size > 0) {
        // In small pages, as core/lists/LargeBuffers.h explains.
        bytes->resize(static_cast<std::size_t>(opened.size));
        const QString error = readAllOf(file, path, bytes->data(), opened.size);
        if (!error.isEmpty())
            return {std::nullopt, error};
    } else {
        // Regular files that report no size (as some virtual file systems do) are read to
        // their end.
        constexpr qint64 kPart = 64 * 1024;
        for (qint64 got = 1; got > 0;) {
            const qint64 at = static_cast<qint64>(bytes->size());
            bytes->resize(static_cast<std::size_t>(at + kPart));
            got = readUntilFull(file, bytes->data() + at, kPart, at);
            if (got < 0)
                return {std::nullopt, cannotRead(path, file)};
            bytes->resize(static_cast<std::size_t>(at + got));
        }
    }
    return {EntryList::Block(std::move(bytes)), QString()};
}

ReadOnceResult readFileBytesOnce(const QString& path) {
    OpenedWhole opened = openWhole(path);
    if (!opened.file)
        return {nullptr, {}, opened.error};
    // A file that reports no size is read to its end, in parts, as readFileBytes reads it.
    if (opened.size == 0) {
        ReadResult read = readFileBytes(path);
        if (!read.bytes)
            return {nullptr, {}, read.error};
        const std::string_view bytes = **read.bytes;
        return {std::move(*read.bytes), bytes, QString()};
    }
    const auto size = static_cast<std::size_t>(opened.size);
    std::shared_ptr<char[]> memory = std::make_shared_for_overwrite<char[]>(size);
    const QString error = readAllOf(*opened.file, path, memory.get(), opened.size);
    if (!error.isEmpty())
        return {nullptr, {}, error};
    const std::string_view bytes(memory.get(), size);
    return {std::move(memory), bytes, QString()};
}

std::optional<EntryList> readListFile(const QString& path, QString* error) {
    ReadResult read = readFileBytes(path);
    if (!read.bytes) {
        if (error)
            *error = read.error;
        return std::nullopt;
    }
    return EntryList::fromFileBytes(std::move(*read.bytes));
}

} // namespace quillmere
