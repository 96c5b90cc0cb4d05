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
    const QString program = conditions.startedBy.isEmpty() ? QStringLiteral(QUILLMERE_CLI_PATH)
                                                           : conditions.startedBy.constFirst();
    const QStringList programArguments = conditions.startedBy.isEmpty()
                                             ? arguments
                                             : conditions.startedBy.mid(1) +
                                                   QStringList{QStringLiteral(QUILLMERE_CLI_PATH)} +
                                                   arguments;
    // A start that fails looks like a run that printed nothing and ended well (exit code 0). A
    // busy machine (Wine on a loaded one, suspected in rare failures) may fail a start for a
    // passing reason, so it is tried twice more, saying so; a tool that cannot be started at all
    // is reported by finishCli.
    for (int attempt = 1;; ++attempt) {
        process.start(program, programArguments);
        if (process.waitForStarted(60000) || process.error() != QProcess::FailedToStart ||
            attempt == 3)
            return;
        qWarning("%s could not be started (%s); starting it again", qPrintable(program),
                 qPrintable(process.errorString()));
    }
}

CliRun finishCli(QProcess& process) {
    CliRun run;
    const bool started =
        process.state() != QProcess::NotRunning || process.error() != QProcess::FailedToStart;
    // A process seen to end already (through the event loop) gives false here, and has ended.
    const bool ended =
        started && (process.waitForFinished(120000) || process.state() == QProcess::NotRunning);
    if (started && !ended) {
        process.kill();
        process.waitForFinished();
    }
    run.exitCode = ended && process.exitStatus() == QProcess::NormalExit ? process.exitCode() : -1;
    run.out = process.readAllStandardOutput();
    run.err = process.readAllStandardError();
    // A run that went wrong in the test's own terms says so where every test looks first, with
    // what a crash left as its exit code (on Windows, the exception's code).
    if (!started)
        run.err += "[the tool could not be started: " + process.errorString().toUtf8() + "]\n";
    else if (!ended)
        run.err += "[the tool did not end within 120 s and was killed]\n";
    else if (process.exitStatus() == QProcess::CrashExit)
        run.err += "[the tool crashed: exit code 0x" +
                   QByteArray::number(static_cast<quint32>(process.exitCode()), 16) + "]\n";
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
