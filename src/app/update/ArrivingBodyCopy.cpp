#include "app/update/ArrivingBodyCopy.h"

#include "app/files/ListFiles.h"
#include "app/update/UpdateState.h"
#include "platform/NativeFile.h"

#include <QFileInfo>

namespace quillmere {

namespace {

// What may wait for the thread: a network faster than the disk waits beyond this, so that a
// body of a gigabyte is never held twice.
constexpr std::size_t kMostQueuedBytes = std::size_t{64} << 20;

} // namespace

ArrivingBodyCopy::ArrivingBodyCopy(QString copyPath)
    : m_copyPath(std::move(copyPath))
    , m_thread([this] { work(); }) {}

ArrivingBodyCopy::~ArrivingBodyCopy() {
    {
        const std::lock_guard lock(m_mutex);
        m_stop = true;
    }
    m_changed.notify_all();
    m_thread.join();
}

void ArrivingBodyCopy::work() {
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_changed.wait(lock, [this] { return m_stop || !m_pieces.empty() || m_flushWanted; });
        if (m_stop)
            return;
        if (m_pieces.empty()) {
            m_busy = true;
            lock.unlock();
            if (m_file && !m_fileFailed)
                syncToDisk(*m_file);
            lock.lock();
            m_busy = false;
            m_flushWanted = false;
            m_changed.notify_all();
            continue;
        }
        const QByteArray piece = std::move(m_pieces.front());
        m_pieces.pop_front();
        m_busy = true;
        lock.unlock();
        m_hash.add(std::string_view(piece.constData(), static_cast<std::size_t>(piece.size())));
        m_taken += static_cast<std::size_t>(piece.size());
        m_fileFailed = m_fileFailed || !m_file || m_file->write(piece) != piece.size();
        lock.lock();
        m_busy = false;
        m_queuedBytes -= static_cast<std::size_t>(piece.size());
        m_changed.notify_all();
    }
}

void ArrivingBodyCopy::waitUntilWritten() {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_pieces.empty() && !m_busy && !m_flushWanted; });
}

void ArrivingBodyCopy::beginAgain() {
    waitUntilWritten();
    m_hash.hexDigest();
    m_taken = 0;
    m_file.reset();
    m_fileFailed = true;
    if (m_copyPath.isEmpty() || !QFileInfo(QFileInfo(m_copyPath).path()).isDir())
        return;
    m_file = std::make_unique<QSaveFile>(m_copyPath);
    m_fileFailed = !m_file->open(QIODevice::WriteOnly);
}

void ArrivingBodyCopy::take(const QByteArray& piece) {
    std::unique_lock lock(m_mutex);
    m_changed.wait(lock, [this] { return m_queuedBytes < kMostQueuedBytes; });
    m_pieces.push_back(piece);
    m_queuedBytes += static_cast<std::size_t>(piece.size());
    m_changed.notify_all();
}

void ArrivingBodyCopy::flushAhead() {
    {
        const std::lock_guard lock(m_mutex);
        m_flushWanted = true;
    }
    m_changed.notify_all();
}

std::string ArrivingBodyCopy::sha256(std::string_view body) {
    waitUntilWritten();
    if (m_taken == body.size())
        return m_hash.hexDigest();
    Sha256 whole;
    whole.add(body);
    return whole.hexDigest();
}

QString ArrivingBodyCopy::keep(std::string_view body) {
    waitUntilWritten();
    const std::unique_ptr<QSaveFile> file = std::move(m_file);
    if (file && !m_fileFailed && m_taken == body.size()) {
        if (file->commit())
            return QString();
        return QStringLiteral("Cannot write %1: %2")
            .arg(displayPath(m_copyPath), file->errorString());
    }
    return replaceFileWith(
        m_copyPath, QByteArray::fromRawData(body.data(), static_cast<qsizetype>(body.size())));
}

} // namespace quillmere
