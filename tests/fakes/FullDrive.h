#pragma once

#include <QString>

namespace quillmere::test {

// A folder on a drive with no room left, for the faults of a full disk on Windows, where the
// tool cannot be given a file-size limit as on Linux. QUILLMERE_TEST_FULL_DRIVE names a small
// drive of the tests' own (scripts/windows-tests.sh maps one under Wine); the folder is made,
// and the rest of the drive filled up by fill(), at once unless the test asks to put files there
// first. The folder and the filler go when this does.
class FullDrive final {
public:
    enum class Fill { Now, Later };
    explicit FullDrive(Fill when = Fill::Now);
    void fill();
    ~FullDrive();
    FullDrive(const FullDrive&) = delete;
    FullDrive& operator=(const FullDrive&) = delete;

    // Empty when there is no such drive, or it could not be filled; why().
    QString folder() const { return m_folder; }
    QString why() const { return m_why; }

private:
    QString m_folder;
    QString m_filler;
    QString m_why;
};

} // namespace quillmere::test
