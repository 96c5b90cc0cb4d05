#pragma once

#include "app/files/FileSnapshot.h"
#include "core/lists/TrackedLists.h"

#include <QString>
#include <QStringList>

namespace quillmere {

// Reads the three list files into the lists, leaving the flags as they are.
struct LoadOutcome {
    bool mainFound = false; // false: nothing is at the Main list's path and nothing was loaded
    bool mainRead = false;  // the Main list file was found and read whole
    QStringList errors;     // files that exist but could not be read, with the reason
    LoadedFiles files;      // what each file was, for the change check of the next save
};

// A missing tracking file is an empty list and no error. The Main list's snapshot is taken as the
// check asks; the tracking lists' always by content. Anything else at a list's path that
// cannot be read (a folder, FIFO or device, a file without read permission) is an error naming
// the path: treating it as empty would wipe it at the next save.
LoadOutcome loadLists(TrackedLists& lists, const QString& imailPath, const QString& dataPath,
                      ChangeCheck mainCheck = ChangeCheck::Content);

// The Added and Removed lists only, for commands that read the Main list file themselves or not
// at all: the Main list file is only checked to exist (mainRead stays false).
LoadOutcome loadTrackingLists(TrackedLists& lists, const QString& imailPath,
                              const QString& dataPath,
                              ChangeCheck mainCheck = ChangeCheck::Content);

} // namespace quillmere
