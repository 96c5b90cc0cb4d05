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

const QRegularExpression& numberedName() {
    static const QRegularExpression pattern(
        QStringLiteral("^url-domain-bl-(\\d{6,18})-\\d{8}-\\d{6}\\.txt$"));
    return pattern;
}

// The names earlier versions gave, ordered by their time and number within the second.
const QRegularExpression& timedName() {
    static const QRegularExpression pattern(
        QStringLiteral("^url-domain-bl-(\\d{8}-\\d{6})(?:-(\\d+))?\\.txt$"));
    return pattern;
}

bool isBackupName(const QString& name) {
    return numberedName().match(name).hasMatch() || timedName().match(name).hasMatch();
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

MainListBackups::Kept MainListBackups::keep(const QString& mainPath, const QDateTime& when) {
    if (QFileInfo(m_folder).isSymLink() || !QDir().mkpath(m_folder))
        return {QString(),
                QStringLiteral("Cannot keep a backup of %1: the folder %2 cannot be created.")
                    .arg(displayPath(mainPath), displayPath(m_folder))};
    const QStringList kept = names();
    qulonglong sequence = kept.isEmpty() ? 1 : sequenceOf(kept.last()) + 1;
    const QString stamp = when.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString backup;
    // A name already taken by something that is no backup (a link, a folder) is passed over.
    do {
        backup = m_folder + QStringLiteral("/url-domain-bl-%1-%2.txt")
                                .arg(sequence++, 6, 10, QLatin1Char('0'))
                                .arg(stamp);
    } while (QFileInfo::exists(backup) || QFileInfo(backup).isSymLink());

    // The bytes are kept, not a link: a Main list that is a symbolic link is backed up by the
    // file it names.
    const QString source = resolvedListPath(mainPath);
    std::error_code error;
    std::filesystem::create_hard_link(platform::nativePath(source), platform::nativePath(backup),
                                      error);
    if (!error || QFile::copy(source, backup))
        return {backup, QString()};
    return {QString(), QStringLiteral("Cannot keep a backup of %1 as %2.")
                           .arg(displayPath(mainPath), displayPath(backup))};
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
