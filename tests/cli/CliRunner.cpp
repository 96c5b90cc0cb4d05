#include "CliRunner.h"

#include <QProcess>
#include <QProcessEnvironment>

namespace quillmere::test {

CliRun runCli(const QStringList& arguments, const QStringList& environment) {
    QProcess process;
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const QString& variable : environment) {
        const qsizetype equals = variable.indexOf(QLatin1Char('='));
        variables.insert(variable.left(equals), variable.mid(equals + 1));
    }
    process.setProcessEnvironment(variables);
    process.start(QStringLiteral(QUILLMERE_CLI_PATH), arguments);
    process.waitForFinished(60000);
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

} // namespace quillmere::test
