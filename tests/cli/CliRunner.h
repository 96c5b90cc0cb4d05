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

// Limits a started quillmere-cli runs under: a file-size limit stands in for a full disk (the
// signal it raises is ignored, so the write fails with an error instead of killing the process).
struct CliLimits {
    qint64 fileSizeLimit = -1;
};

// Starts the built quillmere-cli with the given arguments in a UTF-8 locale, without waiting.
void startCli(QProcess& process, const QStringList& arguments, const CliLimits& limits = {});
CliRun finishCli(QProcess& process);

// Runs the built quillmere-cli with the given arguments in a UTF-8 locale.
CliRun runCli(const QStringList& arguments, const CliLimits& limits = {});

} // namespace quillmere::test
