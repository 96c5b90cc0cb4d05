#pragma once

#include "app/update/FactoryFetch.h"
#include "platform/Sha256.h"

#include <QByteArray>
#include <QSaveFile>
#include <QString>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <string>
#include <string_view>
#include <thread>

namespace quillmere {

// Hashes a fetched body as it arrives and writes it into a temporary file beside the copy it is
// to replace, in a thread of its own while the fetch waits for the network: after the merge only
// the rename is left. The copy takes the place of the old one in one step, and only when it is
// kept; otherwise the temporary file is removed when this is destroyed. A folder that does not
// exist yet is not created before the body is kept, and anything that goes wrong with the
// temporary file leaves the copy to be written whole when kept, so that the outcome and its
// messages are those of writing it afterwards.
class ArrivingBodyCopy final : public ArrivingBytes {
public:
    // An empty path hashes only.
    explicit ArrivingBodyCopy(QString copyPath);
    ~ArrivingBodyCopy() override;
    ArrivingBodyCopy(const ArrivingBodyCopy&) = delete;
    ArrivingBodyCopy& operator=(const ArrivingBodyCopy&) = delete;

    void beginAgain() override;
    void take(const QByteArray& piece) override;

    // No more pieces come: the thread flushes the copy to the disk now, while the body is checked
    // and merged, so that keeping it later is little more than the rename.
    void flushAhead();

    // What arrived are the body's own bytes: when as many arrived as the body holds, they are the
    // body, and when fewer did (a file URL gives none), it is hashed and written whole instead.
    // The SHA-256 of the body, in hex. Once.
    std::string sha256(std::string_view body);
    // Puts the copy of the body in its place in one step; an error names the file. Once.
    QString keep(std::string_view body);

private:
    void work();
    // Until the thread has hashed and written every piece taken, and flushed when asked.
    void waitUntilWritten();

    QString m_copyPath;
    // Shared with the thread, under the mutex.
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<QByteArray> m_pieces;
    std::size_t m_queuedBytes = 0;
    bool m_busy = false;
    bool m_flushWanted = false;
    bool m_stop = false;
    // The thread's own while it is busy.
    Sha256 m_hash;
    std::size_t m_taken = 0;
    std::unique_ptr<QSaveFile> m_file;
    bool m_fileFailed = true; // no file, or a write to it failed
    std::thread m_thread;
};

} // namespace quillmere
