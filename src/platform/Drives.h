#pragma once

#include <QList>
#include <QString>

namespace quillmere {

// Drive type codes, as the Windows function GetDriveTypeA gives them.
enum DriveType : int {
    DriveUnknown = 0,
    DriveNoRootDir = 1,
    DriveRemovable = 2,
    DriveFixed = 3,
    DriveRemote = 4,
    DriveCdRom = 5,
    DriveRamDisk = 6,
};

struct Drive {
    QString root; // with "/" separators and a trailing one: "C:/", "/", "/media/usb/"
    QString name; // as the drive list shows it; begins with the lower-case letter on Windows: "c:"
};

// The machine's drives (on Windows its drive letters, elsewhere its mounted volumes) and their
// types.
class Drives {
public:
    virtual ~Drives() = default;
    virtual QList<Drive> list() = 0;
    // One of the DriveType codes; other values are possible and mean nothing to the program.
    virtual int type(const Drive& drive) = 0;
};

} // namespace quillmere
