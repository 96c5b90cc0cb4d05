#pragma once

#include <QByteArray>
#include <QDateTime>
#include <QString>
#include <cstdint>
#include <optional>

namespace quillmere {

// What is known of the last accepted factory list download, kept in one small file in the
// tracking data folder, one "name=value" line each.
struct UpdateState {
    QString url; // as shown: never with a password
    QByteArray etag;
    QByteArray lastModified;
    qint64 bytes = 0;
    std::uint64_t entries = 0;
    QByteArray sha256; // in hex
    QDateTime time;    // when it was accepted, in UTC

    bool operator==(const UpdateState&) const = default;
};

inline constexpr char kUpdateStateFileName[] = "url-domain-bl.update";

QString updateStatePath(const QString& dataPath);

struct UpdateStateRead {
    std::optional<UpdateState> state; // nothing when no download was accepted yet
    QString error;                    // names the file and the reason when it cannot be read
};

UpdateStateRead readUpdateState(const QString& path);
// Writes the file beside its place and puts it there in one step; an error names the file.
QString writeUpdateState(const QString& path, const UpdateState& state);

// Writes bytes to a file in one step (a temporary file beside it, flushed, renamed), creating the
// folder when missing. An error names the file and the reason.
QString replaceFileWith(const QString& path, const QByteArray& bytes);

} // namespace quillmere
