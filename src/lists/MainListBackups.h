#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quillmere {

// The earlier Main lists kept in the tracking data folder's "backups" folder, one taken just
// before each save replaces url-domain-bl.txt, named "url-domain-bl-YYYYMMDD-HHMMSS.txt" after the
// time of the save in UTC (with "-2", "-3", ... when one second saw several saves). The newest
// ten are kept.
class MainListBackups final {
public:
    static constexpr int kKept = 10;

    explicit MainListBackups(const QString& dataPath);

    QString folder() const { return m_folder; }
    // Keeps the file as the newest backup: a hard link where the file system allows it, so that
    // a backup costs no copy, else a copy. An error naming the backup, or an empty string.
    QString keep(const QString& mainPath, const QDateTime& when);
    // Removes all but the newest kKept backups.
    void prune() const;
    // The backups' file names, oldest first.
    QStringList names() const;
    // The path of a backup by its file name; empty when the name is not one of the backups.
    QString pathOf(const QString& name) const;

private:
    QString m_folder;
};

} // namespace quillmere
