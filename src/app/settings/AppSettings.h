#pragma once

#include "core/lists/EntryList.h"

#include <QString>
#include <cstdint>

namespace quillmere {

// The settings read at start-up and held for the whole run. Switches are 0 (off) or 1 (on).
struct AppSettings {
    QString regRoot;
    bool imailInstalled = false;
    QString imailPath;
    QString dataPath;
    QString importPath;
    QString installPath;
    std::int16_t exitSave = 0;
    std::int16_t exitSort = 0;
    std::int16_t restartQueue = 0;
};

// The program-wide state shared by the start-up sequence and the modal dialogs: the settings and
// the dialogs' results, which the dialogs hand back here rather than as return values.
struct Module1 {
    AppSettings settings;
    bool modalFlag = false;
    QString chosenPath;
    bool checkDriveType = false;
    // The Options dialog's save switch as it was before its sort switch forced it on; kept from
    // one showing of the dialog to the next.
    std::int16_t prevExitSave = 0;
    // The last evaluation of the Added list against a release: the entries the release lacks and
    // those it lists. Emptied as each evaluation starts; its dialog shows them and a trim keeps
    // the first.
    EntryList evalUnique;
    EntryList evalListed;
};

} // namespace quillmere
