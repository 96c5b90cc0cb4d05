#include "app/files/MainListBackups.h"

#include "app/files/ListFiles.h"
#include "platform/PlatformFacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <filesystem>
#include <optional>
#include <system_error>

namespace quillmere {

namespace {

constexpr qulonglong kHighestNumber = 999999;

// A kept backup waiting for its list to be replaced: its name hidden, with a mark of its own.
const QLatin1String kPendingMark(".quillmere-keep");

bool isTime(const QString& stamp) {
    return QDateTime::fromString(stamp, QStringLiteral("yyyyMMdd-HHmmss")).isValid();
}

// The ASCII digits the program writes, at least one.
bool allDigits(QStringView text) {
    return !text.isEmpty() &&
           std::all_of(text.begin(), text.end(), [](QChar c) { return c >= u'0' && c <= u'9'; });
}

// yyyyMMdd-HHmmss in digits; isTime says whether it is a time.
bool isStamp(QStringView text) {
    return text.size() == 15 && allDigits(text.first(8)) && text[8] == u'-' &&
           allDigits(text.sliced(9));
}

// What a backup's name holds: url-domain-bl-NNNNNN-STAMP.txt, the six digits the program writes,
// or url-domain-bl-STAMP.txt and url-domain-bl-STAMP-N.txt, the names earlier versions gave,
// ordered by their time and number within the second. Read by hand: the program matches no
// QRegularExpression, for the reason docs/architecture.md gives (a crash on Windows).
struct BackupName {
    bool numbered = false;
    qulonglong sequence = 0;
    QString stamp;
    int withinTheSecond = 0;
};

std::optional<BackupName> parsedName(QStringView name) {
    const QLatin1String prefix("url-domain-bl-");
    const QLatin1String suffix(".txt");
    if (!name.startsWith(prefix) || !name.endsWith(suffix))
        return std::nullopt;
    const QStringView middle =
        name.sliced(prefix.size(), name.size() - prefix.size() - suffix.size());
    if (middle.size() == 22 && allDigits(middle.first(6)) && middle[6] == u'-' &&
        isStamp(middle.sliced(7)))
        return BackupName{true, middle.first(6).toULongLong(), middle.sliced(7).toString(), 0};
    if (middle.size() < 15 || !isStamp(middle.first(15)))
        return std::nullopt;
    if (middle.size() == 15)
        return BackupName{false, 0, middle.toString(), 0};
    if (middle[15] == u'-' && allDigits(middle.sliced(16)))
        return BackupName{false, 0, middle.first(15).toString(), middle.sliced(16).toInt()};
    return std::nullopt;
}

bool isBackupName(const QString& name) {
    const std::optional<BackupName> parsed = parsedName(name);
    return parsed && isTime(parsed->stamp);
}

QString numberedFileName(qulonglong sequence, const QString& stamp) {
    return QStringLiteral("url-domain-bl-%1-%2.txt")
        .arg(sequence, 6, 10, QLatin1Char('0'))
        .arg(stamp);
}

QString pendingName(const QString& path) {
    const QFileInfo info(path);
    return info.absolutePath() + QStringLiteral("/.") + info.fileName() + kPendingMark;
}

// 0 for a name of an earlier version.
qulonglong sequenceOf(const QString& name) {
    const std::optional<BackupName> parsed = parsedName(name);
    return parsed ? parsed->sequence : 0;
}

bool olderThan(const QString& a, const QString& b) {
    const qulonglong sa = sequenceOf(a);
    const qulonglong sb = sequenceOf(b);
    if (sa != 0 || sb != 0)
        return sa < sb;
    const BackupName na = parsedName(a).value_or(BackupName());
    const BackupName nb = parsedName(b).value_or(BackupName());
    if (na.stamp != nb.stamp)
        return na.stamp < nb.stamp;
    return na.withinTheSecond < nb.withinTheSecond;
}

} // namespace

MainListBackups::MainListBackups(const QString& dataPath)
    : m_folder(pathInFolder(dataPath, QStringLiteral("backups"))) {}

void MainListBackups::removeLeftovers() const {
    QDir folder(m_folder);
    // Without a name filter, which QDir matches with a QRegularExpression (see parsedName).
    const QStringList names = folder.entryList(QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (name.startsWith(QLatin1Char('.')) && name.endsWith(kPendingMark) &&
            isBackupName(name.mid(1, name.size() - 1 - kPendingMark.size())))
            folder.remove(name);
    }
}

// Numbers the backups from 1 in their order, keeping their times; the next free number.
qulonglong MainListBackups::renumber() const {
    qulonglong sequence = 1;
    for (const QString& name : names()) {
        const std::optional<BackupName> parsed = parsedName(name);
        if (!parsed || !parsed->numbered)
            continue;
        const QString renamed = numberedFileName(sequence, parsed->stamp);
        if (renamed == name || QFile::rename(m_folder + QLatin1Char('/') + name,
                                             m_folder + QLatin1Char('/') + renamed))
            ++sequence;
    }
    return sequence;
}

MainListBackups::Kept MainListBackups::keep(const QString& mainPath, const QDateTime& when) {
    if (QFileInfo(m_folder).isSymLink() || !QDir().mkpath(m_folder))
        return {QString(), QString(),
                QStringLiteral("Cannot keep a backup of %1: the folder %2 cannot be created.")
                    .arg(displayPath(mainPath), displayPath(m_folder)),
                mainPath};
    removeLeftovers();
    const QStringList kept = names();
    qulonglong sequence = kept.isEmpty() ? 1 : sequenceOf(kept.last()) + 1;
    if (sequence > kHighestNumber)
        sequence = renumber();
    const QString stamp = when.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString backup;
    // A name already taken by something that is no backup (a link, a folder) is passed over.
    const auto taken = [](const QString& path) {
        return QFileInfo::exists(path) || QFileInfo(path).isSymLink();
    };
    do {
        backup = m_folder + QLatin1Char('/') + numberedFileName(sequence++, stamp);
    } while (taken(backup) || taken(pendingName(backup)));

    // The bytes are kept, not a link: a Main list that is a symbolic link is backed up by the
    // file it names.
    const QString source = resolvedListPath(mainPath);
    const QString pending = pendingName(backup);
    std::error_code error;
    std::filesystem::create_hard_link(platform::nativePath(source), platform::nativePath(pending),
                                      error);
    if (!error || QFile::copy(source, pending))
        return {backup, pending, QString(), mainPath};
    return {QString(), QString(),
            QStringLiteral("Cannot keep a backup of %1 as %2.")
                .arg(displayPath(mainPath), displayPath(backup)),
            mainPath};
}

QString MainListBackups::complete(const Kept& kept) const {
    if (kept.pending.isEmpty() || QFile::rename(kept.pending, kept.path))
        return QString();
    discard(kept);
    return QStringLiteral("Cannot keep a backup of %1 as %2.")
        .arg(displayPath(kept.list), displayPath(kept.path));
}

void MainListBackups::discard(const Kept& kept) const {
    if (!kept.pending.isEmpty())
        QFile::remove(kept.pending);
}

void MainListBackups::prune() const {
    const QStringList all = names();
    for (qsizetype i = 0; i + kKept < all.size(); ++i)
        QFile::remove(m_folder + QLatin1Char('/') + all.at(i));
}

QStringList MainListBackups::names() const {
    QStringList found;
    // Only files: a link in the folder is not the program's, and restoring what it names would
    // make any file the Main list.
    const QStringList files = QDir(m_folder).entryList(QDir::Files | QDir::NoSymLinks);
    for (const QString& file : files) {
        if (isBackupName(file))
            found << file;
    }
    std::sort(found.begin(), found.end(), olderThan);
    return found;
}

QString MainListBackups::pathOf(const QString& name) const {
    if (!isBackupName(name))
        return QString();
    const QString path = m_folder + QLatin1Char('/') + name;
    const QFileInfo info(path);
    return info.isFile() && !info.isSymLink() ? path : QString();
}

} // namespace quillmere
