#include "TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillmere::test {

QString TempFolder::subfolder(const QString& name) const {
    QDir(m_dir.path()).mkpath(name);
    return filePath(name);
}

void TempFolder::write(const QString& name, const QByteArray& bytes) const {
    const QString path = filePath(name);
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size())
        qFatal("cannot write test file %s", qPrintable(path));
}

QByteArray TempFolder::read(const QString& name) const {
    QFile file(filePath(name));
    if (!file.open(QIODevice::ReadOnly))
        return QByteArray();
    return file.readAll();
}

bool TempFolder::exists(const QString& name) const {
    return QFileInfo::exists(filePath(name));
}

} // namespace quillmere::test
