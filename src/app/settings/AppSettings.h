#pragma once

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

// The program-wide state of the start-up sequence and the modal dialogs: the settings, and what
// the Options dialog and its folder chooser keep from one showing to the next. The dialogs' answers
// are their return values.
struct Module1 {
    AppSettings settings;
    // Whether the folder chooser checks drive types. A new chooser is placed on its load folder
    // while this still holds the previous use's value, since the caller sets it afterwards.
    bool checkDriveType = false;
    // The folder the last chooser handed back, emptied by the Options dialog's Cancel: a new
    // chooser is placed on it as it loads, before its caller gives it the field's folder.
    QString lastChosenPath;
    // The Options dialog's save switch as it was before its sort switch forced it on; kept from
    // one showing of the dialog to the next.
    std::int16_t prevExitSave = 0;
};

} // namespace quillmere
