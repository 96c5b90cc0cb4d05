#include "ReplacementFile.h"

#include "ContentHash.h"
#include "ListFiles.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryFile>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <system_error>

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace quillmere {

namespace {

// The new file gets what the old one had, so that the mail server's account can still read it
// after a save run by another user (an administrator's scheduled task as root, say). Changing the
// owner needs the right to do so; without it the file keeps the writer's, as any new file does.
void takeOverOwnership(const QString& path, int handle) {
#ifdef Q_OS_UNIX
    struct stat old {};
    if (::stat(QFile::encodeName(path).constData(), &old) == 0) {
        if (::fchown(handle, old.st_uid, old.st_gid) != 0 && old.st_gid != ::getegid())
            (void)::fchown(handle, static_cast<uid_t>(-1), old.st_gid);
        ::fchmod(handle, old.st_mode & 07777);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(handle, 0666 & ~mask);
    }
#else
    Q_UNUSED(path);
    Q_UNUSED(handle);
#endif
}

// A writer killed between writing and renaming leaves its temporary file behind. The caller holds
// the list lock, so no other save is writing one now: those found are stale.
void removeLeftovers(const QFileInfo& target) {
    QDir folder = target.absoluteDir();
    const QString pattern = QLatin1Char('.') + target.fileName() + QStringLiteral(".??????");
    for (const QString& name :
         folder.entryList({pattern}, QDir::Files | QDir::Hidden | QDir::System))
        folder.remove(name);
}

// A write the system cut short is tried again with the rest: the next attempt then fails with the
// system's own reason (a full disk, a file-size limit), which a short count does not carry.
bool writeWhole(QIODevice& file, std::string_view bytes) {
    while (!bytes.empty()) {
        const qint64 written = file.write(bytes.data(), static_cast<qint64>(bytes.size()));
        if (written <= 0)
            return false;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

bool syncToDisk(int handle) {
#ifdef Q_OS_UNIX
    return ::fsync(handle) == 0;
#else
    Q_UNUSED(handle);
    return true;
#endif
}

} // namespace

// Unbuffered, so that each write reaches the file at once and a failure carries its own reason.
class ReplacementFile::TemporaryFile final : public QTemporaryFile {
public:
    using QTemporaryFile::QTemporaryFile;
    bool openUnbuffered() { return open(QIODevice::ReadWrite | QIODevice::Unbuffered); }
};

ReplacementFile::ReplacementFile(QString path)
    : m_path(std::move(path)) {}

ReplacementFile::~ReplacementFile() = default;

QString ReplacementFile::failure(const QString& reason) const {
    return QStringLiteral("Cannot save %1: %2").arg(displayPath(m_path), reason);
}

QString ReplacementFile::write(const EntryList& list) {
    const QFileInfo target(m_path);
    if (target.exists() && target.isDir())
        return failure(QStringLiteral("a folder is in its place"));
    if (target.exists() && !target.isFile())
        return failure(QStringLiteral("it is not a regular file"));

    removeLeftovers(target);
    m_temporary = std::make_unique<TemporaryFile>(target.absolutePath() + QStringLiteral("/.") +
                                                  target.fileName() + QStringLiteral(".XXXXXX"));
    if (!m_temporary->openUnbuffered())
        return failure(m_temporary->errorString());
    takeOverOwnership(m_path, m_temporary->handle());

    ContentHash hash;
    m_size = 0;
    TemporaryFile& file = *m_temporary;
    const bool written = forEachFileChunk(list, [&](std::string_view chunk) {
        hash.add(chunk);
        m_size += static_cast<qint64>(chunk.size());
        return writeWhole(file, chunk);
    });
    if (!written || !file.flush())
        return failure(file.errorString());
    if (!syncToDisk(file.handle()))
        return failure(QString::fromLocal8Bit(std::strerror(errno)));
    m_hash = hash.value();
    file.close();
    return QString();
}

QString ReplacementFile::commit() {
    std::error_code error;
    std::filesystem::rename(nativePath(m_temporary->fileName()), nativePath(m_path), error);
    if (error)
        return failure(QString::fromLocal8Bit(error.message()));
    m_temporary->setAutoRemove(false);
    return QString();
}

void syncFolder(const QString& folder) {
#ifdef Q_OS_UNIX
    const int handle = ::open(QFile::encodeName(folder).constData(), O_RDONLY | O_DIRECTORY);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
#else
    Q_UNUSED(folder);
#endif
}

} // namespace quillmere
