#pragma once

#include <QByteArray>
#include <QDir>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quillmere::test {

class TempFolder;

// Where the command-line tests keep the lists in their temporary folder.
inline const QString kMain = QStringLiteral("imail/url-domain-bl.txt");
inline const QString kAdded = QStringLiteral("data/url-domain-add.txt");
inline const QString kRemoved = QStringLiteral("data/url-domain-rem.txt");

// How the tool ends the lines it prints: as the platform's text files do.
#ifdef Q_OS_WIN
inline const QByteArray kLineEnd = "\r\n";
#else
inline const QByteArray kLineEnd = "\n";
#endif

// A path as the tool prints it, with the platform's separators.
inline QString shown(const QString& path) {
    return QDir::toNativeSeparators(path);
}

// Text as the tool writes it to its streams: in the system's 8-bit encoding (UTF-8 on Linux, the
// ANSI code page on Windows).
inline QByteArray streamed(const QString& text) {
    return text.toLocal8Bit();
}

// An absolute folder on this platform (/srv/NAME, or C:\srv\NAME on Windows), and one that is
// absolute only on the other platform, which the tool refuses as relative.
#ifdef Q_OS_WIN
inline QString absoluteFolder(const QString& name) {
    return QStringLiteral("C:\\srv\\") + name;
}
inline const QString kOtherPlatformFolder = QStringLiteral("/srv/imail");
#else
inline QString absoluteFolder(const QString& name) {
    return QStringLiteral("/srv/") + name;
}
inline const QString kOtherPlatformFolder = QStringLiteral("C:\\Imail");
#endif

// A command line written as one text, its words apart by single blanks.
inline QStringList words(const char* text) {
    return QString::fromLatin1(text).split(QLatin1Char(' '));
}

// "--imail-root FOLDER/imail --data FOLDER/DATA".
QStringList listFolders(const TempFolder& folder, const QString& data = QStringLiteral("data"));

struct CliRun {
    int exitCode = -1;
    QByteArray out; // with LF line ends on every platform
    QByteArray err;
    QByteArray rawOut; // as the tool wrote it
};

// How a started quillmere-cli runs: under a file-size limit, which stands in for a full disk (the
// signal it raises is ignored, so the write fails with an error instead of killing the process),
// with extra NAME=value environment variables, with its standard output or error going to a file
// (such as /dev/full, or a terminal) instead of a pipe, and started by another program that ends
// by running the tool (unshare, setpriv), whose command line comes before the tool's.
struct CliConditions {
    qint64 fileSizeLimit = -1;
    QStringList environment;
    QString standardOutputFile;
    QString standardErrorFile = QString();
    QStringList startedBy = QStringList();
};

// Starts the built quillmere-cli with the given arguments in a UTF-8 locale, without waiting.
void startCli(QProcess& process, const QStringList& arguments,
              const CliConditions& conditions = {});
CliRun finishCli(QProcess& process);

// Runs the built quillmere-cli with the given arguments in a UTF-8 locale.
CliRun runCli(const QStringList& arguments, const CliConditions& conditions = {});

} // namespace quillmere::test

// The command-line tests use these names unqualified.
using quillmere::test::absoluteFolder;
using quillmere::test::CliConditions;
using quillmere::test::CliRun;
using quillmere::test::finishCli;
using quillmere::test::kAdded;
using quillmere::test::kLineEnd;
using quillmere::test::kMain;
using quillmere::test::kOtherPlatformFolder;
using quillmere::test::kRemoved;
using quillmere::test::listFolders;
using quillmere::test::runCli;
using quillmere::test::shown;
using quillmere::test::startCli;
using quillmere::test::streamed;
using quillmere::test::TempFolder;
using quillmere::test::words;
