#include "WineDrive.h"

#include <QDir>
#include <cstring>
#include <string>
#include <windows.h>
#include <winioctl.h>

namespace quillmere::test {

namespace {

// Wine's request to its mount manager (include/ddk/mountmgr.h of Wine 8): define or, with type
// DRIVE_NO_ROOT_DIR and no mount point, undefine a drive letter. The Unix path of the folder
// follows the structure.
struct MountmgrUnixDrive {
    ULONG size;
    ULONG type;
    ULONG fsType;
    DWORD serial;
    ULONGLONG unixDevice;
    WCHAR letter;
    USHORT mountPointOffset;
    USHORT deviceOffset;
    USHORT labelOffset;
};
constexpr DWORD kDefineUnixDrive =
    CTL_CODE('m', 32, METHOD_BUFFERED, FILE_READ_ACCESS | FILE_WRITE_ACCESS);

// Wine's own export: the Unix path of a Windows one, or nothing outside Wine.
std::string unixPath(const QString& folder) {
    using UnixName = char*(CDECL*)(LPCWSTR);
    const auto toUnix = reinterpret_cast<UnixName>(reinterpret_cast<void*>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    if (!toUnix)
        return {};
    char* name = toUnix(QDir::toNativeSeparators(folder).toStdWString().c_str());
    if (!name)
        return {};
    std::string path(name);
    HeapFree(GetProcessHeap(), 0, name);
    return path;
}

bool define(QChar letter, ULONG type, const std::string& mountPoint) {
    const HANDLE manager =
        CreateFileW(L"\\\\.\\MountPointManager", GENERIC_READ | GENERIC_WRITE,
                    FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING, 0, nullptr);
    if (manager == INVALID_HANDLE_VALUE)
        return false;
    std::string request(sizeof(MountmgrUnixDrive) + mountPoint.size() + 1, '\0');
    auto* drive = reinterpret_cast<MountmgrUnixDrive*>(request.data());
    drive->size = static_cast<ULONG>(request.size());
    drive->type = type;
    drive->letter = letter.toLower().unicode();
    if (!mountPoint.empty()) {
        drive->mountPointOffset = sizeof(MountmgrUnixDrive);
        std::memcpy(request.data() + sizeof(MountmgrUnixDrive), mountPoint.c_str(),
                    mountPoint.size());
    }
    const BOOL done =
        DeviceIoControl(manager, kDefineUnixDrive, request.data(),
                        static_cast<DWORD>(request.size()), nullptr, 0, nullptr, nullptr);
    CloseHandle(manager);
    return done;
}

} // namespace

WineDrive::WineDrive(QChar letter, int type, const QString& folder)
    : m_letter(letter.toUpper()) {
    const std::string mountPoint = unixPath(folder);
    if (mountPoint.empty())
        m_unavailable =
            QStringLiteral("drives of a chosen type are made with Wine's mount manager");
    else if (!isFree(m_letter))
        m_unavailable = QStringLiteral("drive %1: is taken").arg(m_letter);
    else if (!define(m_letter, static_cast<ULONG>(type), mountPoint))
        m_unavailable = QStringLiteral("Wine's mount manager did not map drive %1:").arg(m_letter);
}

WineDrive::~WineDrive() {
    if (m_unavailable.isEmpty())
        define(m_letter, DRIVE_NO_ROOT_DIR, {});
}

QString WineDrive::root() const {
    return QString(m_letter) + QStringLiteral(":/");
}

bool WineDrive::isFree(QChar letter) {
    const int bit = letter.toUpper().unicode() - 'A';
    return bit >= 0 && bit < 26 && !(GetLogicalDrives() & (1u << bit));
}

} // namespace quillmere::test
