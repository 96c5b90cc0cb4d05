#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quillmere::test {

class TempFolder;

// Where the command-line tests keep the lists in their temporary folder.
inline const QString kMain = QStringLiteral("imail/url-domain-bl.txt");
inline const QString kAdded = QStringLiteral("data/url-domain-add.txt");
inline const QString kRemoved = QStringLiteral("data/url-domain-rem.txt");

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
// with extra NAME=value environment variables, and with its standard output going to a file
// (such as /dev/full) instead of a pipe.
struct CliConditions {
    qint64 fileSizeLimit = -1;
    QStringList environment;
    QString standardOutputFile;
};

// Starts the built quillmere-cli with the given arguments in a UTF-8 locale, without waiting.
void startCli(QProcess& process, const QStringList& arguments,
              const CliConditions& conditions = {});
CliRun finishCli(QProcess& process);

// Runs the built quillmere-cli with the given arguments in a UTF-8 locale.
CliRun runCli(const QStringList& arguments, const CliConditions& conditions = {});

} // namespace quillmere::test
