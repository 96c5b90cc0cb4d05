#include "app/files/ReplacementFile.h"

#include "app/files/ListFiles.h"
#include "core/lists/ContentHash.h"
#include "platform/PlatformFacts.h"

#include <QDir>
#include <QFileInfo>
#include <QRandomGenerator>
#include <filesystem>
#include <system_error>

namespace quillmere {

namespace {

const QLatin1String kMarker(".quillmere-save-");
constexpr int kRandomLength = 12;

QString randomPart() {
    static const char letters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    QString text;
    for (int i = 0; i < kRandomLength; ++i)
        text += QLatin1Char(letters[QRandomGenerator::system()->bounded(36)]);
    return text;
}

// A writer killed between writing and renaming leaves its temporary file behind. The caller holds
// the list lock, so no other save is writing one now: those found are stale. Only names this
// program makes are touched, and only files, never what a link names.
void removeLeftoversBeside(const QFileInfo& target) {
    QDir folder = target.absoluteDir();
    // No name filter: QDir matches those with a QRegularExpression, which must not run on the
    // merge's helper threads (docs/architecture.md says why).
    const QStringList names =
        folder.entryList(QDir::Files | QDir::Hidden | QDir::System | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (ReplacementFile::isTemporaryName(name, target.fileName()))
            removeFile(folder.filePath(name));
    }
}

} // namespace

ReplacementFile::ReplacementFile(QString path)
    : m_path(std::move(path))
    , m_target(resolvedListPath(m_path)) {}

ReplacementFile::~ReplacementFile() {
    discardTemporary();
    if (!m_old.isEmpty())
        removeFile(m_old);
}

void ReplacementFile::removeLeftovers(const QString& path) {
    removeLeftoversBeside(QFileInfo(resolvedListPath(path)));
}

bool ReplacementFile::isTemporaryName(const QString& fileName, const QString& listFileName) {
    const QString prefix = QLatin1Char('.') + listFileName + kMarker;
    if (!fileName.startsWith(prefix) || fileName.size() != prefix.size() + kRandomLength)
        return false;
    for (QChar c : QStringView(fileName).mid(prefix.size())) {
        if (!(c >= QLatin1Char('a') && c <= QLatin1Char('z')) &&
            !(c >= QLatin1Char('0') && c <= QLatin1Char('9')))
            return false;
    }
    return true;
}

QString ReplacementFile::failure(const QString& reason) const {
    return QStringLiteral("Cannot save %1: %2").arg(displayPath(m_path), reason);
}

QString ReplacementFile::temporaryName() const {
    const QFileInfo target(m_target);
    return target.absolutePath() + QStringLiteral("/.") + target.fileName() + kMarker +
           randomPart();
}

void ReplacementFile::discardTemporary() {
    if (!m_temporary.isEmpty())
        removeFile(m_temporary);
    m_temporary.clear();
}

QString ReplacementFile::write(const EntryList& list) {
    return write([&list](const TextSink& sink) { return forEachFileChunk(list, sink); });
}

QString ReplacementFile::write(const TextSource& text) {
    if (const QString refused = refusedLink(m_path); !refused.isEmpty())
        return failure(refused);
    const QFileInfo target(m_target);
    if (target.exists() && target.isDir())
        return failure(QStringLiteral("a folder is in its place"));
    if (target.exists() && !target.isFile())
        return failure(QStringLiteral("it is not a regular file"));

    removeLeftoversBeside(target);
    discardTemporary();
    QString reason;
    std::optional<NativeFile> file;
    // A name already taken (by chance, or by a leftover of another program) is drawn again.
    for (int attempt = 0; !file && attempt < 16; ++attempt) {
        const QString name = temporaryName();
        file = NativeFile::createNew(name, reason);
        if (file)
            m_temporary = name;
        else if (QFileInfo::exists(name) || QFileInfo(name).isSymLink())
            continue;
        else
            break;
    }
    if (!file)
        return failure(reason);
    takeOverProtection(m_target, *file);

    ContentHash hash;
    m_size = 0;
    bool written = false;
    try {
        written = text([&](std::string_view chunk) {
            hash.add(chunk);
            m_size += static_cast<qint64>(chunk.size());
            if (!file->writeAll(chunk))
                return false;
            file->startWritingToDisk();
            return true;
        });
    } catch (...) {
        file.reset();
        discardTemporary();
        throw;
    }
    if (!written || !file->syncToDisk() || !file->close()) {
        const QString error = failure(file->reason());
        file.reset();
        discardTemporary();
        return error;
    }
    m_hash = hash.value();
    return QString();
}

QString ReplacementFile::checkReplaceable() const {
    // An administrator marks a file read-only to keep it as it is.
    if (isMarkedReadOnly(m_target))
        return failure(QStringLiteral("it is read-only, and a read-only list is kept as it is"));
    const QString reason = whyNotReplaceable(m_target);
    return reason.isEmpty() ? QString() : failure(reason);
}

QString ReplacementFile::keepOld() {
    m_hadOld = fileExists(m_target);
    if (!m_hadOld)
        return QString();
    // Under a name of the temporary files, so that a save killed before it is removed leaves
    // nothing that the next one does not clear away.
    const QString name = temporaryName();
    std::error_code linkError;
    std::filesystem::create_hard_link(platform::nativePath(m_target), platform::nativePath(name),
                                      linkError);
    if (!linkError) {
        m_old = name;
        return QString();
    }
    const ReadResult old = readFileBytes(m_target);
    QString reason = old.error;
    std::optional<NativeFile> copy;
    if (old.bytes)
        copy = NativeFile::createNew(name, reason);
    if (copy) {
        m_old = name;
        takeOverProtection(m_target, *copy);
        if (copy->writeAll(**old.bytes) && copy->syncToDisk() && copy->close())
            return QString();
        reason = copy->reason();
    }
    if (!m_old.isEmpty())
        removeFile(m_old);
    m_old.clear();
    return QStringLiteral("Cannot keep the old %1 while it is replaced: %2")
        .arg(displayPath(m_path), reason);
}

QString ReplacementFile::commit() {
    const QString reason = replaceWith(m_temporary, m_target);
    if (!reason.isEmpty())
        return failure(reason);
    m_temporary.clear();
    return QString();
}

QString ReplacementFile::putBack() {
    QString reason;
    if (!m_hadOld) {
        if (!removeFile(m_target))
            reason = QStringLiteral("it cannot be removed again");
    } else {
        reason = replaceWith(m_old, m_target);
        if (reason.isEmpty())
            m_old.clear();
    }
    return reason.isEmpty()
               ? QString()
               : QStringLiteral("Cannot put the old %1 back: %2").arg(displayPath(m_path), reason);
}

} // namespace quillmere
