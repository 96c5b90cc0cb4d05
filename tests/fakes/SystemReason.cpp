#include "SystemReason.h"

#ifdef Q_OS_WIN
#include <windows.h>
#else
#include <cerrno>
#include <cstring>
#endif

namespace quillmere::test {

#ifdef Q_OS_WIN

namespace {

// As Qt words a Windows error: the system's sentence, without its line end.
QString windowsReason(DWORD code) {
    wchar_t* text = nullptr;
    FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM |
                       FORMAT_MESSAGE_IGNORE_INSERTS,
                   nullptr, code, MAKELANGID(LANG_NEUTRAL, SUBLANG_DEFAULT),
                   reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = QString::fromWCharArray(text);
    LocalFree(text);
    if (reason.endsWith(QLatin1String("\r\n")))
        reason.chop(2);
    return reason;
}

} // namespace

QString missingFileReason() {
    return windowsReason(ERROR_FILE_NOT_FOUND);
}

QString missingFolderReason() {
    return windowsReason(ERROR_PATH_NOT_FOUND);
}

QString sharingViolationReason() {
    return windowsReason(ERROR_SHARING_VIOLATION);
}

QString diskFullReason() {
    return windowsReason(ERROR_DISK_FULL);
}

#else

QString missingFileReason() {
    return QString::fromLocal8Bit(std::strerror(ENOENT));
}

QString missingFolderReason() {
    return missingFileReason();
}

#endif

QString withoutFullStop(QString reason) {
    if (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

} // namespace quillmere::test
