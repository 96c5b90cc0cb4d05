#include "platform/NativeFile.h"

#include <QDir>
#include <QFileInfo>
#include <aclapi.h>
#include <algorithm>
#include <chrono>
#include <io.h>
#include <thread>
#include <utility>
#include <windows.h>

namespace quillmere {

namespace {

// The Windows calls take absolute paths with backslashes; some refuse relative ones.
std::wstring windowsPath(const QString& path) {
    return QDir::toNativeSeparators(QFileInfo(path).absoluteFilePath()).toStdWString();
}

HANDLE asHandle(qintptr handle) {
    return reinterpret_cast<HANDLE>(handle);
}

qintptr invalid() {
    return reinterpret_cast<qintptr>(INVALID_HANDLE_VALUE);
}

QString lastErrorText() {
    return systemErrorText(static_cast<int>(GetLastError()));
}

// Whether a failed open or replace says that another program holds the file open.
bool heldOpen(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
           error == ERROR_ACCESS_DENIED || error == ERROR_UNABLE_TO_REMOVE_REPLACED;
}

} // namespace

NativeFile::NativeFile(qintptr handle)
    : m_handle(handle) {}

NativeFile::NativeFile(NativeFile&& other) noexcept
    : m_handle(std::exchange(other.m_handle, invalid()))
    , m_reason(std::move(other.m_reason)) {}

NativeFile& NativeFile::operator=(NativeFile&& other) noexcept {
    if (this != &other) {
        close();
        m_handle = std::exchange(other.m_handle, invalid());
        m_reason = std::move(other.m_reason);
    }
    return *this;
}

NativeFile::~NativeFile() {
    close();
}

bool NativeFile::fail() {
    m_reason = lastErrorText();
    return false;
}

std::optional<NativeFile> NativeFile::createNew(const QString& path, QString& reason) {
    // Not shared for writing or deletion while it is written; closed before it is renamed.
    const HANDLE handle =
        CreateFileW(windowsPath(path).c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ,
                    nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastErrorText();
        return std::nullopt;
    }
    return NativeFile(reinterpret_cast<qintptr>(handle));
}

std::optional<NativeFile> NativeFile::openForReading(const QString& path, QString& reason) {
    const HANDLE handle =
        CreateFileW(windowsPath(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE,
                    nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastErrorText();
        return std::nullopt;
    }
    return NativeFile(reinterpret_cast<qintptr>(handle));
}

std::optional<NativeFile> NativeFile::openForAppend(const QString& path, QString& reason) {
    // FILE_FLAG_OPEN_REPARSE_POINT opens a symbolic link itself rather than what it names.
    const HANDLE handle = CreateFileW(
        windowsPath(path).c_str(), FILE_APPEND_DATA | FILE_READ_DATA | FILE_READ_ATTRIBUTES,
        FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_ALWAYS,
        FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT | FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (handle == INVALID_HANDLE_VALUE) {
        reason = lastErrorText();
        return std::nullopt;
    }
    NativeFile file(reinterpret_cast<qintptr>(handle));
    BY_HANDLE_FILE_INFORMATION info{};
    if (!GetFileInformationByHandle(handle, &info)) {
        reason = lastErrorText();
        return std::nullopt;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        reason = QStringLiteral("it is a folder, not a file");
        return std::nullopt;
    }
    if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT ||
        GetFileType(handle) != FILE_TYPE_DISK) {
        reason = QStringLiteral("it is not a regular file");
        return std::nullopt;
    }
    return file;
}

bool NativeFile::writeAll(std::string_view bytes) {
    while (!bytes.empty()) {
        const auto chunk = static_cast<DWORD>(std::min<std::size_t>(bytes.size(), 1u << 30));
        DWORD written = 0;
        if (!WriteFile(asHandle(m_handle), bytes.data(), chunk, &written, nullptr))
            return fail();
        if (written == 0) {
            SetLastError(ERROR_DISK_FULL);
            return fail();
        }
        bytes.remove_prefix(written);
    }
    return true;
}

qint64 NativeFile::readAt(qint64 offset, char* into, qint64 size) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset & 0xffffffff);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    DWORD got = 0;
    const auto most = static_cast<DWORD>(std::min(size, kMostReadAtOnce));
    if (!ReadFile(asHandle(m_handle), into, most, &got, &at) &&
        GetLastError() != ERROR_HANDLE_EOF) {
        fail();
        return -1;
    }
    return got;
}

qint64 NativeFile::size() {
    LARGE_INTEGER size{};
    if (!GetFileSizeEx(asHandle(m_handle), &size)) {
        fail();
        return -1;
    }
    return size.QuadPart;
}

bool NativeFile::truncate(qint64 size) {
    FILE_END_OF_FILE_INFO end{};
    end.EndOfFile.QuadPart = size;
    // A file opened for appending may not be cut; a second handle to it, for writing, may.
    const HANDLE writer =
        ReOpenFile(asHandle(m_handle), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, 0);
    const HANDLE handle = writer != INVALID_HANDLE_VALUE ? writer : asHandle(m_handle);
    const bool cut = SetFileInformationByHandle(handle, FileEndOfFileInfo, &end, sizeof end);
    if (!cut)
        fail();
    if (writer != INVALID_HANDLE_VALUE)
        CloseHandle(writer);
    return cut;
}

