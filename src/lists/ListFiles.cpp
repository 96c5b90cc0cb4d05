#include "ListFiles.h"

#include "LargeBuffers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>
#include <memory>
#include <string>

namespace quillmere {

namespace {
QString inFolder(const QString& folder, const char* name) {
    return folder + QLatin1Char('/') + QLatin1String(name);
}
} // namespace

QString mainListPath(const QString& imailPath) {
    return inFolder(imailPath, "url-domain-bl.txt");
}
QString addedListPath(const QString& dataPath) {
    return inFolder(dataPath, "url-domain-add.txt");
}
QString removedListPath(const QString& dataPath) {
    return inFolder(dataPath, "url-domain-rem.txt");
}

QString displayPath(const QString& path) {
    return QDir::toNativeSeparators(path);
}

bool fileExists(const QString& path) {
    const QFileInfo info(path);
    return info.exists() && !info.isDir();
}

ReadResult readFileBytes(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return {std::nullopt,
                QStringLiteral("Cannot open %1: %2").arg(displayPath(path), file.errorString())};
    auto bytes = std::make_shared<std::string>();
    const qint64 size = file.size();
    if (size > 0) {
        resizeForReading(*bytes, static_cast<std::size_t>(size));
        const qint64 got = file.read(bytes->data(), size);
        if (got != size)
            return {
                std::nullopt,
                QStringLiteral("Cannot read %1: %2").arg(displayPath(path), file.errorString())};
    } else {
        // Files that report no size (pipes, some special files) are read to their end.
        const QByteArray all = file.readAll();
        bytes->assign(all.constData(), static_cast<std::size_t>(all.size()));
    }
    return {EntryList::Block(std::move(bytes)), QString()};
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

QString writeListFile(const QString& path, const EntryList& list) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly))
        return QStringLiteral("Cannot save %1: %2").arg(displayPath(path), file.errorString());
    const bool written = forEachFileChunk(list, [&file](std::string_view chunk) {
        return file.write(chunk.data(), static_cast<qint64>(chunk.size())) ==
               static_cast<qint64>(chunk.size());
    });
    if (!written) {
        const QString reason = file.errorString();
        file.cancelWriting();
        return QStringLiteral("Cannot save %1: %2").arg(displayPath(path), reason);
    }
    if (!file.commit())
        return QStringLiteral("Cannot save %1: %2").arg(displayPath(path), file.errorString());
    return QString();
}

} // namespace quillmere
