#include "app/files/ListLoader.h"

#include "app/files/ListFiles.h"
#include "platform/NativeFile.h"

namespace quillmere {

namespace {
bool loadOne(TrackedLists& lists, ListId id, const QString& path, ChangeCheck check,
             LoadOutcome& outcome) {
    FileSnapshot& snapshot = outcome.files[static_cast<std::size_t>(id)];
    snapshot = FileSnapshot::missing(path);
    // Checked before anything else: a link planted to a file that does not exist yet would
    // otherwise read as an empty list, and the save would create that file.
    if (const QString refused = refusedLink(path); !refused.isEmpty()) {
        outcome.errors << QStringLiteral("Cannot read %1: %2").arg(displayPath(path), refused);
        snapshot = FileSnapshot::unreadable(path);
        return false;
    }
    if (checkFilePath(path).kind == PathKind::Missing)
        return false;
    ReadResult read = readFileBytes(path);
    if (!read.bytes) {
        outcome.errors << read.error;
        snapshot = FileSnapshot::unreadable(path);
        return false;
    }
    snapshot = FileSnapshot::read(path, **read.bytes, check);
    lists.replace(id, EntryList::fromFileBytes(std::move(*read.bytes)));
    return true;
}

LoadOutcome load(TrackedLists& lists, const QString& imailPath, const QString& dataPath,
                 bool withMain, ChangeCheck mainCheck) {
    LoadOutcome outcome;
    const QString mainPath = mainListPath(imailPath);
    if (checkFilePath(mainPath).kind == PathKind::Missing)
        return outcome;
    outcome.mainFound = true;
    if (withMain)
        outcome.mainRead = loadOne(lists, ListId::Main, mainPath, mainCheck, outcome);
    // The tracking lists are small enough to be compared by their bytes whoever saves them.
    loadOne(lists, ListId::Added, addedListPath(dataPath), ChangeCheck::Content, outcome);
    loadOne(lists, ListId::Removed, removedListPath(dataPath), ChangeCheck::Content, outcome);
    return outcome;
}
} // namespace

LoadOutcome loadLists(TrackedLists& lists, const QString& imailPath, const QString& dataPath,
                      ChangeCheck check) {
    return load(lists, imailPath, dataPath, true, check);
}

LoadOutcome loadTrackingLists(TrackedLists& lists, const QString& imailPath,
                              const QString& dataPath, ChangeCheck check) {
    return load(lists, imailPath, dataPath, false, check);
}

} // namespace quillmere
