#pragma once

#include <QDateTime>
#include <QString>
#include <QStringList>

namespace quillmere {

// The earlier Main lists kept in the tracking data folder's "backups" folder, one taken just
// before each save replaces url-domain-bl.txt, named "url-domain-bl-NNNNNN-YYYYMMDD-HHMMSS.txt":
// a sequence number of six digits one above the highest kept, then the time of the save in UTC.
// The order is the sequence's, never the time's, which repeats within a second and goes back when
// the clock is corrected. Names of earlier versions ("url-domain-bl-YYYYMMDD-HHMMSS[-N].txt")
// count as older than every numbered one. A name of another form (a number of other length, a
// time that is no time) is none of the backups: never listed, restored, pruned or counted. When
// the numbers reach 999999 the backups are numbered from 1 again, in their order. The newest ten
// are kept.
class MainListBackups final {
public:
    static constexpr int kKept = 10;

    explicit MainListBackups(const QString& dataPath);

    QString folder() const { return m_folder; }
    struct Kept {
        QString path;    // the name the new backup takes; empty when none could be kept
        QString pending; // where it waits, hidden, until the list is really replaced
        QString error;   // why none could be kept, naming the list and the backup
        QString list;    // the Main list it is a backup of
    };
    // Keeps the file, about to be replaced, for the newest backup: a hard link where the file
    // system allows it, so that a backup costs no copy, else a copy. It takes its name only by
    // complete(), once the list was replaced, and discard() drops it when the list was not: a
    // save killed in between leaves no backup of a list that was never replaced, only a hidden
    // file that the next keep() removes.
    Kept keep(const QString& mainPath, const QDateTime& when);
    // Gives a kept backup its name; an error naming the list and the backup when it cannot.
    QString complete(const Kept& kept) const;
    void discard(const Kept& kept) const;
    // Removes all but the newest kKept backups.
    void prune() const;
    // The backups' file names, oldest first.
    QStringList names() const;
    // The path of a backup by its file name; empty when the name is not one of the backups.
    QString pathOf(const QString& name) const;

private:
    void removeLeftovers() const;
    qulonglong renumber() const;

    QString m_folder;
};

} // namespace quillmere
