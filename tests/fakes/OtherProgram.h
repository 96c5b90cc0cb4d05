#pragma once

#include <QString>

namespace quillmere::test {

// Another program that holds a file open, as the mail server does while it reads the list: on
// Windows it shares the file for reading only, so the file cannot be replaced or deleted until it
// lets go; elsewhere an open file never keeps it from being replaced.
class FileHeldOpen final {
public:
    explicit FileHeldOpen(const QString& path);
    ~FileHeldOpen();
    FileHeldOpen(const FileHeldOpen&) = delete;
    FileHeldOpen& operator=(const FileHeldOpen&) = delete;

    bool isOpen() const;
    void release();

private:
    qintptr m_handle;
};

} // namespace quillmere::test
