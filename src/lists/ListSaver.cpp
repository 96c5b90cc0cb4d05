#include "ListSaver.h"

#include "ListFiles.h"

#include <QDir>

namespace quillmere {

namespace {
void saveOne(TrackedLists& lists, ListId id, const QString& path, QStringList& errors) {
    if (!lists.isModified(id))
        return;
    const QString error = writeListFile(path, lists.list(id));
    if (error.isEmpty())
        lists.setModified(id, false);
    else
        errors << error;
}
} // namespace

QStringList saveAll(TrackedLists& lists, const QString& imailPath, const QString& dataPath) {
    QStringList errors;
    saveOne(lists, ListId::Main, mainListPath(imailPath), errors);
    errors << saveMods(lists, dataPath);
    return errors;
}

QStringList saveMods(TrackedLists& lists, const QString& dataPath) {
    QStringList errors;
    if (!lists.isModified(ListId::Added) && !lists.isModified(ListId::Removed))
        return errors;
    if (!dataPath.isEmpty() && !QDir(dataPath).exists() && !QDir().mkpath(dataPath)) {
        errors << QStringLiteral("Cannot create the tracking data folder %1")
                      .arg(displayPath(dataPath));
        return errors;
    }
    saveOne(lists, ListId::Added, addedListPath(dataPath), errors);
    saveOne(lists, ListId::Removed, removedListPath(dataPath), errors);
    return errors;
}

} // namespace quillmere
