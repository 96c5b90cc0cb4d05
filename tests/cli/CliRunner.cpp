#include "CliRunner.h"

#include "fakes/TempFolder.h"

#include <QProcessEnvironment>
#ifdef Q_OS_UNIX
#include <csignal>
#include <sys/resource.h>
#endif

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
#ifdef Q_OS_UNIX
    if (conditions.fileSizeLimit >= 0) {
        const auto limit = static_cast<rlim_t>(conditions.fileSizeLimit);
        process.setChildProcessModifier([limit] {
            const rlimit fileSize{limit, limit};
            setrlimit(RLIMIT_FSIZE, &fileSize);
            std::signal(SIGXFSZ, SIG_IGN);
        });
    }
#endif
    if (!conditions.standardOutputFile.isEmpty())
        process.setStandardOutputFile(conditions.standardOutputFile);
    if (!conditions.standardErrorFile.isEmpty())
        process.setStandardErrorFile(conditions.standardErrorFile);
    if (conditions.startedBy.isEmpty())
        process.start(QStringLiteral(QUILLMERE_CLI_PATH), arguments);
    else
        process.start(conditions.startedBy.constFirst(),
                      conditions.startedBy.mid(1) +
                          QStringList{QStringLiteral(QUILLMERE_CLI_PATH)} + arguments);
}

CliRun finishCli(QProcess& process) {
    process.waitForFinished(120000);
    CliRun run;
    run.exitCode = process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
#ifdef Q_OS_WIN
    // The tool ends its lines in CR LF on Windows (tst_Cli checks the bytes); the tests compare
    // the lines.
    run.rawOut = run.out;
    run.out.replace("\r\n", "\n");
    run.err.replace("\r\n", "\n");
#else
    run.rawOut = run.out;
#endif
    return run;
}

CliRun runCli(const QStringList& arguments, const CliConditions& conditions) {
    QProcess process;
    startCli(process, arguments, conditions);
    return finishCli(process);
}

} // namespace quillmere::test
