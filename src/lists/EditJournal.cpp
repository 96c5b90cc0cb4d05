#include "EditJournal.h"

#include "JournalFormat.h"
#include "ListFiles.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QSysInfo>
#include <algorithm>

#ifdef Q_OS_UNIX
#include <pwd.h>
#include <unistd.h>
#endif

namespace quillmere {

namespace {

std::string latin1(const QString& text) {
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString userName() {
#ifdef Q_OS_UNIX
    // The account the process runs as, also where the environment does not say (a scheduled task).
    if (const passwd* entry = getpwuid(geteuid()))
        return QString::fromLocal8Bit(entry->pw_name);
    return qEnvironmentVariable("USER");
#else
    return qEnvironmentVariable("USERNAME");
#endif
}

JournalStamp stampNow(JournalProgram program) {
    return {latin1(QDateTime::currentDateTimeUtc().toString(Qt::ISODate)), latin1(userName()),
            latin1(QSysInfo::machineHostName()),
            program == JournalProgram::Window ? "window" : "cli"};
}

QString journalError(const QString& path, const QString& reason) {
    return QStringLiteral("The journal of hand edits %1 could not be written: %2")
        .arg(displayPath(path), reason);
}

} // namespace

QString journalPath(const QString& dataPath) {
    return dataPath + QLatin1Char('/') + QStringLiteral("url-domain-log.txt");
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

    QFile file(path);
    if (!file.open(QIODevice::ReadWrite | QIODevice::Append | QIODevice::Unbuffered))
        return journalError(path, file.errorString());
    if (file.size() > 0) {
        char last[2] = {};
        const qint64 tail = std::min<qint64>(file.size(), 2);
        if (!file.seek(file.size() - tail) || file.read(last, tail) != tail)
            return journalError(path, file.errorString());
        if (tail < 2 || last[0] != '\r' || last[1] != '\n')
            text.insert(0, "\r\n");
    }
    const auto size = static_cast<qint64>(text.size());
    if (file.write(text.data(), size) != size)
        return journalError(path, file.errorString());
    file.close();
    if (file.error() != QFileDevice::NoError)
        return journalError(path, file.errorString());
    return QString();
}

QString journalSavedEdits(TrackedLists& lists, const QString& dataPath, JournalProgram program) {
    const QString error = appendToJournal(dataPath, lists.edits().edits(), program);
    lists.edits().clear();
    return error;
}

} // namespace quillmere
