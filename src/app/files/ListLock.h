#pragma once

#include <QLockFile>
#include <QString>
#include <chrono>

namespace quillmere {

// The lock every writer of the lists takes, so that two of them never load the same lists and
// then overwrite each other's save. It is a lock file beside url-domain-bl.txt: the Main list is
// the one file every writer shares whatever tracking data folder it uses, and its folder exists
// whenever there are lists to change. A lock left by a process that died on this machine is taken
// over; one of another machine is never guessed stale (its owner is named instead).
class ListLock final {
public:
    explicit ListLock(const QString& imailPath);
    ListLock(const ListLock&) = delete;
    ListLock& operator=(const ListLock&) = delete;

    // Waits up to the given time for the lock. False with error() naming the holder when the
    // wait runs out or the lock file cannot be made.
    bool acquire(std::chrono::seconds wait);
    const QString& error() const { return m_error; }
    const QString& path() const { return m_path; }

private:
    QString m_path;
    QLockFile m_lock;
    QString m_error;
};

} // namespace quillmere
