#include "app/files/ListLock.h"

#include "app/files/ListFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

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
    // Waited for a second at a time, so that a lock file left without an owner is taken over
    // as soon as it is old enough, also while waiting.
    const auto deadline = std::chrono::steady_clock::now() + wait;
    for (;;) {
        if (isBrokenAndOld(m_lock, m_path))
            m_lock.removeStaleLockFile();
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
            deadline - std::chrono::steady_clock::now());
        const auto slice =
            std::clamp(left, std::chrono::milliseconds(0), std::chrono::milliseconds(1000));
        if (m_lock.tryLock(static_cast<int>(slice.count()))) {
            m_error.clear();
            return true;
        }
        if (m_lock.error() != QLockFile::LockFailedError || left <= slice)
            break;
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
    else if (m_lock.error() == QLockFile::LockFailedError)
        // Another writer has only just made it, or it is left from a power cut and is taken
        // over once it is older than a few seconds.
        m_error = QStringLiteral("The lists are in use: %1 does not yet say by whom; gave up "
                                 "waiting after %2 seconds.")
                      .arg(displayPath(m_path))
                      .arg(wait.count());
    else
        m_error = QStringLiteral("Cannot lock the lists: %1 cannot be created: %2.")
                      .arg(displayPath(m_path), whyNotWritable(m_path));
    return false;
}

} // namespace quillmere
