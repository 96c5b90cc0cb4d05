#include "OtherProgram.h"

#include <QDir>
#include <windows.h>

namespace quillmere::test {

FileHeldOpen::FileHeldOpen(const QString& path, Sharing sharing)
    : m_handle(CreateFileW(QDir::toNativeSeparators(path).toStdWString().c_str(), GENERIC_READ,
                           sharing == Sharing::Reading ? FILE_SHARE_READ : 0, nullptr,
                           OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr)) {}

FileHeldOpen::~FileHeldOpen() {
    release();
}

bool FileHeldOpen::isOpen() const {
    return m_handle != INVALID_HANDLE_VALUE;
}

void FileHeldOpen::release() {
    if (isOpen())
        CloseHandle(m_handle);
    m_handle = INVALID_HANDLE_VALUE;
}

} // namespace quillmere::test
