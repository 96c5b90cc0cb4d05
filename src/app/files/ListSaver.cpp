#include "app/files/ListSaver.h"

#include "app/files/ListFiles.h"
#include "app/files/MainListBackups.h"
#include "app/files/ReplacementFile.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <memory>
#include <vector>

namespace quillmere {

namespace {

struct Target {
    ListId id;
    std::shared_ptr<ReplacementFile> file;
    bool written = false; // before the save
};

QString listPath(ListId id, const SaveRequest& request) {
    switch (id) {
    case ListId::Main:
        return mainListPath(request.imailPath);
    case ListId::Added:
        return addedListPath(request.dataPath);
    case ListId::Removed:
        return removedListPath(request.dataPath);
    }
    return QString();
}

// The modified lists in the order their files take their places: tracking lists first.
std::vector<Target> modifiedTargets(const TrackedLists& lists, const SaveRequest& request) {
    std::vector<Target> targets;
    for (ListId id : {ListId::Added, ListId::Removed, ListId::Main}) {
        if (!lists.isModified(id))
            continue;
        if (id == ListId::Main && request.writtenMain.file)
            targets.push_back({id, request.writtenMain.file, true});
        else
            targets.push_back({id, std::make_shared<ReplacementFile>(listPath(id, request))});
    }
    return targets;
}

// A file whose snapshot is of another path was not loaded from there: the folders were changed
// in the Options dialog since, and the save is meant to put the lists into the new folders.
const FileSnapshot* loadedFrom(const SaveRequest& request, const Target& target) {
    if (!request.loaded)
        return nullptr;
    const FileSnapshot& snapshot = (*request.loaded)[static_cast<std::size_t>(target.id)];
    return snapshot.path == target.file->path() ? &snapshot : nullptr;
}

SaveOutcome failed(SaveOutcome outcome) {
    outcome.errors << QStringLiteral("No list file was changed.");
    return outcome;
}

bool needsDataFolder(const std::vector<Target>& targets) {
    for (const Target& target : targets) {
        if (target.id != ListId::Main)
            return true;
    }
    return false;
}

// Each step below adds its faults to the outcome and says whether the save may go on.

bool refuseUnreadable(const std::vector<Target>& targets, const SaveRequest& request,
                      SaveOutcome& outcome) {
    for (const Target& target : targets) {
        const FileSnapshot* snapshot = loadedFrom(request, target);
        if (snapshot && snapshot->state == FileSnapshot::State::Unreadable)
            outcome.errors << QStringLiteral("%1 could not be read when the lists were loaded, so "
                                             "it is not overwritten.")
                                  .arg(displayPath(target.file->path()));
    }
    return outcome.errors.isEmpty();
}

bool makeDataFolder(const std::vector<Target>& targets, const SaveRequest& request,
                    SaveOutcome& outcome) {
    if (!needsDataFolder(targets) || QDir(request.dataPath).exists() ||
        QDir().mkpath(request.dataPath))
        return true;
    outcome.errors << QStringLiteral("Cannot create the tracking data folder %1")
                          .arg(displayPath(request.dataPath));
    return false;
}

bool writeTemporaryFiles(std::vector<Target>& targets, const TrackedLists& lists,
                         const SaveRequest& request, SaveOutcome& outcome) {
    // Also beside the lists this save leaves alone: a save killed while it renamed them left
    // their kept old files there. The file written before the save cleared its own already.
    for (ListId id : {ListId::Added, ListId::Removed, ListId::Main}) {
        if (id != ListId::Main || !request.writtenMain.file)
            ReplacementFile::removeLeftovers(listPath(id, request));
    }
    for (Target& target : targets) {
        const QString error =
            target.written ? request.writtenMain.error : target.file->write(lists.list(target.id));
        if (!error.isEmpty()) {
            outcome.errors << error;
            return false;
        }
    }
    return true;
}

// Checked once everything is written, just before the files take their places, so that a
// program that does not lock has the least time to change one unseen.
bool findChangedOnDisk(const std::vector<Target>& targets, const SaveRequest& request,
                       SaveOutcome& outcome) {
    for (const Target& target : targets) {
        const FileSnapshot* snapshot = loadedFrom(request, target);
        if (snapshot && !request.overwriteChanged && snapshot->changedOnDisk())
            outcome.changedOnDisk << displayPath(target.file->path());
    }
    return outcome.changedOnDisk.isEmpty();
}

// Found out before the first file changes, so that the save stays all or nothing: a read-only
// list, one that another program holds open (Windows), or one that the system keeps from being
// replaced (immutable, mounted in its place, a folder that cannot be written).
bool checkReplaceable(const std::vector<Target>& targets, SaveOutcome& outcome) {
    for (const Target& target : targets) {
        const QString error = target.file->checkReplaceable();
        if (!error.isEmpty())
            outcome.errors << error;
    }
    return outcome.errors.isEmpty();
}

// The backups live in the tracking data folder; one that does not exist yet (no hand edit saved
// so far, or a mistyped folder) is not made for them. The old file is kept before it is
// replaced, and takes its name as a backup only once it was: a backup is only ever of a list
// that a save really replaced.
MainListBackups::Kept keepBackup(MainListBackups& backups, const TrackedLists& lists,
                                 const SaveRequest& request) {
    const QString mainPath = mainListPath(request.imailPath);
    if (!lists.isModified(ListId::Main) || !fileExists(mainPath) ||
        !QDir(request.dataPath).exists())
        return {};
    return backups.keep(mainPath,
                        request.time.isValid() ? request.time : QDateTime::currentDateTimeUtc());
}

void markSaved(const Target& target, TrackedLists& lists, const SaveRequest& request) {
    lists.setModified(target.id, false);
    if (request.loaded)
        (*request.loaded)[static_cast<std::size_t>(target.id)] =
            FileSnapshot::written(target.file->path(), target.file->size(), target.file->hash());
}

// Puts back the files that took their places before a rename failed, the last first. What
// cannot be put back is new on disk, and said so.
void putBack(std::vector<Target>& targets, std::size_t replaced, TrackedLists& lists,
             const SaveRequest& request, SaveOutcome& outcome) {
    QStringList stayed;
    for (std::size_t k = replaced; k-- > 0;) {
        const QString error = targets[k].file->putBack();
        if (error.isEmpty())
            continue;
        outcome.errors << error;
        markSaved(targets[k], lists, request);
        stayed.prepend(displayPath(targets[k].file->path()));
    }
    if (replaced > 0)
        syncFolder(request.dataPath);
    if (stayed.isEmpty())
        outcome.errors << QStringLiteral("No list file was changed.");
    else
        outcome.errors
            << QStringLiteral("Already saved: %1").arg(stayed.join(QStringLiteral(", ")));
}

// The files take their places one at a time, the tracking lists first. Each but the last keeps
// its old file at hand, so that when a later rename still fails (a program that opened the file
// in the last moment, a folder that turned read-only since the check) those already replaced
// are put back.
bool replaceInOrder(std::vector<Target>& targets, TrackedLists& lists, const SaveRequest& request,
                    SaveOutcome& outcome) {
    std::size_t replaced = 0;
    QString error;
    for (; replaced < targets.size(); ++replaced) {
        Target& target = targets[replaced];
        if (target.id == ListId::Main && replaced > 0)
            syncFolder(request.dataPath);
        if (replaced + 1 < targets.size())
            error = target.file->keepOld();
        if (!error.isEmpty())
            break;
        if (request.beforeReplacing)
            request.beforeReplacing(target.file->target());
        error = target.file->commit();
        if (!error.isEmpty())
            break;
    }
    if (error.isEmpty()) {
        for (const Target& target : targets)
            markSaved(target, lists, request);
        return true;
    }
    outcome.errors << error;
    putBack(targets, replaced, lists, request, outcome);
    return false;
}

void finish(const std::vector<Target>& targets, const SaveRequest& request,
            const MainListBackups& backups, const MainListBackups::Kept& backup,
            SaveOutcome& outcome) {
    syncFolder(QFileInfo(targets.back().file->target()).absolutePath());
    QString backupError = backup.error;
    if (backupError.isEmpty())
        backupError = backups.complete(backup);
    if (!backupError.isEmpty())
        outcome.warnings << backupError + QStringLiteral(" %1 was saved without a backup.")
                                              .arg(displayPath(mainListPath(request.imailPath)));
    else if (!backup.path.isEmpty())
        backups.prune();
}

} // namespace

SaveOutcome saveAll(TrackedLists& lists, const SaveRequest& request) {
    SaveOutcome outcome;
    std::vector<Target> targets = modifiedTargets(lists, request);
    if (targets.empty())
        return outcome;
    if (!refuseUnreadable(targets, request, outcome) ||
        !makeDataFolder(targets, request, outcome) ||
        !writeTemporaryFiles(targets, lists, request, outcome))
        return failed(std::move(outcome));
    if (!findChangedOnDisk(targets, request, outcome))
        return outcome;
    if (!checkReplaceable(targets, outcome))
        return failed(std::move(outcome));
    MainListBackups backups(request.dataPath);
    const MainListBackups::Kept backup = keepBackup(backups, lists, request);
    if (replaceInOrder(targets, lists, request, outcome))
        finish(targets, request, backups, backup, outcome);
    else
        backups.discard(backup);
    return outcome;
}

} // namespace quillmere
