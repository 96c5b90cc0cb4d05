#include "platform/SystemDrives.h"

#include <QDir>
#include <QFileInfo>
#include <QStorageInfo>
#include <windows.h>

namespace quillmere {

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

} // namespace quillmere
