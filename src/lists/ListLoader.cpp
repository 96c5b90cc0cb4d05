#include "ListLoader.h"

#include "ListFiles.h"

namespace quillmere {

namespace {
bool loadOne(TrackedLists& lists, ListId id, const QString& path, LoadOutcome& outcome) {
    FileSnapshot& snapshot = outcome.files[static_cast<std::size_t>(id)];
    snapshot = FileSnapshot::missing(path);
    if (checkFilePath(path).kind == PathKind::Missing)
        return false;
    ReadResult read = readFileBytes(path);
    if (!read.bytes) {
        outcome.errors << read.error;
        snapshot = FileSnapshot::unreadable(path);
        return false;
    }
    snapshot = FileSnapshot::read(path, **read.bytes);
    lists.replace(id, EntryList::fromFileBytes(std::move(*read.bytes)));
    return true;
}

LoadOutcome load(TrackedLists& lists, const QString& imailPath, const QString& dataPath,
                 bool withMain) {
    LoadOutcome outcome;
    const QString mainPath = mainListPath(imailPath);
    if (checkFilePath(mainPath).kind == PathKind::Missing)
        return outcome;
    outcome.mainFound = true;
    if (withMain)
        outcome.mainRead = loadOne(lists, ListId::Main, mainPath, outcome);
    loadOne(lists, ListId::Added, addedListPath(dataPath), outcome);
    loadOne(lists, ListId::Removed, removedListPath(dataPath), outcome);
    return outcome;
}
} // namespace

LoadOutcome loadLists(TrackedLists& lists, const QString& imailPath, const QString& dataPath) {
    return load(lists, imailPath, dataPath, true);
}

LoadOutcome loadTrackingLists(TrackedLists& lists, const QString& imailPath,
                              const QString& dataPath) {
    return load(lists, imailPath, dataPath, false);
}

} // namespace quillmere
