#include "platform/NativeFile.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

namespace quillmere {

namespace {
QByteArray encoded(const QString& path) {
    return QFile::encodeName(path);
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
    const ssize_t got =
        ::pread(static_cast<int>(m_handle), into, static_cast<std::size_t>(size), offset);
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
    struct stat old {};
    if (::stat(encoded(replacedPath).constData(), &old) == 0) {
        // Changing the owner needs the right to do so; without it the file keeps the writer's,
        // as any new file does, and at least the group where the writer belongs to it.
        if (::fchown(handle, old.st_uid, old.st_gid) != 0 && old.st_gid != ::getegid())
            (void)::fchown(handle, static_cast<uid_t>(-1), old.st_gid);
        ::fchmod(handle, old.st_mode & 07777);
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

QString waitUntilReplaceable(const QString&) {
    return QString();
}

void syncFolder(const QString& folder) {
    const int handle = ::open(encoded(folder).constData(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (handle >= 0) {
        ::fsync(handle);
        ::close(handle);
    }
}

QString systemErrorText(int code) {
    return QString::fromLocal8Bit(std::strerror(code));
}

} // namespace quillmere
