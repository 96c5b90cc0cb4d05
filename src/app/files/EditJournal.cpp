#include "app/files/EditJournal.h"

#include "app/files/ListFiles.h"
#include "core/lists/JournalFormat.h"
#include "platform/NativeFile.h"
#include "platform/PlatformFacts.h"

#include <QDateTime>
#include <QDir>
#include <QSysInfo>
#include <algorithm>

namespace quillmere {

namespace {

std::string latin1(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

JournalStamp stampNow(JournalProgram program) {
    return {latin1(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)),
            latin1(platform::userName()), latin1(QSysInfo::machineHostName()),
            program == JournalProgram::Window ? "window" : "cli"};
}

QString journalError(const QString& path, const QString& reason) {
    return QStringLiteral("The journal of hand edits %1 could not be written: %2")
        .arg(displayPath(path), reason);
}

} // namespace

QString journalPath(const QString& dataPath) {
    return pathInFolder(dataPath, QStringLiteral("url-domain-log.txt"));
}

QString appendToJournal(const QString& dataPath, const std::vector<Edit>& edits,
                        JournalProgram program) {
    if (edits.empty())
        return QString();
    const QString path = journalPath(dataPath);
    // The journal lives beside the tracking lists. Without their folder the save wrote none of
    // them (it creates the folder when it does), so the edits touched the Main list alone; a
    // folder made for the journal would hide a wrong --data, which merge and rebuild warn of.
    if (!dataPath.isEmpty() && !QDir(dataPath).exists())
        return QString();
    // The journal holds single-byte text, as the lists do.
    std::vector<Edit> journaled = edits;
    for (Edit& edit : journaled)
        edit.file = latin1(QString::fromUtf8(edit.file));
    std::string text = journalText(journaled, stampNow(program));

    // A link in the journal's place is not followed (it could name any file), and a FIFO or
    // folder is refused at once rather than waited on.
    QString reason;
    std::optional<NativeFile> file = NativeFile::openForAppend(path, reason);
    if (!file)
        return journalError(path, reason);
    const qint64 size = file->size();
    if (size < 0)
        return journalError(path, file->reason());
    if (size > 0) {
        char last[2] = {};
        const qint64 tail = std::min<qint64>(size, 2);
        if (file->readAt(size - tail, last, tail) != tail)
            return journalError(path, file->reason());
        if (tail < 2 || last[0] != '\r' || last[1] != '\n')
            text.insert(0, "\r\n");
    }
    if (!file->writeAll(text)) {
        // A line cut short by a full disk is taken back, so that no torn line stays.
        const QString error = journalError(path, file->reason());
        file->truncate(size);
        return error;
    }
    if (!file->close())
        return journalError(path, file->reason());
    return QString();
}

QString journalSavedEdits(TrackedLists& lists, const QString& dataPath, JournalProgram program) {
    const QString error = appendToJournal(dataPath, lists.edits().edits(), program);
    lists.edits().clear();
    return error;
}

} // namespace quillmere
