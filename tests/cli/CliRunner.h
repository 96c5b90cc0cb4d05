#pragma once

#include <QByteArray>
#include <QString>
#include <QStringList>

namespace quillmere::test {

struct CliRun {
    int exitCode = -1;
    QByteArray out;
    QByteArray err;
};

// Runs the built quillmere-cli with the given arguments in a UTF-8 locale, with extra
// NAME=value environment variables.
CliRun runCli(const QStringList& arguments, const QStringList& environment = {});

} // namespace quillmere::test
