#pragma once

#include "TrackedLists.h"

#include <QString>
#include <QStringList>

namespace quillmere {

// Reads the three list files into the lists, leaving the flags as they are.
struct LoadOutcome {
    bool mainFound = false; // false: the Main list file is missing and nothing was loaded
    bool mainRead = false;  // the Main list file was found and read whole
    QStringList errors;     // files that exist but could not be read, with the reason
};

// A missing tracking file is an empty list and no error. A tracking file that exists but cannot
// be read is an error: treating it as empty would wipe it at the next save.
LoadOutcome loadLists(TrackedLists& lists, const QString& imailPath, const QString& dataPath);

// The Added and Removed lists only, for commands that read the Main list file themselves or not
// at all: the Main list file is only checked to exist (mainRead stays false).
LoadOutcome loadTrackingLists(TrackedLists& lists, const QString& imailPath,
                              const QString& dataPath);

} // namespace quillmere
