#include "app/files/MainListBackups.h"

#include "app/files/ListFiles.h"
#include "platform/PlatformFacts.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillmere {

namespace {

// The six digits the program writes, and a time that is one.
const QRegularExpression& numberedName() {
    static const QRegularExpression pattern(
        QStringLiteral("^url-domain-bl-(\\d{6})-(\\d{8}-\\d{6})\\.txt$"));
    return pattern;
}

constexpr qulonglong kHighestNumber = 999999;

// A kept backup waiting for its list to be replaced: its name hidden, with a mark of its own.
const QLatin1String kPendingMark(".quillmere-keep");

bool isTime(const QString& stamp) {
    return QDateTime::fromString(stamp, QStringLiteral("yyyyMMdd-HHmmss")).isValid();
}

// The names earlier versions gave, ordered by their time and number within the second.
const QRegularExpression& timedName() {
    static const QRegularExpression pattern(
        QStringLiteral("^url-domain-bl-(\\d{8}-\\d{6})(?:-(\\d+))?\\.txt$"));
    return pattern;
}

bool isBackupName(const QString& name) {
    const QRegularExpressionMatch numbered = numberedName().match(name);
    if (numbered.hasMatch())
        return isTime(numbered.captured(2));
    const QRegularExpressionMatch timed = timedName().match(name);
    return timed.hasMatch() && isTime(timed.captured(1));
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
    return numberedName().match(name).captured(1).toULongLong();
}

bool olderThan(const QString& a, const QString& b) {
    const qulonglong sa = sequenceOf(a);
    const qulonglong sb = sequenceOf(b);
    if (sa != 0 || sb != 0)
        return sa < sb;
    const QRegularExpressionMatch ma = timedName().match(a);
    const QRegularExpressionMatch mb = timedName().match(b);
    if (ma.captured(1) != mb.captured(1))
        return ma.captured(1) < mb.captured(1);
    return ma.captured(2).toInt() < mb.captured(2).toInt();
}

} // namespace

MainListBackups::MainListBackups(const QString& dataPath)
    : m_folder(pathInFolder(dataPath, QStringLiteral("backups"))) {}

void MainListBackups::removeLeftovers() const {
    QDir folder(m_folder);
    const QStringList names = folder.entryList({QStringLiteral(".url-domain-bl-*") + kPendingMark},
                                               QDir::Files | QDir::Hidden | QDir::NoSymLinks);
    for (const QString& name : names) {
        if (isBackupName(name.mid(1, name.size() - 1 - kPendingMark.size())))
            folder.remove(name);
    }
}

// Numbers the backups from 1 in their order, keeping their times; the next free number.
qulonglong MainListBackups::renumber() const {
    qulonglong sequence = 1;
    for (const QString& name : names()) {
        const QRegularExpressionMatch numbered = numberedName().match(name);
        if (!numbered.hasMatch())
            continue;
        const QString renamed = numberedFileName(sequence, numbered.captured(2));
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
