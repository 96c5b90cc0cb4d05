#include "CliRunner.h"

#include "fakes/TempFolder.h"

#include <QProcessEnvironment>
#include <csignal>
#include <sys/resource.h>

namespace quillmere::test {

QStringList listFolders(const TempFolder& folder, const QString& data) {
    return {QStringLiteral("--imail-root"), folder.filePath(QStringLiteral("imail")),
            QStringLiteral("--data"), folder.filePath(data)};
}

void startCli(QProcess& process, const QStringList& arguments, const CliConditions& conditions) {
    QProcessEnvironment variables = QProcessEnvironment::systemEnvironment();
    variables.insert(QStringLiteral("LC_ALL"), QStringLiteral("C.UTF-8"));
    for (const QString& variable : conditions.environment) {
        const qsizetype equals = variable.indexOf(QLatin1Char('='));
        variables.insert(variable.left(equals), variable.mid(equals + 1));
    }
    process.setProcessEnvironment(variables);
    if (conditions.fileSizeLimit >= 0) {
        const auto limit = static_cast<rlim_t>(conditions.fileSizeLimit);
        process.setChildProcessModifier([limit] {
            const rlimit fileSize{limit, limit};
            setrlimit(RLIMIT_FSIZE, &fileSize);
            std::signal(SIGXFSZ, SIG_IGN);
        });
    }
    if (!conditions.standardOutputFile.isEmpty())
        process.setStandardOutputFile(conditions.standardOutputFile);
    process.start(QStringLiteral(QUILLMERE_CLI_PATH), arguments);
}

CliRun finishCli(QProcess& process) {
    process.waitForFinished(120000);
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    return run;
}

CliRun runCli(const QStringList& arguments, const CliConditions& conditions) {
    QProcess process;
    startCli(process, arguments, conditions);
    return finishCli(process);
}

} // namespace quillmere::test
