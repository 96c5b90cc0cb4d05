#include "MainListBackups.h"

#include "ListFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <algorithm>
#include <filesystem>
#include <system_error>

namespace quillmere {

namespace {

const QRegularExpression& backupName() {
    static const QRegularExpression pattern(
        QStringLiteral("^url-domain-bl-(\\d{8}-\\d{6})(?:-(\\d+))?\\.txt$"));
    return pattern;
}

// Names sort by their time, then by their number within the second ("-2" after none).
bool olderThan(const QString& a, const QString& b) {
    const QRegularExpressionMatch ma = backupName().match(a);
    const QRegularExpressionMatch mb = backupName().match(b);
    if (ma.captured(1) != mb.captured(1))
        return ma.captured(1) < mb.captured(1);
    return ma.captured(2).toInt() < mb.captured(2).toInt();
}

} // namespace

MainListBackups::MainListBackups(const QString& dataPath)
    : m_folder(dataPath + QStringLiteral("/backups")) {}

QString MainListBackups::keep(const QString& mainPath, const QDateTime& when) {
    if (!QDir().mkpath(m_folder))
        return QStringLiteral("Cannot keep a backup of %1: the folder %2 cannot be created.")
            .arg(displayPath(mainPath), displayPath(m_folder));
    const QString stamp = when.toUTC().toString(QStringLiteral("yyyyMMdd-HHmmss"));
    QString name = QStringLiteral("url-domain-bl-%1.txt").arg(stamp);
    for (int n = 2; QFileInfo::exists(m_folder + QLatin1Char('/') + name); ++n)
        name = QStringLiteral("url-domain-bl-%1-%2.txt").arg(stamp).arg(n);
    const QString backup = m_folder + QLatin1Char('/') + name;

    std::error_code error;
    std::filesystem::create_hard_link(nativePath(mainPath), nativePath(backup), error);
    if (!error)
        return QString();
    if (QFile::copy(mainPath, backup))
        return QString();
    return QStringLiteral("Cannot keep a backup of %1 as %2.")
        .arg(displayPath(mainPath), displayPath(backup));
}

void MainListBackups::prune() const {
    const QStringList all = names();
    for (qsizetype i = 0; i + kKept < all.size(); ++i)
        QFile::remove(m_folder + QLatin1Char('/') + all.at(i));
}

QStringList MainListBackups::names() const {
    QStringList found;
    const QStringList files = QDir(m_folder).entryList(QDir::Files);
    for (const QString& file : files) {
        if (backupName().match(file).hasMatch())
            found << file;
    }
    std::sort(found.begin(), found.end(), olderThan);
    return found;
}

QString MainListBackups::pathOf(const QString& name) const {
    if (!backupName().match(name).hasMatch())
        return QString();
    const QString path = m_folder + QLatin1Char('/') + name;
    return QFileInfo(path).isFile() ? path : QString();
}

} // namespace quillmere
