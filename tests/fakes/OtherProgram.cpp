#include "OtherProgram.h"

#include <QDir>
#include <QFile>
#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <fcntl.h>
#include <unistd.h>
#endif

namespace quillmere::test {

#ifdef Q_OS_WIN
FileHeldOpen::FileHeldOpen(const QString& path)
    : m_handle(reinterpret_cast<qintptr>(CreateFileW(
          reinterpret_cast<const wchar_t*>(QDir::toNativeSeparators(path).utf16()), GENERIC_READ,
          FILE_SHARE_READ, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr))) {}

bool FileHeldOpen::isOpen() const {
    return reinterpret_cast<HANDLE>(m_handle) != INVALID_HANDLE_VALUE;
}

void FileHeldOpen::release() {
    if (isOpen())
        CloseHandle(reinterpret_cast<HANDLE>(m_handle));
    m_handle = reinterpret_cast<qintptr>(INVALID_HANDLE_VALUE);
}
#else
FileHeldOpen::FileHeldOpen(const QString& path)
    : m_handle(::open(QFile::encodeName(path).constData(), O_RDONLY | O_CLOEXEC)) {}

bool FileHeldOpen::isOpen() const {
    return m_handle >= 0;
}

void FileHeldOpen::release() {
    if (isOpen())
        ::close(static_cast<int>(m_handle));
    m_handle = -1;
}
#endif

FileHeldOpen::~FileHeldOpen() {
    release();
}

} // namespace quillmere::test
