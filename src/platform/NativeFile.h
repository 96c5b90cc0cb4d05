#pragma once

#include <QFileDevice>
#include <QString>
#include <optional>
#include <string_view>

namespace quillmere {

// A file opened with the system's own calls, for the writes whose failure must carry the
// system's reason ("No space left on device", "File too large") and which must reach the disk.
// Unbuffered: every write goes to the system at once. Closed when destroyed.
class NativeFile final {
public:
    NativeFile(NativeFile&& other) noexcept;
    NativeFile& operator=(NativeFile&& other) noexcept;
    NativeFile(const NativeFile&) = delete;
    NativeFile& operator=(const NativeFile&) = delete;
    ~NativeFile();

    // Creates a file that does not exist yet, for writing; fails when the name is taken.
    static std::optional<NativeFile> createNew(const QString& path, QString& reason);
    // Opens an existing file for reading, shared with its writers as Qt's files are. Made for
    // the reads on helper threads, which Qt's files (objects of a thread) would have Qt adopt.
    static std::optional<NativeFile> openForReading(const QString& path, QString& reason);
    // Opens a file for appending, creating it when missing. A symbolic link in the file's place
    // is not followed, and anything but a regular file is refused without waiting (a FIFO).
    static std::optional<NativeFile> openForAppend(const QString& path, QString& reason);

    // Writes all bytes, at the end for a file opened for appending. A write the system cuts
    // short is tried again with the rest, so a failure always carries the system's reason.
    bool writeAll(std::string_view bytes);
    // Reads up to size bytes at the offset, fewer at the end or beyond what one call asks of the
    // system; the number read, 0 past the end, or -1.
    qint64 readAt(qint64 offset, char* into, qint64 size);
    // At most what one readAt asks of the system: Windows reads less than 4 GiB a call.
    static constexpr qint64 kMostReadAtOnce = qint64{1} << 30;
    qint64 size();
    bool truncate(qint64 size);
    // Has the system start writing what was written so far to the disk, without waiting for
    // it, so that a large file's syncToDisk waits only for its last part. Where the system has no
    // such call, nothing.
    void startWritingToDisk();
    // Flushes what was written to the disk itself, not only to the system's cache.
    bool syncToDisk();
    bool close();
    // The system's reason for the last call that failed.
    const QString& reason() const { return m_reason; }

    // The system's handle: a file descriptor, or on Windows a HANDLE.
    qintptr handle() const { return m_handle; }

private:
    explicit NativeFile(qintptr handle);
    bool fail();

    qintptr m_handle;
    QString m_reason;
};

// Gives a new file what the file it replaces had, so that the mail server's account can still
// read it after a save run by another user (an administrator's scheduled task as root, say): the
// owner, group and permissions where the process may set them; on Windows the attributes and the
// access list (the security descriptor's DACL).
void takeOverProtection(const QString& replacedPath, NativeFile& file);

// Puts a written file in the target's place in one step, a rename, so that a reader always finds
// either the old file or the new one. An empty string, or the system's reason.
QString replaceWith(const QString& temporary, const QString& target);

// Why the target cannot be replaced by a rename now; an empty string when it can (or does not
// exist). On Windows a file that another program holds open without sharing its deletion (the
// mail server reading the list) cannot be, and is waited for a little. Elsewhere a file or folder
// marked immutable or append-only, a file mounted in the target's place, a folder the process
// may not write, or another user's file in a sticky folder keep it from being replaced. Asked
// before the first file of a save changes, so that the save stays all or nothing.
QString whyNotReplaceable(const QString& target);

// Whether the file is marked read-only by its administrator: on Windows its read-only attribute,
// elsewhere a mode that lets nobody write it (chmod a-w). False for a missing file.
bool isMarkedReadOnly(const QString& path);

// Why this process must not follow the symbolic link at the path (or a link it leads to), naming
// the link and its owner; an empty string when it may, or when the path is no link. A process
// running as root follows only links that belong to root or to the user running it, in folders
// that belong to them: another account that may write the folder could otherwise point the
// link at any file (/etc/shadow) and have root rewrite it. Other processes follow every link.
QString refusedLink(const QString& path);

// Removes a file (or a link, never what it names), with the system's own call: unlike QFile's
// (and QDir's, which uses it), it makes no Qt object, so it may run on a helper thread.
bool removeFile(const QString& path);

// Flushes a folder's entries to the disk, so that renames done in it survive a power cut in the
// order they were made. Windows writes renames through itself (MOVEFILE_WRITE_THROUGH).
void syncFolder(const QString& folder);

// Flushes what a Qt file wrote to the disk itself, ahead of a QSaveFile's commit, which then
// finds little left to flush. False where Qt gives no system handle for it: the commit then
// flushes it all.
bool syncToDisk(QFileDevice& file);

// The system's text for an error number (errno, or GetLastError() on Windows).
QString systemErrorText(int code);

} // namespace quillmere
