#pragma once

#include <QString>

namespace quillmere::test {

// A drive letter of the given GetDriveTypeA type mapped to a folder, for as long as this object
// lives, through Wine's mount manager (the way winecfg maps drives in a prefix's dosdevices).
// Windows itself offers no way to make a drive of a chosen type, so elsewhere than under Wine
// nothing is mapped.
class WineDrive final {
public:
    WineDrive(QChar letter, int type, const QString& folder);
    ~WineDrive();
    WineDrive(const WineDrive&) = delete;
    WineDrive& operator=(const WineDrive&) = delete;

    // Why the drive could not be mapped; empty when it is.
    const QString& unavailable() const { return m_unavailable; }
    // "Q:/"
    QString root() const;

    // Whether the letter names no drive now.
    static bool isFree(QChar letter);

private:
    QChar m_letter;
    QString m_unavailable;
};

} // namespace quillmere::test
