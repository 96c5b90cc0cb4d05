#include "cli/CliRunner.h"
#include "fakes/TempFolder.h"

#include <QFileInfo>
#include <QRegularExpression>
#include <QTest>
#include <chrono>
#include <thread>

namespace {

// A set of list files in a temporary folder and the tool run on them.
class Lists {
public:
    Lists(const QByteArray& main, const QByteArray& added, const QByteArray& removed) {
        m_folder.write(kMain, main);
        m_folder.subfolder(QStringLiteral("data"));
        if (!added.isNull())
            m_folder.write(kAdded, added);
        if (!removed.isNull())
            m_folder.write(kRemoved, removed);
    }
    CliRun run(const QStringList& command) const { return runCli(listFolders(m_folder) + command); }
    QByteArray read(const QString& name) const { return m_folder.read(name); }
    bool exists(const QString& name) const { return m_folder.exists(name); }
    QString path(const QString& name) const { return m_folder.filePath(name); }

private:
    TempFolder m_folder;
};
} // namespace

class TestCli : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Each entry as its bytes, a lone LF of its own included, then the platform's line end.
    void showPrintsEntriesAsTheirBytes() {
        const Lists lists("b.ex\r\n\r\nA.ex \r\ncaf\xe9.ex\r\nlone\nLF", "x.ex", QByteArray());
        const CliRun run = lists.run({QStringLiteral("show"), QStringLiteral("main")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.rawOut, "b.ex" + kLineEnd + "A.ex " + kLineEnd + "caf\xe9.ex" + kLineEnd +
                                 "lone\nLF" + kLineEnd);
        QCOMPARE(lists.run({QStringLiteral("show"), QStringLiteral("removed")}).out, QByteArray());
    }

    void countPrintsThePanelTexts() {
        const Lists lists("a\r\nb\r\nc\r\n", "a\r\n", "");
        const CliRun run = lists.run({QStringLiteral("count")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, QByteArray("3 listed\n1 added\n0 removed\n"));
    }

    void readingCommandsWriteNothing() {
        const Lists lists("b.ex\r\na.ex", "x.ex", "r.ex");
        const QDateTime before = QFileInfo(lists.path(kMain)).lastModified();
        std::this_thread::sleep_for(std::chrono::milliseconds(20));
        QCOMPARE(lists.run({QStringLiteral("count")}).exitCode, 0);
        QCOMPARE(lists.run({QStringLiteral("show"), QStringLiteral("added")}).exitCode, 0);
        QCOMPARE(QFileInfo(lists.path(kMain)).lastModified(), before);
        QCOMPARE(lists.read(kMain), QByteArray("b.ex\r\na.ex"));
    }

    void addWritesMainAndAddedAndTakesOneRemovedCopy() {
        const Lists lists("b.ex\r\na.ex\r\n", QByteArray(), "n.ex\r\nz.ex\r\nn.ex\r\n");
        const CliRun run = lists.run({QStringLiteral("add"), QStringLiteral("n.ex"),
                                      QStringLiteral("a.ex"), QStringLiteral("A.ex")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.err, QByteArray("a.ex is already blacklisted\n"));
        QCOMPARE(lists.read(kMain), QByteArray("b.ex\r\na.ex\r\nn.ex\r\nA.ex\r\n"));
        QCOMPARE(lists.read(kAdded), QByteArray("n.ex\r\nA.ex\r\n"));
        QCOMPARE(lists.read(kRemoved), QByteArray("z.ex\r\nn.ex\r\n"));
    }

    void duplicateOnlyChangesNothing() {
        const Lists lists("a.ex", QByteArray(), QByteArray());
        const CliRun run = lists.run({QStringLiteral("add"), QStringLiteral("a.ex")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(lists.read(kMain), QByteArray("a.ex"));
        QVERIFY(!lists.exists(kAdded));
    }

    void removeRecordsAndReportsTheAbsent() {
        const Lists lists("a.ex\r\nh.ex\r\nf.ex\r\n", "h.ex\r\n", QByteArray());
        const CliRun run = lists.run({QStringLiteral("remove"), QStringLiteral("h.ex"),
                                      QStringLiteral("nope.ex"), QStringLiteral("f.ex")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("nope.ex is not in the main list\n"));
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\n"));
        QCOMPARE(lists.read(kAdded), QByteArray());
        QCOMPARE(lists.read(kRemoved), QByteArray("f.ex\r\n"));
    }

    void unaddAndReactivate() {
        const Lists lists("a.ex\r\nh.ex\r\n", "h.ex\r\nk.ex\r\n", "r.ex\r\n");
        QCOMPARE(
            lists.run({QStringLiteral("unadd"), QStringLiteral("h.ex"), QStringLiteral("k.ex")})
                .exitCode,
            0);
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\n"));
        QCOMPARE(lists.read(kAdded), QByteArray());
        const CliRun run = lists.run(
            {QStringLiteral("reactivate"), QStringLiteral("r.ex"), QStringLiteral("r.ex")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QByteArray("r.ex is not in the removed list\n"));
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nr.ex\r\n"));
        QCOMPARE(lists.read(kRemoved), QByteArray());
    }

    void clearAddedLeavesMain() {
        const Lists lists("a.ex\r\n", "a.ex\r\n", QByteArray());
        QCOMPARE(lists.run({QStringLiteral("clear-added")}).exitCode, 0);
        QCOMPARE(lists.read(kAdded), QByteArray());
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\n"));
        QVERIFY(!lists.exists(kRemoved));
    }

    void sortWritesByteOrder() {
        const Lists lists("b.example\r\nA.example\r\na.example\r\na-b.example", QByteArray(),
                          QByteArray());
        QCOMPARE(lists.run({QStringLiteral("sort"), QStringLiteral("main")}).exitCode, 0);
        QCOMPARE(lists.read(kMain),
                 QByteArray("A.example\r\na-b.example\r\na.example\r\nb.example\r\n"));
        QVERIFY(!lists.exists(kAdded));
    }

    void textOutsideTheCodePageIsRefused() {
        const Lists lists("a.ex\r\n", QByteArray(), QByteArray());
        const CliRun run = lists.run({QStringLiteral("add"), QStringLiteral("ok.ex"),
                                      QString::fromUtf8("\xd0\xbf\xd1\x80.ex")});
        QCOMPARE(run.exitCode, 1);
        QVERIFY2(run.err.startsWith(
                     streamed(QString::fromUtf8("\"\xd0\xbf\xd1\x80.ex\" cannot be stored"))),
                 run.err.constData());
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\n"));
        QVERIFY(!lists.exists(kAdded));
    }

    // The arguments are converted once, into one block of bytes that every domain is a view of:
    // each keeps its own bytes, however the ones beside it are made.
    void latinOneTextIsStoredAsOneByte_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("error");
        QTest::addColumn<QByteArray>("main");
        QTest::addColumn<QByteArray>("added");
        const QString cafe = QString::fromUtf8("caf\xc3\xa9.ex");
        const QString longOne = QString(300, QLatin1Char('\xfc')) + QStringLiteral(".ex");
        QTest::newRow("one domain")
            << QStringList{QStringLiteral("add"), cafe} << 0 << QByteArray()
            << QByteArray("a.ex\r\ncaf\xe9.ex\r\n") << QByteArray("caf\xe9.ex\r\n");
        QTest::newRow("short, long and one-letter domains side by side")
            << QStringList{QStringLiteral("add"), cafe, QStringLiteral("x"), longOne,
                           QString::fromUtf8("\xc3\xbf")}
            << 0 << QByteArray()
            << QByteArray("a.ex\r\ncaf\xe9.ex\r\nx\r\n") + longOne.toLatin1() + "\r\n\xff\r\n"
            << QByteArray("caf\xe9.ex\r\nx\r\n") + longOne.toLatin1() + "\r\n\xff\r\n";
        QTest::newRow("the same domain twice, and one listed")
            << QStringList{QStringLiteral("add"), cafe, QStringLiteral("a.ex"), cafe} << 0
            << streamed(QStringLiteral("a.ex is already blacklisted\n") + cafe +
                        QStringLiteral(" is already blacklisted\n"))
            << QByteArray("a.ex\r\ncaf\xe9.ex\r\n") << QByteArray("caf\xe9.ex\r\n");
        QTest::newRow("remove: a domain given twice is removed once")
            << QStringList{QStringLiteral("remove"), QStringLiteral("a.ex"), QStringLiteral("a.ex")}
            << 1 << QByteArray("a.ex is not in the main list\n") << QByteArray() << QByteArray();
    }
    void latinOneTextIsStoredAsOneByte() {
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, error);
        QFETCH(QByteArray, main);
        QFETCH(QByteArray, added);
        const Lists lists("a.ex\r\n", QByteArray(), QByteArray());
        const CliRun run = lists.run(arguments);
        QCOMPARE(run.err, error);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(lists.read(kMain), main);
        if (arguments.constFirst() == QLatin1String("add"))
            QCOMPARE(lists.read(kAdded), added);
    }

    void missingMainFileIsAnError() {
        TempFolder folder;
        const CliRun run =
            runCli({QStringLiteral("--imail-root"), folder.path(), QStringLiteral("--data"),
                    folder.path(), QStringLiteral("count")});
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(run.err, QStringLiteral("The blacklist %1 does not exist.\n")
                              .arg(shown(folder.filePath(QStringLiteral("url-domain-bl.txt"))))
                              .toLocal8Bit());
    }

    void wrongUsage_data() {
        QTest::addColumn<QStringList>("command");
        QTest::newRow("no command") << QStringList();
        QTest::newRow("unknown command") << QStringList{QStringLiteral("frobnicate")};
        QTest::newRow("unknown list") << QStringList{QStringLiteral("show"), QStringLiteral("all")};
        QTest::newRow("missing argument") << QStringList{QStringLiteral("add")};
        QTest::newRow("extra argument")
            << QStringList{QStringLiteral("count"), QStringLiteral("x")};
    }
    void wrongUsage() {
        QFETCH(QStringList, command);
        const Lists lists("a.ex\r\n", QByteArray(), QByteArray());
        const CliRun run = lists.run(command);
        QCOMPARE(run.exitCode, 2);
        QVERIFY(!run.err.isEmpty());
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\n"));
    }

    // Help and usage texts name the tool as it is installed, whatever path started it.
    void helpAndUsageTexts_data() {
        QTest::addColumn<QStringList>("command");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("err");
        const QByteArray toolUsage = "Usage: quillmere-cli [options] command [arguments]\n";
        QTest::newRow("--help") << QStringList{QStringLiteral("--help")} << 0 << toolUsage
                                << QByteArray();
        QTest::newRow("--help-all")
            << QStringList{QStringLiteral("--help-all")} << 0 << toolUsage << QByteArray();
        QTest::newRow("--version")
            << QStringList{QStringLiteral("--version")} << 0
            << QByteArray("quillmere-cli " QUILLMERE_EXPECTED_VERSION "\n") << QByteArray();
        QTest::newRow("no command")
            << QStringList() << 2 << QByteArray() << QByteArray("No command given.\n") + toolUsage;
        QTest::newRow("count, extra argument")
            << QStringList{QStringLiteral("count"), QStringLiteral("x")} << 2 << QByteArray()
            << QByteArray("Usage: quillmere-cli [options] count\n");
        QTest::newRow("clear-added, extra argument")
            << QStringList{QStringLiteral("clear-added"), QStringLiteral("x")} << 2 << QByteArray()
            << QByteArray("Usage: quillmere-cli [options] clear-added\n");
        QTest::newRow("add, no argument") << QStringList{QStringLiteral("add")} << 2 << QByteArray()
                                          << QByteArray("Usage: quillmere-cli [options] add "
                                                        "DOMAIN...\n");
        QTest::newRow("merge --help")
            << QStringList{QStringLiteral("merge"), QStringLiteral("--help")} << 0
            << QByteArray("Usage: quillmere-cli [options] merge FILE [--dry-run]\n\n"
                          "Merges the factory list FILE")
            << QByteArray();
        QTest::newRow("--help count")
            << QStringList{QStringLiteral("--help"), QStringLiteral("count")} << 0
            << QByteArray("Usage: quillmere-cli [options] count\n\n"
                          "Prints the counts")
            << QByteArray();
        QTest::newRow("restart-queue --help")
            << QStringList{QStringLiteral("restart-queue"), QStringLiteral("--help")} << 0
            << QByteArray("Usage: quillmere-cli [--registry FILE] restart-queue\n\n"
                          "Starts rQueue.bat in the install folder (the stored installPath), "
                          "which\n")
            << QByteArray();
        QTest::newRow("update --help")
            << QStringList{QStringLiteral("update"), QStringLiteral("--help")} << 0
            << QByteArray("Usage: quillmere-cli [options] update [URL] [--restart] [--dry-run] "
                          "[--allow-shrink]\n\n"
                          "Fetches the factory list from URL (https, http or file), or from the "
                          "stored\n")
            << QByteArray();
        QTest::newRow("settings --help")
            << QStringList{QStringLiteral("settings"), QStringLiteral("--help")} << 0
            << QByteArray("Usage: quillmere-cli [--registry FILE] settings\n") << QByteArray();
        QTest::newRow("unknown command --help")
            << QStringList{QStringLiteral("frobnicate"), QStringLiteral("--help")} << 2
            << QByteArray() << QByteArray("Unknown command \"frobnicate\".\n") + toolUsage;
    }
    // Each text is checked from its start (the whole of a short one); no line ends in a blank.
    void helpAndUsageTexts() {
        QFETCH(QStringList, command);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, err);
        const Lists lists("a.ex\r\n", QByteArray(), QByteArray());
        const CliRun run = lists.run(command);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out.left(out.size()), out);
        QCOMPARE(run.err.left(err.size()), err);
        QCOMPARE(run.out.isEmpty(), out.isEmpty());
        QCOMPARE(run.err.isEmpty(), err.isEmpty());
        for (const QByteArray& line : (run.out + run.err).split('\n'))
            QVERIFY2(!line.endsWith(' '), line.constData());
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\n"));
    }

    // Every command, the settings included, has its own help, and giving it runs nothing.
    void everyCommandHasHelp() {
        const CliRun tool = runCli({QStringLiteral("--help")});
        const qsizetype commandsStart = tool.out.indexOf("\nCommands:\n");
        QVERIFY(commandsStart > 0);
        const QList<QByteArray> lines = tool.out.mid(commandsStart + 11).split('\n');
        int described = 0;
        for (const QByteArray& line : lines) {
            if (!line.startsWith("  "))
                break;
            const QString name = QString::fromLatin1(line.trimmed().split(' ').constFirst());
            const CliRun run = runCli({name, QStringLiteral("--help")});
            QCOMPARE(run.exitCode, 0);
            QVERIFY2(run.out.startsWith("Usage: quillmere-cli ") &&
                         run.out.contains(" " + name.toLatin1()),
                     run.out.constData());
            QVERIFY2(run.out.count('\n') > 3, run.out.constData());
            ++described;
        }
        QVERIFY(described >= 11);
    }

    // help2man makes the manual page's items from the list of commands: an item is a line with
    // two blanks between its head and its description, however long the head.
    void usageListKeepsTwoBlanksAfterEachHead() {
        const CliRun tool = runCli({QStringLiteral("--help")});
        const qsizetype commandsStart = tool.out.indexOf("\nCommands:\n");
        QVERIFY(commandsStart > 0);
        const QRegularExpression item(QStringLiteral("^  \\S.*\\S  +\\S"));
        int items = 0;
        for (const QByteArray& line : tool.out.mid(commandsStart + 11).split('\n')) {
            if (!line.startsWith("  "))
                break;
            QVERIFY2(item.match(QString::fromLatin1(line)).hasMatch(), line.constData());
            ++items;
        }
        QCOMPARE(items, 20);
        QVERIFY(tool.out.contains("\n  check [--list main|added|removed]  report entries a domain "
                                  "blacklist should not hold; changes nothing\n"));
    }

    void backupsKeepTheNewestTenAndRestore() {
        const Lists lists("a.ex\r\n", QByteArray(), QByteArray());
        for (int k = 1; k <= 12; ++k)
            QCOMPARE(lists.run({QStringLiteral("add"), QStringLiteral("b%1.ex").arg(k)}).exitCode,
                     0);
        const QRegularExpression line(
            QStringLiteral("^(url-domain-bl-\\d{6}-\\d{8}-\\d{6}\\.txt): (\\d+) entries$"));
        auto listed = [&lists, &line] {
            QStringList names;
            QList<int> counts;
            const CliRun run = lists.run({QStringLiteral("backups")});
            for (const QByteArray& text : run.out.split('\n')) {
                if (text.isEmpty())
                    continue;
                const QRegularExpressionMatch match = line.match(QString::fromLatin1(text));
                if (!match.hasMatch())
                    qFatal("unexpected backups line %s", text.constData());
                names << match.captured(1);
                counts << match.captured(2).toInt();
            }
            return std::pair(names, counts);
        };
        const auto [names, counts] = listed();
        // Each save kept the list it replaced: 1 to 12 entries, of which the newest ten remain.
        QCOMPARE(counts, (QList<int>{3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));

        const CliRun restored = lists.run({QStringLiteral("restore"), names.first()});
        QCOMPARE(restored.exitCode, 0);
        QCOMPARE(restored.out, QByteArray("3 listed\n"));
        QCOMPARE(lists.read(kMain), QByteArray("a.ex\r\nb1.ex\r\nb2.ex\r\n"));
        QCOMPARE(listed().second, (QList<int>{4, 5, 6, 7, 8, 9, 10, 11, 12, 13}));

        const CliRun wrong = lists.run({QStringLiteral("restore"), QStringLiteral("../x.txt")});
        QCOMPARE(wrong.exitCode, 1);
        QCOMPARE(wrong.err, QStringLiteral("../x.txt is not a backup in %1\n")
                                .arg(shown(lists.path(QStringLiteral("data/backups"))))
                                .toLocal8Bit());
    }
};

QTEST_GUILESS_MAIN(TestCli)
#include "tst_Cli.moc"
