#pragma once

#include <QString>
#include <memory>

namespace quillmere::test {

class FileHeldOpen;

// A list file that exists and cannot be read, as each system makes one, with the message the
// program gives for it. Elsewhere than Windows: a link to a file of the kernel's that reports more
// bytes than it gives. On Windows: a file that another program holds open without sharing it (the
// mail server writing the list, say), for as long as this object lives.
class UnreadableFile final {
public:
    explicit UnreadableFile(const QString& path);
    ~UnreadableFile();
    UnreadableFile(const UnreadableFile&) = delete;
    UnreadableFile& operator=(const UnreadableFile&) = delete;

    // Why no such file could be made here; empty when it was.
    const QString& unavailable() const { return m_unavailable; }
    // "Cannot read PATH: REASON" or "Cannot open PATH: REASON", the path in the system's form.
    const QString& message() const { return m_message; }

private:
    QString m_unavailable;
    QString m_message;
#ifdef Q_OS_WIN
    std::unique_ptr<FileHeldOpen> m_heldOpen;
#endif
};

} // namespace quillmere::test
