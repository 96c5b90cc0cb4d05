#include "platform/SystemDrives.h"

#include <QByteArrayList>

namespace quillmere {

int volumeDriveType(const QByteArray& fileSystemType, bool onRemovableDevice) {
    const QByteArray type = fileSystemType.toLower();
    if (type.isEmpty())
        return DriveUnknown;
    static const QByteArrayList remote{"nfs", "nfs4", "cifs",  "smb3", "smbfs",      "ncpfs",
                                       "afs", "9p",   "davfs", "ceph", "fuse.sshfs", "fuse.rclone"};
    if (remote.contains(type))
        return DriveRemote;
    if (type == "iso9660" || type == "udf")
        return DriveCdRom;
    if (type == "tmpfs" || type == "ramfs")
        return DriveRamDisk;
    return onRemovableDevice ? DriveRemovable : DriveFixed;
}

} // namespace quillmere
