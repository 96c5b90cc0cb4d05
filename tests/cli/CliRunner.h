#pragma once

#include <QByteArray>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace quillmere::test {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// How a started quillmere-cli runs: under a file-size limit, which stands in for a full disk (the
// signal it raises is ignored, so the write fails with an error instead of killing the process),
// and with extra NAME=value environment variables.
struct CliConditions {
    qint64 fileSizeLimit = -1;
    QStringList environment;
};

// Starts the built quillmere-cli with the given arguments in a UTF-8 locale, without waiting.
void startCli(QProcess& process, const QStringList& arguments,
              const CliConditions& conditions = {});
CliRun finishCli(QProcess& process);

// Runs the built quillmere-cli with the given arguments in a UTF-8 locale.
CliRun runCli(const QStringList& arguments, const CliConditions& conditions = {});

} // namespace quillmere::test
