#include "FullDrive.h"

#include <QDir>
#include <QFile>
#include <QUuid>

namespace quillmere::test {

FullDrive::FullDrive(Fill when) {
    const QString drive = qEnvironmentVariable("QUILLMERE_TEST_FULL_DRIVE");
    if (drive.isEmpty()) {
        m_why = QStringLiteral("no small drive to fill: QUILLMERE_TEST_FULL_DRIVE is not set");
        return;
    }
    const QString name = QUuid::createUuid().toString(QUuid::Id128);
    const QString folder = drive + QStringLiteral("/") + name;
    if (!QDir().mkpath(folder + QStringLiteral("/data"))) {
        m_why = QStringLiteral("cannot make a folder on %1").arg(drive);
        return;
    }
    m_filler = drive + QStringLiteral("/filler-") + name;
    m_folder = folder;
    if (when == Fill::Now)
        fill();
}

void FullDrive::fill() {
    QFile filler(m_filler);
    if (m_folder.isEmpty() || !filler.open(QIODevice::WriteOnly | QIODevice::Unbuffered)) {
        m_why = QStringLiteral("cannot fill the drive: %1").arg(filler.errorString());
        m_folder.clear();
        return;
    }
    const QByteArray block(4096, 'x');
    while (filler.write(block) == block.size()) {
    }
    // What a write of less than a block still finds room for.
    while (filler.write("x", 1) == 1) {
    }
}

FullDrive::~FullDrive() {
    if (!m_filler.isEmpty())
        QFile::remove(m_filler);
    if (!m_folder.isEmpty())
        QDir(m_folder).removeRecursively();
}

} // namespace quillmere::test
