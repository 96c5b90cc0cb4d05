#include "platform/SystemDrives.h"

#include <QFile>
#include <QFileInfo>
#include <QStorageInfo>

namespace quillmere {

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

} // namespace quillmere
