#include "cli/CliRunner.h"
#include "fakes/EntryBytes.h"
#include "fakes/FullDrive.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSysInfo>
#include <QTest>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#endif

using quillmere::test::lines;

namespace {

const QString kJournal = QStringLiteral("data/url-domain-log.txt");

// List files in a temporary folder and the tool run on them.
class Lists {
public:
    Lists(const QByteArray& main, const QByteArray& added, const QByteArray& removed) {
        m_folder.write(kMain, main);
        m_folder.subfolder(QStringLiteral("data"));
        m_folder.write(kAdded, added);
        m_folder.write(kRemoved, removed);
    }
    CliRun run(const QStringList& command,
               const quillmere::test::CliConditions& limits = {}) const {
        return runCli(listFolders(m_folder) + command, limits);
    }
    TempFolder& folder() { return m_folder; }

private:
    TempFolder m_folder;
};

// A journal line with its stamp checked and cut off: what follows "TIME USER HOST cli ".
QByteArray afterStamp(const QByteArray& line) {
    static const QRegularExpression stamp(
        QStringLiteral("^\\d{4}-\\d\\d-\\d\\dT\\d\\d:\\d\\d:\\d\\dZ\\t[^\\t]+\\t%1\\tcli\\t")
            .arg(QRegularExpression::escape(QSysInfo::machineHostName())));
    const QRegularExpressionMatch match = stamp.match(QString::fromLatin1(line));
    if (!match.hasMatch())
        return "no stamp: " + line;
    return line.mid(match.capturedLength());
}

QByteArrayList journalTails(const QByteArray& journal) {
    QByteArrayList tails;
    for (const QByteArray& line : journal.split('\n')) {
        if (!line.isEmpty())
            tails << afterStamp(line.endsWith('\r') ? line.chopped(1) : line);
    }
    return tails;
}

// One entry for each reason of check, each giving that reason alone.
QByteArray oneOfEachReason() {
    const QByteArray label63(63, 'a');
    return " lead.ex\r\ntrail.ex \r\nin side.ex\r\nCase.ex\r\ncase.ex\r\nunder_score.ex\r\n"
           "http://scheme.ex\r\npath.ex/spam\r\nport.ex:8080\r\nuser@at.ex\r\n192.0.2.7\r\n"
           "empty..label.ex\r\n.leading.ex\r\ntrailing.ex.\r\n" +
           label63 + "a.ex\r\n" + label63 + '.' + label63 + '.' + label63 + '.' +
           QByteArray(62, 'd') + "\r\nlone\nlf.ex\r\ntwice.ex\r\ntwice.ex\r\n";
}
} // namespace

