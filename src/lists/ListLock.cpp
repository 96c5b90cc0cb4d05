#include "ListLock.h"

#include "ListFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace quillmere {

ListLock::ListLock(const QString& imailPath)
    : m_path(mainListPath(imailPath) + QStringLiteral(".lock"))
    , m_lock(m_path) {
    // Saving a merged list of millions of entries can take longer than any fixed age, so only a
    // holder that no longer runs makes the lock stale.
    m_lock.setStaleLockTime(0);
}

namespace {
// QLockFile does not say why it could not make its file; writing one byte there does.
QString whyNotWritable(const QString& path) {
    QFile probe(path);
    if (!probe.open(QIODevice::WriteOnly | QIODevice::NewOnly | QIODevice::Unbuffered))
        return probe.errorString();
    const bool written = probe.write("x", 1) == 1;
    const QString reason = probe.errorString();
    probe.remove();
    return written ? QStringLiteral("reason unknown") : reason;
}

// A lock file that holds no owner is what a power cut leaves between the file's creation and
// its first write; once it is older than any such moment, nobody holds it.
constexpr int kBrokenLockAge = 5;

bool isBrokenAndOld(QLockFile& lock, const QString& path) {
    qint64 pid = 0;
    QString host;
    QString program;
    const QFileInfo info(path);
    return info.isFile() && !lock.getLockInfo(&pid, &host, &program) &&
           qAbs(info.lastModified().secsTo(QDateTime::currentDateTime())) >= kBrokenLockAge;
}
} // namespace

bool ListLock::acquire(std::chrono::seconds wait) {
    // Without the Imail root there are no lists for anyone to load: nothing to guard, and the
    // save itself reports the missing folder.
    if (!QFileInfo(m_path).absoluteDir().exists())
        return true;
    // Opening a FIFO to read its owner would wait for a writer forever.
    const PathCheck check = checkFilePath(m_path);
    if (check.kind == PathKind::Unreadable || QFileInfo(m_path).isSymLink()) {
        m_error = QStringLiteral("Cannot lock the lists: %1 is not a regular file; remove it.")
                      .arg(displayPath(m_path));
        return false;
    }
    // Looked at twice, so that a lock another writer has just made in its place is left alone.
    if (isBrokenAndOld(m_lock, m_path) && isBrokenAndOld(m_lock, m_path))
        m_lock.removeStaleLockFile();
    const auto milliseconds = std::chrono::duration_cast<std::chrono::milliseconds>(wait);
    if (m_lock.tryLock(static_cast<int>(milliseconds.count()))) {
        m_error.clear();
        return true;
    }
    qint64 pid = 0;
    QString host;
    QString program;
    if (m_lock.error() == QLockFile::LockFailedError && m_lock.getLockInfo(&pid, &host, &program))
        m_error = QStringLiteral("The lists are in use by %1 (process %2 on %3), which holds %4; "
                                 "gave up waiting after %5 seconds.")
                      .arg(program)
                      .arg(pid)
                      .arg(host, displayPath(m_path))
                      .arg(wait.count());
    else
        m_error = QStringLiteral("Cannot lock the lists: %1 cannot be created: %2.")
                      .arg(displayPath(m_path), whyNotWritable(m_path));
    return false;
}

} // namespace quillmere
