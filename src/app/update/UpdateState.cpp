#include "app/update/UpdateState.h"

#include "app/files/ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

namespace quillmere {

namespace {

constexpr char kUrl[] = "url";
constexpr char kEtag[] = "etag";
constexpr char kLastModified[] = "lastModified";
constexpr char kBytes[] = "bytes";
constexpr char kEntries[] = "entries";
constexpr char kSha256[] = "sha256";
constexpr char kTime[] = "time";

QByteArray stateText(const UpdateState& state) {
    QByteArray text;
    auto line = [&text](const char* name, const QByteArray& value) {
        text += name + ('=' + value) + '\n';
    };
    line(kUrl, state.url.toUtf8());
    line(kEtag, state.etag);
    line(kLastModified, state.lastModified);
    line(kBytes, QByteArray::number(state.bytes));
    line(kEntries, QByteArray::number(static_cast<qulonglong>(state.entries)));
    line(kSha256, state.sha256);
    line(kTime, state.time.toUTC().toString(Qt::ISODate).toLatin1());
    return text;
}

} // namespace

QString updateStatePath(const QString& dataPath) {
    return QDir(dataPath).filePath(QLatin1String(kUpdateStateFileName));
}

UpdateStateRead readUpdateState(const QString& path) {
    UpdateStateRead read;
    if (!QFileInfo::exists(path))
        return read;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        read.error =
            QStringLiteral("Cannot read %1: %2").arg(displayPath(path), file.errorString());
        return read;
    }
    UpdateState state;
    int line = 0;
    bool numbersOk = true;
    for (const QByteArray& text : file.readAll().split('\n')) {
        ++line;
        if (text.isEmpty())
            continue;
        const qsizetype equals = text.indexOf('=');
        const QByteArray name = text.left(equals);
        const QByteArray value = text.mid(equals + 1);
        bool ok = true;
        if (equals < 0) {
            ok = false;
        } else if (name == kUrl) {
            state.url = QString::fromUtf8(value);
        } else if (name == kEtag) {
            state.etag = value;
        } else if (name == kLastModified) {
            state.lastModified = value;
        } else if (name == kBytes) {
            state.bytes = value.toLongLong(&ok);
        } else if (name == kEntries) {
            state.entries = value.toULongLong(&ok);
        } else if (name == kSha256) {
            state.sha256 = value;
        } else if (name == kTime) {
            state.time = QDateTime::fromString(QString::fromLatin1(value), Qt::ISODate);
        }
        if (!ok) {
            numbersOk = false;
            read.error = QStringLiteral("Cannot read %1: line %2 is not a name=value line it "
                                        "writes")
                             .arg(displayPath(path))
                             .arg(line);
            break;
        }
    }
    if (numbersOk)
        read.state = state;
    return read;
}

QString writeUpdateState(const QString& path, const UpdateState& state) {
    return replaceFileWith(path, stateText(state));
}

QString replaceFileWith(const QString& path, const QByteArray& bytes) {
    const QString folder = QFileInfo(path).path();
    if (!QDir().mkpath(folder))
        return QStringLiteral("Cannot create the folder %1").arg(displayPath(folder));
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        return QStringLiteral("Cannot write %1: %2").arg(displayPath(path), file.errorString());
    return QString();
}

} // namespace quillmere
