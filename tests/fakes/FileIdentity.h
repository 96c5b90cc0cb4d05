#pragma once

#include <QByteArray>
#include <QDir>
#include <QFile>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <sys/stat.h>
#endif

namespace quillmere::test {

// What tells one file from another whatever its names: the volume and the file's number there.
// Two names with the same identity are hard links of one file. A folder has one too. Empty when
// the path cannot be looked at.
inline QByteArray fileIdentity(const QString& path) {
#ifdef Q_OS_WIN
    const HANDLE handle =
        CreateFileW(reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()),
                    FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                    nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE)
        return QByteArray();
    BY_HANDLE_FILE_INFORMATION info{};
    const bool known = GetFileInformationByHandle(handle, &info);
    CloseHandle(handle);
    if (!known)
        return QByteArray();
    return QByteArray::number(quint64(info.dwVolumeSerialNumber)) + ':' +
           QByteArray::number((quint64(info.nFileIndexHigh) << 32) | info.nFileIndexLow);
#else
    struct stat status {};
    if (::stat(QFile::encodeName(path).constData(), &status) != 0)
        return QByteArray();
    return QByteArray::number(quint64(status.st_dev)) + ':' +
           QByteArray::number(quint64(status.st_ino));
#endif
}

} // namespace quillmere::test
