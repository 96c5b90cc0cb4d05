#include "platform/SystemDrives.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>
#ifdef Q_OS_WIN
#include <windows.h>
#endif

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

#ifdef Q_OS_WIN

QList<Drive> SystemDrives::list() {
    QList<Drive> drives;
    for (const QFileInfo& root : QDir::drives()) {
        const QString path = root.absoluteFilePath(); // "C:/"
        QString name = path.left(2).toLower();
        // Asking an empty removable drive for its label would fail; only ready ones are named.
        const QStorageInfo volume(path);
        if (volume.isReady() && !volume.name().isEmpty())
            name += QStringLiteral(" [%1]").arg(volume.name());
        drives.append({path, name});
    }
    return drives;
}

int SystemDrives::type(const Drive& drive) {
    const QByteArray root = QDir::toNativeSeparators(drive.root).toLocal8Bit();
    return static_cast<int>(GetDriveTypeA(root.constData()));
}

#else

namespace {

// True when the block device behind a volume reports itself removable (USB sticks, card readers).
bool isOnRemovableDevice(const QStorageInfo& volume) {
    const QString device = QString::fromLocal8Bit(volume.device());
    if (!device.startsWith(QStringLiteral("/dev/")))
        return false;
    QString block =
        QFileInfo(QStringLiteral("/sys/class/block/") + device.mid(5)).canonicalFilePath();
    if (block.isEmpty())
        return false;
    // A partition's own folder has no "removable"; its disk's folder, one level up, has.
    if (QFileInfo::exists(block + QStringLiteral("/partition")))
        block = QFileInfo(block).path();
    QFile removable(block + QStringLiteral("/removable"));
    return removable.open(QIODevice::ReadOnly) && removable.readAll().trimmed() == "1";
}

QString withTrailingSlash(const QString& path) {
    return path.endsWith(QLatin1Char('/')) ? path : path + QLatin1Char('/');
}

} // namespace

QList<Drive> SystemDrives::list() {
    QList<Drive> drives;
    for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
        if (!volume.isValid() || !volume.isReady())
            continue;
        QString name = volume.rootPath();
        if (!volume.name().isEmpty())
            name += QStringLiteral(" [%1]").arg(volume.name());
        drives.append({withTrailingSlash(volume.rootPath()), name});
    }
    return drives;
}

int SystemDrives::type(const Drive& drive) {
    const QStorageInfo volume(drive.root);
    if (!volume.isValid())
        return DriveNoRootDir;
    return volumeDriveType(volume.fileSystemType(), isOnRemovableDevice(volume));
}

#endif

} // namespace quillmere
