#pragma once

#include "platform/Drives.h"

#include <QByteArray>

namespace quillmere {

// On Windows the drive letters and GetDriveTypeA; elsewhere the mounted volumes (QStorageInfo),
// typed by their file system.
class SystemDrives final : public Drives {
public:
    QList<Drive> list() override;
    int type(const Drive& drive) override;
};

// The drive type of a mounted volume off Windows: network file systems are remote drives, optical
// ones CD-ROM drives, memory file systems RAM disks, volumes on removable devices removable
// drives, and everything else fixed.
int volumeDriveType(const QByteArray& fileSystemType, bool onRemovableDevice);

} // namespace quillmere
