#pragma once

#include "app/files/FileSnapshot.h"
#include "app/files/ReplacementFile.h"
#include "core/lists/TrackedLists.h"

#include <QDateTime>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

namespace quillmere {

// A list file's replacement written before the save, by the command that made the list: a merge
// that writes the new Main list as it makes it and never holds it. error: why the write failed.
struct WrittenReplacement {
    std::shared_ptr<ReplacementFile> file;
    QString error;
};

struct SaveRequest {
    QString imailPath;
    QString dataPath;
    // The files as the lists were loaded from them, updated for each file the save writes. A file
    // that was not read at the load, or that another program changed since, is never overwritten
    // silently. Null when the caller has nothing to compare with.
    LoadedFiles* loaded = nullptr;
    // Overwrite files that changed on disk since the load (the user said so).
    bool overwriteChanged = false;
    // The time of the save, which names the backup of the Main list; now when not set.
    QDateTime time = {};
    // Runs just before each file takes its place, with the file really replaced: what another
    // program or a crash may do in that moment, for the tests.
    std::function<void(const QString& file)> beforeReplacing = {};
    // The modified Main list's file, written already: the Main list in the lists is not written.
    WrittenReplacement writtenMain = {};
};

struct SaveOutcome {
    // The save failed: one message per fault, naming the file, and a last line saying what it
    // left. The lists keep their modified flags.
    QStringList errors;
    // Files (as the user knows their paths) that another program changed since the load. Nothing
    // was written; the caller may ask and save again with overwriteChanged.
    QStringList changedOnDisk;
    // The save succeeded but something beside it did not (the backup of the Main list): the
    // caller reports it as a failure, though the lists were saved.
    QStringList warnings;

    bool saved() const { return errors.isEmpty() && changedOnDisk.isEmpty(); }
};

// "Save All" as one step: the modified lists, and only those, are each written to a temporary
// file beside their file and flushed; only when all are written do they take the old files'
// places, the tracking lists before the Main list, so that a crash in between can at worst leave
// a hand edit recorded but not yet in the Main list, which the next merge applies. A save that
// fails changes no list file: every file is checked before the first rename (read-only, held
// open, kept from being replaced), and when a rename still fails, the files already replaced are
// put back. A missing tracking data folder is created; the Imail root never is. The file that
// url-domain-bl.txt replaces is kept in the data folder's backups.
// The caller holds the list lock.
SaveOutcome saveAll(TrackedLists& lists, const SaveRequest& request);

} // namespace quillmere
