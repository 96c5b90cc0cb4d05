#include "app/files/EditJournal.h"

#include "app/files/ListFiles.h"
#include "core/lists/FilePieces.h"
#include "core/lists/JournalFormat.h"
#include "platform/NativeFile.h"
#include "platform/PlatformFacts.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <algorithm>
#include <new>

namespace quillmere {

namespace {

// The journal is written in pieces of about this many bytes, each ending at a line's end: the
// size of the save's own chunks, so that journaling needs no memory the save did not.
constexpr std::size_t kJournalPiece = 1 << 20;

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

QString journalOutOfMemoryError(const QString& dataPath) {
    return QStringLiteral("The lists were saved, but the journal of hand edits %1 could not be "
                          "completed: not enough memory")
        .arg(displayPath(journalPath(dataPath)));
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

    // A link in the journal's place is not followed (it could name any file), and a FIFO or
    // folder is refused at once rather than waited on.
    QString reason;
    std::optional<NativeFile> file = NativeFile::openForAppend(path, reason);
    if (!file)
        return journalError(path, reason);
    const qint64 size = file->size();
    if (size < 0)
        return journalError(path, file->reason());
    bool cutShort = false;
    if (size > 0) {
        char last[2] = {};
        const qint64 tail = std::min<qint64>(size, 2);
        if (file->readAt(size - tail, last, tail) != tail)
            return journalError(path, file->reason());
        cutShort = tail < 2 || last[0] != '\r' || last[1] != '\n';
    }
    // What was appended is taken back when a piece cannot be written (a full disk) or memory
    // runs out, so that no torn line and no part of this save's lines stays.
    const auto takeBack = [&](const QString& error) {
        file->truncate(size);
        return error;
    };
    try {
        std::string text = cutShort ? std::string("\r\n") : std::string();
        text.reserve(kJournalPiece + 4096);
        const std::string lineStart = journalLineStart(stampNow(program));
        for (const Edit& edit : edits) {
            // The journal holds single-byte text, as the lists do.
            const std::string fileName =
                edit.file.empty()
                    ? std::string()
                    : latin1(QString::fromUtf8(edit.file.data(),
                                               static_cast<qsizetype>(edit.file.size())));
            appendJournalLine(text, lineStart, edit, fileName);
            if (text.size() >= kJournalPiece) {
                if (!file->writeAll(text))
                    return takeBack(journalError(path, file->reason()));
                text.clear();
            }
        }
        if (!text.empty() && !file->writeAll(text))
            return takeBack(journalError(path, file->reason()));
    } catch (const std::bad_alloc&) {
        return takeBack(journalOutOfMemoryError(dataPath));
    }
    if (!file->close())
        return journalError(path, file->reason());
    return QString();
}

QString forEachJournalLine(const QString& dataPath,
                           const std::function<void(std::string_view)>& line) {
    const QString path = journalPath(dataPath);
    const PathCheck check = checkFilePath(path);
    if (check.kind == PathKind::Missing)
        return QString();
    if (check.kind == PathKind::Unreadable)
        return check.error;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return QStringLiteral("Cannot open %1: %2").arg(displayPath(path), file.errorString());
    const bool read = forEachReadPiece(
        [&file](char* into, std::size_t size) {
            return file.read(into, static_cast<qint64>(size));
        },
        line);
    if (!read)
        return QStringLiteral("Cannot read %1: %2").arg(displayPath(path), file.errorString());
    return QString();
}

QString journalSavedEdits(TrackedLists& lists, const QString& dataPath, JournalProgram program) {
    const QString error = appendToJournal(dataPath, lists.edits().edits(), program);
    lists.edits().clear();
    return error;
}

} // namespace quillmere