class TestCliAnswers : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each row: the arguments after "query", the output and the exit status.
    void query_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<int>("exitCode");

        QTest::newRow("every copy, and the added list")
            << lines({"x.ex"})
            << QByteArray("x.ex: main:3: x.ex: exact\nx.ex: main:5: x.ex: exact\n"
                          "x.ex: added:1: x.ex: exact\n")
            << 0;
        QTest::newRow("parents only: not in the main list")
            << lines({"x.ex", "a.b.example.com"})
            << QByteArray("x.ex: main:3: x.ex: exact\nx.ex: main:5: x.ex: exact\n"
                          "x.ex: added:1: x.ex: exact\n"
                          "a.b.example.com: main:1: example.com: parent domain\n"
                          "a.b.example.com: main:2: b.example.com: parent domain\n")
            << 1;
        QTest::newRow("ignore case")
            << lines({"--ignore-case", "x.ex"})
            << QByteArray("x.ex: main:3: x.ex: exact\nx.ex: main:4: X.ex: letter case differs\n"
                          "x.ex: main:5: x.ex: exact\nx.ex: added:1: x.ex: exact\n")
            << 0;
        QTest::newRow("removed only")
            << lines({"gone.ex"}) << QByteArray("gone.ex: removed:1: gone.ex: exact\n") << 1;
        QTest::newRow("nowhere") << lines({"nowhere.ex"}) << QByteArray("nowhere.ex: not listed\n")
                                 << 1;
        QTest::newRow("latin-1 bytes")
            << QStringList{QString::fromUtf8("caf\xc3\xa9.ex")}
            << QByteArray("caf\xe9.ex: main:6: caf\xe9.ex: exact\n") << 0;
        QTest::newRow("text outside the code page is an error")
            << QStringList{QString::fromUtf8("\xd0\xbf.ex")} << QByteArray() << 2;
        QTest::newRow("no domain") << lines({}) << QByteArray() << 2;
    }

    void query() {
        QFETCH(QStringList, arguments);
        Lists lists("example.com\r\nb.example.com\r\nx.ex\r\nX.ex\r\nx.ex\r\ncaf\xe9.ex\r\n",
                    "x.ex\r\n", "gone.ex\r\n");
        const CliRun run = lists.run(QStringList{QStringLiteral("query")} + arguments);
        QTEST(run.out, "out");
        QTEST(run.exitCode, "exitCode");
        QVERIFY(!lists.folder().exists(kJournal));
    }

    void queryWithoutTheBlacklistIsAnError() {
        TempFolder folder;
        const CliRun run =
            runCli({QStringLiteral("--imail-root"), folder.path(), QStringLiteral("--data"),
                    folder.path(), QStringLiteral("query"), QStringLiteral("a.ex")});
        QCOMPARE(run.exitCode, 2);
    }

    void checkFindsOneOfEachReason() {
        Lists lists(oneOfEachReason(), "both.ex\r\n", "ok.ex\r\nboth.ex\r\n");
        const QByteArray label63(63, 'a');
        const QByteArray longName =
            label63 + '.' + label63 + '.' + label63 + '.' + QByteArray(62, 'd');
        const CliRun run = lists.run({QStringLiteral("check")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.out,
                 "main:1:  lead.ex: leading blank\n"
                 "main:2: trail.ex : trailing blank\n"
                 "main:3: in side.ex: blank inside\n"
                 "main:4: Case.ex: upper-case letters, same as line 5 when folded\n"
                 "main:6: under_score.ex: character a host name cannot hold (0x5F)\n"
                 "main:7: http://scheme.ex: URL scheme\n"
                 "main:8: path.ex/spam: path\n"
                 "main:9: port.ex:8080: port\n"
                 "main:10: user@at.ex: at sign (@)\n"
                 "main:11: 192.0.2.7: IP address\n"
                 "main:12: empty..label.ex: empty label\n"
                 "main:13: .leading.ex: leading dot\n"
                 "main:14: trailing.ex.: trailing dot\n"
                 "main:15: " +
                     label63 +
                     "a.ex: label over 63 bytes\n"
                     "main:16: " +
                     longName +
                     ": name over 253 bytes\n"
                     "main:17: lone\nlf.ex: lone CR or LF\n"
                     "main:18: twice.ex: same entry twice (also line 19)\n"
                     "main:19: twice.ex: same entry twice (also line 18)\n"
                     "added:1: both.ex: in both added and removed (removed:2)\n"
                     "removed:2: both.ex: in both added and removed (added:1)\n"
                     "20 found: 1 leading blank, 1 trailing blank, 1 blank inside, 1 upper-case "
                     "letters, 1 character a host name cannot hold, 1 URL scheme, 1 path, 1 port, "
                     "1 at sign (@), 1 IP address, 1 empty label, 1 leading dot, 1 trailing dot, "
                     "1 label over 63 bytes, 1 name over 253 bytes, 1 lone CR or LF, 2 same entry "
                     "twice, 2 in both added and removed\n");
        // Nothing is changed.
        QCOMPARE(lists.folder().read(kMain), oneOfEachReason());
        QVERIFY(!lists.folder().exists(kJournal));

        const CliRun removed = lists.run(
            {QStringLiteral("check"), QStringLiteral("--list"), QStringLiteral("removed")});
        QCOMPARE(removed.exitCode, 1);
        QCOMPARE(removed.out, QByteArray("removed:2: both.ex: in both added and removed (added:1)\n"
                                         "1 found: 1 in both added and removed\n"));
    }

    void checkOfCleanListsFindsNothing() {
        Lists lists("a.example.com\r\nb-c.example.net\r\n", "d.ex\r\n", "");
        const CliRun run = lists.run({QStringLiteral("check")});
        QCOMPARE(run.out, QByteArray("0 found\n"));
        QCOMPARE(run.exitCode, 0);
    }

    // Each row: arguments that are wrong usage of the new commands and options.
    void wrongUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::newRow("unknown list") << lines({"check", "--list", "mian"});
        QTest::newRow("--list elsewhere") << lines({"count", "--list", "main"});
        QTest::newRow("--ignore-case elsewhere") << lines({"check", "--ignore-case"});
        QTest::newRow("two domains for history") << lines({"history", "a.ex", "b.ex"});
    }

    void wrongUsage() {
        QFETCH(QStringList, arguments);
        Lists lists("a.ex\r\n", "", "");
        const CliRun run = lists.run(arguments);
        QCOMPARE(run.exitCode, 2);
        QCOMPARE(run.out, QByteArray());
    }

    void journalHoldsEverySavedEditAndNothingElse() {
        Lists lists("a.ex\r\nf.ex\r\n", "", "r.ex\r\n");
        TempFolder& folder = lists.folder();
        folder.write(QStringLiteral("factory.txt"), "z.ex\r\nf.ex\r\n");
        folder.write(QStringLiteral("release.txt"), "t.ex\r\n");
        const QString factory = QDir(folder.path()).absoluteFilePath(QStringLiteral("factory.txt"));
        const QString release = folder.filePath(QStringLiteral("release.txt"));
        const QList<QStringList> commands = {
            lines({"add", "n.ex", "m.ex", "a.ex"}),
            lines({"remove", "f.ex"}),
            lines({"unadd", "m.ex"}),
            lines({"reactivate", "r.ex"}),
            lines({"add", "t.ex"}),
            lines({"evaluate", "--trim"}) << release,
            lines({"sort", "main"}),
            lines({"clear-added"}),
            lines({"merge", "--dry-run"}) << factory,
            lines({"merge"}) << factory,
            lines({"rebuild"}),
            lines({"query", "a.ex"}),
            lines({"check"}),
            lines({"count"}),
        };
        for (const QStringList& command : commands)
            QVERIFY2(lists.run(command).exitCode <= 1, qPrintable(command.join(QLatin1Char(' '))));

        // The oldest backup is the Main list as it was first loaded.
        const QByteArray oldest = lists.run({QStringLiteral("backups")}).out.split(':').first();
        QVERIFY(lists.run({QStringLiteral("restore"), QString::fromLatin1(oldest)}).exitCode == 0);
        QCOMPARE(folder.read(kMain), QByteArray("a.ex\r\nf.ex\r\n"));
        // The files in the system's own separators, as every path the tool writes.
        const QByteArray backup =
            QDir::toNativeSeparators(QDir(folder.filePath(QStringLiteral("data/backups")))
                                         .absoluteFilePath(QString::fromLatin1(oldest)))
                .toLatin1();

        const QByteArray journal = folder.read(kJournal);
        QCOMPARE(journalTails(journal),
                 (QByteArrayList{"add\tn.ex", "add\tm.ex", "remove\tf.ex", "unadd\tm.ex",
                                 "reactivate\tr.ex", "add\tt.ex", "trim\tt.ex", "sort\tmain",
                                 "clear\tn.ex",
                                 "merge\t1\t0\t" + QDir::toNativeSeparators(factory).toLatin1(),
                                 "rebuild\t0\t0\t", "restore\t1\t4\t" + backup}));
        QVERIFY(journal.endsWith("\r\n"));
        QCOMPARE(journal.count("\r\n"), 12);

        const CliRun all = lists.run({QStringLiteral("history")});
        QCOMPARE(all.exitCode, 0);
        QCOMPARE(all.out, QByteArray(journal).replace("\r\n", "\n"));
        const CliRun one = lists.run({QStringLiteral("history"), QStringLiteral("n.ex")});
        QCOMPARE(journalTails(one.out), (QByteArrayList{"add\tn.ex", "clear\tn.ex"}));
        QCOMPARE(lists.run({QStringLiteral("history"), QStringLiteral("N.ex")}).out, QByteArray());
    }

    // Each row: what stands at the journal's path, and what history says of it. Only a regular
    // file is read: a FIFO would wait for a writer.
    void historyReadsOnlyARegularJournal_data() {
        QTest::addColumn<QString>("kind");
        QTest::addColumn<QByteArray>("reason");
        QTest::addColumn<int>("exitCode");
        QTest::newRow("none yet") << QStringLiteral("missing") << QByteArray() << 0;
        QTest::newRow("a folder") << QStringLiteral("folder")
                                  << QByteArray("it is a folder, not a file") << 1;
#ifdef Q_OS_UNIX
        QTest::newRow("a FIFO") << QStringLiteral("fifo")
                                << QByteArray("it is a FIFO, not a regular file") << 1;
#endif
    }
    void historyReadsOnlyARegularJournal() {
        QFETCH(QString, kind);
        QFETCH(QByteArray, reason);
        Lists lists("a.ex\r\n", "", "");
        const QString journal = lists.folder().filePath(kJournal);
        if (kind == QLatin1String("folder"))
            lists.folder().subfolder(kJournal);
#ifdef Q_OS_UNIX
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(mkfifo(QFile::encodeName(journal).constData(), 0600), 0);
#endif
        const CliRun run = lists.run({QStringLiteral("history")});
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.err, reason.isEmpty()
                              ? QByteArray()
                              : "Cannot read " + QDir::toNativeSeparators(journal).toLocal8Bit() +
                                    ": " + reason + '\n');
        QTEST(run.exitCode, "exitCode");
    }

    void journalIsAppendedToAndAStrayLineKeptApart() {
        Lists lists("a.ex\r\n", "", "");
        lists.folder().write(kJournal, "an earlier line cut short");
        QCOMPARE(lists.run({QStringLiteral("add"), QStringLiteral("b.ex")}).exitCode, 0);
        const QByteArray journal = lists.folder().read(kJournal);
        QVERIFY2(journal.startsWith("an earlier line cut short\r\n"), journal.constData());
        QCOMPARE(journalTails(journal.mid(27)), QByteArrayList{"add\tb.ex"});
    }

    void aJournalThatCannotBeWrittenIsReportedAfterTheSave() {
        Lists lists("a.ex\r\n", "", "");
        lists.folder().subfolder(kJournal);
        const CliRun run = lists.run({QStringLiteral("add"), QStringLiteral("b.ex")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(
                     "The journal of hand edits " +
                     QDir::toNativeSeparators(lists.folder().filePath(kJournal)).toLatin1() +
                     " could not be written: "),
                 run.err.constData());
        QCOMPARE(lists.folder().read(kMain), QByteArray("a.ex\r\nb.ex\r\n"));
        QCOMPARE(lists.folder().read(kAdded), QByteArray("b.ex\r\n"));
    }

    void aFailedSaveJournalsNothing() {
        Lists lists("a.ex\r\n", "", "");
#ifdef Q_OS_WIN
        // The tracking lists on a full drive make the save fail.
        const quillmere::test::FullDrive drive;
        if (drive.folder().isEmpty())
            QSKIP(qPrintable(drive.why()));
        const QString data = drive.folder() + QStringLiteral("/data");
        const CliRun run = runCli(
            {QStringLiteral("--imail-root"), lists.folder().filePath(QStringLiteral("imail")),
             QStringLiteral("--data"), data, QStringLiteral("add"), QStringLiteral("b.ex")});
        QVERIFY(!QFileInfo::exists(data + QStringLiteral("/url-domain-log.txt")));
#else
        // A file-size limit below the new lists' size makes the save fail, as a full disk does.
        const CliRun run =
            lists.run({QStringLiteral("add"), QStringLiteral("b.ex")}, {8, {}, {}, {}});
        QVERIFY(!lists.folder().exists(kJournal));
#endif
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lists.folder().read(kMain), QByteArray("a.ex\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliAnswers)
#include "tst_CliAnswers.moc"
