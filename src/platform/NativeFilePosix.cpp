#include "platform/NativeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <pwd.h>
#include <sys/stat.h>
#include <sys/xattr.h>
#include <unistd.h>
#include <utility>
#include <vector>

namespace quillmere {

namespace {
QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
}

QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// The extended attributes a new file takes over: the user's own ("user.") and the access list
// (system.posix_acl_access), which also holds the mask that the group bits alone would narrow.
// Security labels and trusted attributes are the system's to give.
bool isCopiedAttribute(std::string_view name) {
    return name.substr(0, 5) == "user." || name == "system.posix_acl_access";
}

void copyExtendedAttributes(const QByteArray& from, int to) {
    const ssize_t listSize = ::listxattr(from.constData(), nullptr, 0);
    if (listSize <= 0)
        return;
    std::vector<char> names(static_cast<std::size_t>(listSize));
    const ssize_t got = ::listxattr(from.constData(), names.data(), names.size());
    for (ssize_t at = 0; got > 0 && at < got;) {
        const std::string_view name(names.data() + at);
        at += static_cast<ssize_t>(name.size()) + 1;
        if (!isCopiedAttribute(name))
            continue;
        const std::string key(name);
        const ssize_t size = ::getxattr(from.constData(), key.c_str(), nullptr, 0);
        if (size < 0)
            continue;
        std::vector<char> value(static_cast<std::size_t>(size));
        const ssize_t read = ::getxattr(from.constData(), key.c_str(), value.data(), value.size());
        if (read >= 0)
            (void)::fsetxattr(to, key.c_str(), value.data(), static_cast<std::size_t>(read), 0);
    }
}

QString ownerName(uid_t owner) {
    if (const passwd* entry = ::getpwuid(owner))
        return QStringLiteral("%1 (uid %2)").arg(QString::fromLocal8Bit(entry->pw_name)).arg(owner);
    return QStringLiteral("uid %1").arg(owner);
}

bool trustedOwner(uid_t owner) {
    return owner == 0 || owner == ::getuid();
}
} // namespace

NativeFile::NativeFile(qintptr handle)
    : m_handle(handle) {}

NativeFile::NativeFile(NativeFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, -1))
    , m_reason(std::move(other.m_reason)) {}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, -1);
        m_reason = std::move(other.m_reason);
    }
    return *this;
}

NativeFile::~NativeFile() {
    close();
}

bool NativeFile::fail() {
    m_reason = systemErrorText(errno);
    return false;
}

