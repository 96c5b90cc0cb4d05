#include "ListLoader.h"

#include "ListFiles.h"

namespace quillmere {

namespace {
bool loadOne(TrackedLists& lists, ListId id, const QString& path, QStringList& errors) {
    if (checkFilePath(path).kind == PathKind::Missing)
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
} // namespace

LoadOutcome loadLists(TrackedLists& lists, const QString& imailPath, const QString& dataPath) {
    LoadOutcome outcome;
    const QString mainPath = mainListPath(imailPath);
    if (checkFilePath(mainPath).kind == PathKind::Missing)
        return outcome;
    outcome.mainFound = true;
    outcome.mainRead = loadOne(lists, ListId::Main, mainPath, outcome.errors);
    loadOne(lists, ListId::Added, addedListPath(dataPath), outcome.errors);
    loadOne(lists, ListId::Removed, removedListPath(dataPath), outcome.errors);
    return outcome;
}

} // namespace quillmere
