#include "ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
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

std::filesystem::path nativePath(const QString& path) {
#ifdef Q_OS_WIN
    return std::filesystem::path(path.toStdWString());
#else
    return std::filesystem::path(QFile::encodeName(path).toStdString());
#endif
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
        bytes->resize(static_cast<std::size_t>(size));
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

} // namespace quillmere
