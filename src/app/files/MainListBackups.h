#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quillmere {

// The earlier Main lists kept in the tracking data folder's "backups" folder, one taken just
// before each save replaces url-domain-bl.txt, named "url-domain-bl-NNNNNN-YYYYMMDD-HHMMSS.txt":
// a sequence number one above the highest kept, then the time of the save in UTC. The order is
// the sequence's, never the time's, which repeats within a second and goes back when the clock
// is corrected. Names of earlier versions ("url-domain-bl-YYYYMMDD-HHMMSS[-N].txt") count as
// older than every numbered one. The newest ten are kept.
class MainListBackups final {
public:
    static constexpr int kKept = 10;

    explicit MainListBackups(const QString& dataPath);

    QString folder() const { return m_folder; }
    struct Kept {
        QString path;  // the new backup; empty when none could be kept
        QString error; // why not, naming the list and the backup
    };
    // Keeps the file as the newest backup: a hard link where the file system allows it, so that
    // a backup costs no copy, else a copy.
    Kept keep(const QString& mainPath, const QDateTime& when);
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
