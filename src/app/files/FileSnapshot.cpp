#include "app/files/FileSnapshot.h"

#include "app/files/ListFiles.h"
#include "core/lists/ContentHash.h"

#include <QFileInfo>

namespace quillmere {

FileSnapshot FileSnapshot::missing(const QString& path) {
    FileSnapshot snapshot;
    snapshot.path = path;
    return snapshot;
}

FileSnapshot FileSnapshot::unreadable(const QString& path) {
    FileSnapshot snapshot;
    snapshot.path = path;
    snapshot.state = State::Unreadable;
    return snapshot;
}

FileSnapshot FileSnapshot::read(const QString& path, std::string_view bytes, ChangeCheck check) {
    FileSnapshot snapshot;
    snapshot.path = path;
    snapshot.state = State::Read;
    snapshot.size = static_cast<qint64>(bytes.size());
    snapshot.check = check;
    if (check == ChangeCheck::Content)
        snapshot.hash = hashContent(bytes);
    else
        snapshot.modified = QFileInfo(path).lastModified();
    return snapshot;
}

FileSnapshot FileSnapshot::readInParts(const QString& path, qint64 size,
                                       const QDateTime& modified) {
    FileSnapshot snapshot;
    snapshot.path = path;
    snapshot.state = State::Read;
    snapshot.size = size;
    snapshot.check = ChangeCheck::SizeAndTime;
    snapshot.modified = modified;
    return snapshot;
}

FileSnapshot FileSnapshot::written(const QString& path, qint64 size, std::uint64_t hash) {
    FileSnapshot snapshot;
    snapshot.path = path;
    snapshot.state = State::Read;
    snapshot.size = size;
    snapshot.hash = hash;
    return snapshot;
}

bool FileSnapshot::changedOnDisk() const {
    const QFileInfo info(path);
    if (state == State::Missing)
        return info.exists();
    if (!info.exists() || info.size() != size)
        return true;
    if (check == ChangeCheck::SizeAndTime)
        return info.lastModified() != modified;
    const ReadResult current = readFileBytes(path);
    return !current.bytes || hashContent(**current.bytes) != hash;
}

} // namespace quillmere
