#include "UnreadableFile.h"

#include "SystemReason.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#ifdef Q_OS_WIN
#include "OtherProgram.h"
#endif

namespace quillmere::test {

#ifdef Q_OS_WIN

UnreadableFile::UnreadableFile(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write("a.ex\r\n") != 6) {
        m_unavailable = QStringLiteral("cannot write %1").arg(path);
        return;
    }
    file.close();
    m_heldOpen = std::make_unique<FileHeldOpen>(path, FileHeldOpen::Sharing::Nothing);
    if (!m_heldOpen->isOpen()) {
        m_unavailable = QStringLiteral("cannot hold %1 open").arg(path);
        return;
    }
    m_message = QStringLiteral("Cannot open %1: %2")
                    .arg(QDir::toNativeSeparators(path), withoutFullStop(sharingViolationReason()));
}

#else

namespace {
// Its size is a page, its content the few bytes naming the possible processors.
const QString kShortFile = QStringLiteral("/sys/devices/system/cpu/possible");
} // namespace

UnreadableFile::UnreadableFile(const QString& path) {
    QFile source(kShortFile);
    if (!source.open(QIODevice::ReadOnly)) {
        m_unavailable = QStringLiteral("needs %1, a file that reports more bytes than it gives")
                            .arg(kShortFile);
        return;
    }
    const qint64 given = source.readAll().size();
    const qint64 reported = QFileInfo(kShortFile).size();
    if (given >= reported || !QFile::link(kShortFile, path)) {
        m_unavailable =
            QStringLiteral("%1 gives the bytes it reports, or cannot be linked to").arg(kShortFile);
        return;
    }
    m_message = QStringLiteral("Cannot read %1: only %2 of its %3 bytes could be read")
                    .arg(QDir::toNativeSeparators(path))
                    .arg(given)
                    .arg(reported);
}

#endif

UnreadableFile::~UnreadableFile() = default;

} // namespace quillmere::test