// Windows writes its cache back on its own schedule; FlushFileBuffers is the only call.
void NativeFile::startWritingToDisk() {}

bool NativeFile::syncToDisk() {
    return FlushFileBuffers(asHandle(m_handle)) || fail();
}

bool NativeFile::close() {
    if (m_handle == invalid())
        return true;
    return CloseHandle(asHandle(std::exchange(m_handle, invalid()))) || fail();
}

void takeOverProtection(const QString& replacedPath, NativeFile& file) {
    // A plain rename would leave the new file what the folder gives every new file.
    const std::wstring old = windowsPath(replacedPath);
    const DWORD attributes = GetFileAttributesW(old.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return;
    FILE_BASIC_INFO basic{};
    if (GetFileInformationByHandleEx(asHandle(file.handle()), FileBasicInfo, &basic,
                                     sizeof basic)) {
        // A read-only list is refused before it comes to this (isMarkedReadOnly); the new file
        // must never be read-only, which would keep it from taking the old one's place.
        basic.FileAttributes = (attributes & ~FILE_ATTRIBUTE_READONLY) | FILE_ATTRIBUTE_ARCHIVE;
        SetFileInformationByHandle(asHandle(file.handle()), FileBasicInfo, &basic, sizeof basic);
    }
    PACL acl = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetNamedSecurityInfoW(old.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                              nullptr, &acl, nullptr, &descriptor) != ERROR_SUCCESS)
        return;
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    GetSecurityDescriptorControl(descriptor, &control, &revision);
    // An access list that inherits from the folder keeps inheriting; a protected one stays so.
    const SECURITY_INFORMATION what =
        DACL_SECURITY_INFORMATION |
        (control & SE_DACL_PROTECTED ? PROTECTED_DACL_SECURITY_INFORMATION
                                     : UNPROTECTED_DACL_SECURITY_INFORMATION);
    SetSecurityInfo(asHandle(file.handle()), SE_FILE_OBJECT, what, nullptr, nullptr, acl, nullptr);
    LocalFree(descriptor);
}

QString replaceWith(const QString& temporary, const QString& target) {
    // One rename, never a moment without the list. ReplaceFileW is no such step (under Wine it
    // moves the old file aside first, and a reader then finds none: the mail server, or another
    // command that was told the blacklist does not exist). The new file already carries the old
    // one's attributes and access list (takeOverProtection), which a rename keeps.
    if (!MoveFileExW(windowsPath(temporary).c_str(), windowsPath(target).c_str(),
                     MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH))
        return lastErrorText();
    return QString();
}

QString whyNotReplaceable(const QString& target) {
    const std::wstring path = windowsPath(target);
    // A reader that holds the file for a moment (the mail server loading the list) is waited
    // for; one that keeps it open is reported, before any list file changes.
    constexpr int kTries = 8;
    for (int attempt = 1;; ++attempt) {
        const HANDLE probe = CreateFileW(path.c_str(), DELETE,
                                         FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                         nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (probe != INVALID_HANDLE_VALUE) {
            CloseHandle(probe);
            return QString();
        }
        const DWORD error = GetLastError();
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND)
            return QString();
        if (!heldOpen(error) || attempt == kTries) {
            const QString reason = systemErrorText(static_cast<int>(error));
            return heldOpen(error)
                       ? QStringLiteral("another program holds it open (%1)").arg(reason)
                       : reason;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50 << attempt / 2));
    }
}

bool isMarkedReadOnly(const QString& path) {
    const DWORD attributes = GetFileAttributesW(windowsPath(path).c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY) &&
           attributes & FILE_ATTRIBUTE_READONLY;
}

// No account on Windows stands above the others' links as root does; making a symbolic link
// needs a privilege of its own there.
QString refusedLink(const QString&) {
    return QString();
}

void syncFolder(const QString&) {}

bool syncToDisk(QFileDevice& file) {
    if (!file.flush() || file.handle() < 0)
        return false;
    const intptr_t handle = _get_osfhandle(file.handle());
    return handle != -1 && FlushFileBuffers(reinterpret_cast<HANDLE>(handle));
}

bool removeFile(const QString& path) {
    return DeleteFileW(windowsPath(path).c_str()) != 0;
}

QString systemErrorText(int code) {
    wchar_t* text = nullptr;
    const DWORD length = FormatMessageW(
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
        nullptr, static_cast<DWORD>(code), 0, reinterpret_cast<wchar_t*>(&text), 0, nullptr);
    QString reason = length ? QString::fromWCharArray(text, length).trimmed()
                            : QStringLiteral("error %1").arg(code);
    LocalFree(text);
    // Messages end in a full stop; the callers' sentences put their own.
    if (reason.endsWith(QLatin1Char('.')))
        reason.chop(1);
    return reason;
}

} // namespace quillmere