std::optional<NativeFile> NativeFile::createNew(const QString& path, QString& reason) {
    const int handle =
        ::open(encoded(path).constData(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (handle < 0) {
        reason = systemErrorText(errno);
        return std::nullopt;
    }
    return NativeFile(handle);
}

std::optional<NativeFile> NativeFile::openForReading(const QString& path, QString& reason) {
    // O_NONBLOCK keeps a FIFO put in the file's place from waiting for a writer.
    const int handle = ::open(encoded(path).constData(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (handle < 0) {
        reason = systemErrorText(errno);
        return std::nullopt;
    }
    ::fcntl(handle, F_SETFL, ::fcntl(handle, F_GETFL) & ~O_NONBLOCK);
    return NativeFile(handle);
}

std::optional<NativeFile> NativeFile::openForAppend(const QString& path, QString& reason) {
    // O_NONBLOCK keeps a FIFO from waiting for a reader; O_NOFOLLOW refuses a link.
    const int handle =
        ::open(encoded(path).constData(),
               O_RDWR | O_APPEND | O_CREAT | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC, 0644);
    if (handle < 0) {
        reason = errno == ELOOP ? QStringLiteral("it is a symbolic link, not a regular file")
                                : systemErrorText(errno);
        return std::nullopt;
    }
    NativeFile file(handle);
    struct stat status {};
    if (::fstat(handle, &status) != 0) {
        reason = systemErrorText(errno);
        return std::nullopt;
    }
    if (!S_ISREG(status.st_mode)) {
        reason = S_ISDIR(status.st_mode) ? QStringLiteral("it is a folder, not a file")
                                         : QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    const int flags = ::fcntl(handle, F_GETFL);
    ::fcntl(handle, F_SETFL, flags & ~O_NONBLOCK);
    return file;
}

bool NativeFile::writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = ::write(static_cast<int>(m_handle), bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR)
                continue;
            return fail();
        }
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
    return true;
}

qint64 NativeFile::readAt(qint64 offset, char* into, qint64 size) {
    ssize_t got = 0;
    do
        got = ::pread(static_cast<int>(m_handle), into,
                      static_cast<std::size_t>(std::min<qint64>(size, kMostReadAtOnce)), offset);
    while (got < 0 && errno == EINTR);
    if (got < 0)
        fail();
    return got;
}

qint64 NativeFile::size() {
    struct stat status {};
    if (::fstat(static_cast<int>(m_handle), &status) != 0) {
        fail();
        return -1;
    }
    return status.st_size;
}

bool NativeFile::truncate(qint64 size) {
    return ::ftruncate(static_cast<int>(m_handle), size) == 0 || fail();
}

void NativeFile::startWritingToDisk() {
    // Only a hint: a failure to start shows, if it matters, in syncToDisk.
    (void)::sync_file_range(static_cast<int>(m_handle), 0, 0, SYNC_FILE_RANGE_WRITE);
}

bool NativeFile::syncToDisk() {
    return ::fsync(static_cast<int>(m_handle)) == 0 || fail();
}

bool NativeFile::close() {
    if (m_handle < 0)
        return true;
    const int handle = static_cast<int>(std::exchange(m_handle, -1));
    return ::close(handle) == 0 || fail();
}

void takeOverProtection(const QString& replacedPath, NativeFile& file) {
    const int handle = static_cast<int>(file.handle());
    const QByteArray old = encoded(replacedPath);
    struct stat status {};
    if (::stat(old.constData(), &status) == 0) {
        // Changing the owner needs the right to do so; without it the file keeps the writer's,
        // as any new file does, and at least the group where the writer belongs to it.
        if (::fchown(handle, status.st_uid, status.st_gid) != 0 && status.st_gid != ::getegid())
            (void)::fchown(handle, static_cast<uid_t>(-1), status.st_gid);
        ::fchmod(handle, status.st_mode & 07777);
        // After the mode: the access list sets the group bits to its mask, which the mode of a
        // file with an access list already shows.
        copyExtendedAttributes(old, handle);
    } else {
        const mode_t mask = ::umask(0);
        ::umask(mask);
        ::fchmod(handle, 0666 & ~mask);
    }
}

QString replaceWith(const QString& temporary, const QString& target) {
    if (::rename(encoded(temporary).constData(), encoded(target).constData()) != 0)
        return systemErrorText(errno);
    return QString();
}

QString whyNotReplaceable(const QString& target) {
    const QString folder = QFileInfo(target).absolutePath();
    struct statx place {};
    if (::statx(AT_FDCWD, encoded(folder).constData(), 0, STATX_BASIC_STATS, &place) != 0)
        return QStringLiteral("the folder %1 cannot be looked at: %2")
            .arg(shown(folder), systemErrorText(errno));
    if (place.stx_attributes & (STATX_ATTR_IMMUTABLE | STATX_ATTR_APPEND))
        return QStringLiteral("the folder %1 is marked immutable or append-only (chattr), so no "
                              "file in it can be replaced")
            .arg(shown(folder));
    if (::access(encoded(folder).constData(), W_OK | X_OK) != 0)
        return QStringLiteral("the folder %1 cannot be written: %2")
            .arg(shown(folder), systemErrorText(errno));
    struct statx file {};
    if (::statx(AT_FDCWD, encoded(target).constData(), AT_SYMLINK_NOFOLLOW, STATX_BASIC_STATS,
                &file) != 0)
        return errno == ENOENT ? QString() : systemErrorText(errno);
    if (file.stx_attributes & STATX_ATTR_IMMUTABLE)
        return QStringLiteral("it is marked immutable (chattr +i), so nothing may replace it");
    if (file.stx_attributes & STATX_ATTR_APPEND)
        return QStringLiteral("it is marked append-only (chattr +a), so nothing may replace it");
    if (file.stx_attributes_mask & STATX_ATTR_MOUNT_ROOT &&
        file.stx_attributes & STATX_ATTR_MOUNT_ROOT)
        return QStringLiteral("another file is mounted in its place, which cannot be replaced");
    const uid_t self = ::geteuid();
    if (place.stx_mode & S_ISVTX && self != 0 && file.stx_uid != self && place.stx_uid != self)
        return QStringLiteral("it belongs to %1 in %2, a folder where only a file's owner may "
                              "replace it (sticky)")
            .arg(ownerName(file.stx_uid), shown(folder));
    return QString();
}

bool isMarkedReadOnly(const QString& path) {
    struct stat status {};
    return ::stat(encoded(path).constData(), &status) == 0 && S_ISREG(status.st_mode) &&
           (status.st_mode & 0222) == 0;
}

QString refusedLink(const QString& path) {
    if (::geteuid() != 0)
        return QString();
    QString current = path;
    // As many links as the system itself follows before it calls it a loop.
    for (int depth = 0; depth < 40; ++depth) {
        struct stat link {};
        if (::lstat(encoded(current).constData(), &link) != 0 || !S_ISLNK(link.st_mode))
            return QString();
        const QFileInfo info(current);
        struct stat folder {};
        if (::stat(encoded(info.absolutePath()).constData(), &folder) != 0)
            return QString();
        if (!trustedOwner(link.st_uid))
            return QStringLiteral("the symbolic link %1 belongs to %2, and as root only links that "
                                  "belong to root or to the user running the program are "
                                  "followed")
                .arg(shown(current), ownerName(link.st_uid));
        if (!trustedOwner(folder.st_uid))
            return QStringLiteral("the symbolic link %1 is in %2, a folder that belongs to %3, and "
                                  "as root only links in folders of root or of the user running "
                                  "the program are followed")
                .arg(shown(current), shown(info.absolutePath()), ownerName(folder.st_uid));
        current = info.symLinkTarget();
    }
    return QString();
}

void syncFolder(const QString& folder) {
    const int handle = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

bool syncToDisk(QFileDevice& file) {
    return file.flush() && file.handle() >= 0 && ::fsync(file.handle()) == 0;
}

bool removeFile(const QString& path) {
    return ::unlink(encoded(path).constData()) == 0;
}

QString systemErrorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace quillmere
