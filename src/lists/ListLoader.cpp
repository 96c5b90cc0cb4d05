#include "ListLoader.h"

#include "ListFiles.h"

namespace quillmere {

namespace {
bool loadOne(TrackedLists& lists, ListId id, const QString& path, QStringList& errors) {
    if (!fileExists(path))
        return false;
    QString error;
    auto entries = readListFile(path, &error);
    if (!entries) {
        errors << error;
        return false;
    }
    lists.replace(id, std::move(*entries));
    return true;
}

LoadOutcome load(TrackedLists& lists, const QString& imailPath, const QString& dataPath,
                 bool withMain) {
    LoadOutcome outcome;
    const QString mainPath = mainListPath(imailPath);
    if (!fileExists(mainPath))
        return outcome;
    outcome.mainFound = true;
    if (withMain)
        outcome.mainRead = loadOne(lists, ListId::Main, mainPath, outcome.errors);
    loadOne(lists, ListId::Added, addedListPath(dataPath), outcome.errors);
    loadOne(lists, ListId::Removed, removedListPath(dataPath), outcome.errors);
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
