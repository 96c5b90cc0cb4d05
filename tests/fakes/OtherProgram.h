#pragma once

#include <QString>

namespace quillmere::test {

// Another program that holds a file open on Windows, where that keeps the file from being
// replaced or deleted until it lets go: the mail server reading the list shares it for reading
// only; one writing it shares nothing, so that it cannot even be read.
class FileHeldOpen final {
public:
    enum class Sharing { Reading, Nothing };
    explicit FileHeldOpen(const QString& path, Sharing sharing = Sharing::Reading);
    ~FileHeldOpen();
    FileHeldOpen(const FileHeldOpen&) = delete;
    FileHeldOpen& operator=(const FileHeldOpen&) = delete;

    bool isOpen() const;
    void release();

private:
    void* m_handle;
};

} // namespace quillmere::test
