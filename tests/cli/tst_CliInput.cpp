#include "cli/CliRunner.h"
#include "fakes/TempFolder.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTest>
#ifdef Q_OS_UNIX
#include <sys/stat.h>
#include <unistd.h>
#endif

namespace {

const QByteArray kMainBytes = "b.ex\r\na.ex\r\n";
const QString kJournal = QStringLiteral("data/url-domain-log.txt");
const QByteArray kAddedBytes = "n.ex\r\n";
const QByteArray kRemovedBytes = "r.ex\r\n";

// The three list files in a temporary folder, one path of which may be replaced by something
// that is no regular file, and quillmere-cli run on them.
class Lists {
public:
    Lists() {
        m_folder.write(kMain, kMainBytes);
        m_folder.write(kAdded, kAddedBytes);
        m_folder.write(kRemoved, kRemovedBytes);
    }

    // "folder:NAME", "fifo:NAME", "device:NAME" (a link to /dev/null), "unreadable:NAME" (no
    // read permission) or "loop:NAME" (a symbolic link to itself, which nobody can read, root
    // included) put in NAME's place; "file:NAME" writes a large file.
    void plant(const QString& what) const {
        if (what.isEmpty())
            return;
        const QString kind = what.section(QLatin1Char(':'), 0, 0);
        const QString path = m_folder.filePath(what.section(QLatin1Char(':'), 1));
        if (QFileInfo(path).isDir())
            QVERIFY(QDir(path).removeRecursively());
        QFile::remove(path);
        if (kind == QLatin1String("folder"))
            QVERIFY(QDir().mkpath(path));
#ifdef Q_OS_UNIX
        else if (kind == QLatin1String("fifo"))
            QCOMPARE(::mkfifo(QFile::encodeName(path).constData(), 0600), 0);
        else if (kind == QLatin1String("loop"))
            QCOMPARE(
                ::symlink(QFile::encodeName(path).constData(), QFile::encodeName(path).constData()),
                0);
        else if (kind == QLatin1String("device"))
            QCOMPARE(::symlink("/dev/null", QFile::encodeName(path).constData()), 0);
#endif
        else if (kind == QLatin1String("unreadable"))
            unreadable(path);
        else if (kind == QLatin1String("file"))
            m_folder.write(what.section(QLatin1Char(':'), 1), largeList());
        else
            QFAIL("unknown kind of path");
    }

    static void unreadable(const QString& path) {
        QFile file(path);
        QVERIFY(file.open(QIODevice::WriteOnly));
        QVERIFY(file.setPermissions(QFileDevice::WriteOwner));
    }

    CliRun run(QStringList arguments, const QStringList& environment = {}) const {
        arguments.replaceInStrings(QStringLiteral("{root}"), m_folder.path());
        return runCli(listFolders(m_folder) + arguments, {-1, environment, {}, {}});
    }

    // The text with each "{root}/..." path as the tool shows it: the folder's path, with the
    // platform's separators.
    QByteArray withRoot(const QByteArray& text) const {
        QByteArray out;
        qsizetype at = 0;
        for (qsizetype root; (root = text.indexOf("{root}", at)) >= 0;) {
            out += text.mid(at, root - at);
            qsizetype end = root + 6;
            while (end < text.size() && !QByteArray(" :\n").contains(text.at(end)))
                ++end;
            const QString path =
                m_folder.path() + QString::fromLocal8Bit(text.mid(root + 6, end - root - 6));
            out += quillmere::test::streamed(quillmere::test::shown(path));
            at = end;
        }
        return out + text.mid(at);
    }
    QString path(const QString& name) const {
        return m_folder.filePath(name);
    }
    QByteArray read(const QString& name) const {
        return m_folder.read(name);
    }
    bool isReadableFile(const QString& name) const {
        const QFileInfo info(path(name));
        return info.isFile() && info.isReadable();
    }

    // Every list file that is still a readable file holds what it held before the run.
    void verifyUnchanged() const {
        if (isReadableFile(kMain))
            QCOMPARE(read(kMain), kMainBytes);
        if (isReadableFile(kAdded))
            QCOMPARE(read(kAdded), kAddedBytes);
        if (isReadableFile(kRemoved))
            QCOMPARE(read(kRemoved), kRemovedBytes);
        // No temporary file is left beside the Main list.
        QCOMPARE(
            QDir(path(QStringLiteral("imail")))
                .entryList(QDir::AllEntries | QDir::System | QDir::Hidden | QDir::NoDotAndDotDot),
            QStringList{QStringLiteral("url-domain-bl.txt")});
    }

    // 4 MB of domains: more than the memory budget of the tests below.
    static QByteArray largeList() {
        QByteArray bytes;
        for (int i = 0; i < 200000; ++i)
            bytes += "domain-" + QByteArray::number(i) + ".example\r\n";
        return bytes;
    }

    // The lists and files a command with a large task works on: "query" a Main list holding
    // parents of a domain of 65,001 labels, "journal" a journal of 100,001 lines (6 MB), "added"
    // the large list as the Added list.
    void plantLarge(const QString& what) const {
        if (what == QLatin1String("query")) {
            m_folder.write(kMain, "a.a\r\nA.a.A\r\nb.a\r\n");
        } else if (what == QLatin1String("journal")) {
            QByteArray journal;
            for (int i = 0; i < 100000; ++i)
                journal += "2026-12-08T05:19:49Z\tadmin\tmailhost\tcli\tadd\tdomain-" +
                           QByteArray::number(i) + ".example\r\n";
            journal += "2026-12-08T05:20:00Z\tadmin\tmailhost\tcli\tclear\tdomain-7.example\r\n";
            m_folder.write(kJournal, journal);
        } else if (what == QLatin1String("added")) {
            m_folder.write(kAdded, largeList());
        }
    }

    // The journal without each line's time, which differs between two runs.
    QByteArray journalWithoutTimes() const {
        QByteArray out;
        for (const QByteArray& line : read(kJournal).split('\n'))
            out += line.mid(line.indexOf('\t') + 1) + '\n';
        return out;
    }

    TempFolder m_folder;
};

#ifdef Q_OS_UNIX
// The memory budget of the preloaded operator new, for a run of the tool.
QStringList memoryBudget(const QString& variable, qint64 bytes) {
    // The AddressSanitizer of the test build must let the budget's operator new come first.
    return {QStringLiteral("LD_PRELOAD=") + QStringLiteral(QUILLMERE_MEMORY_BUDGET_PATH),
            variable + QLatin1Char('=') + QString::number(bytes),
            QStringLiteral("ASAN_OPTIONS=verify_asan_link_order=0:") +
                qEnvironmentVariable("ASAN_OPTIONS")};
}
#endif

} // namespace

class TestCliInput : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void refusedInputChangesNothing_data() {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("error");

        const auto args = [](const char* text) {
            return QString::fromLatin1(text).split(QLatin1Char(' '));
        };
        // What stands at a list's path and is no regular file.
        QTest::newRow("added list a folder")
            << QStringLiteral("folder:data/url-domain-add.txt") << args("count") << 1
            << QByteArray("Cannot read {root}/data/url-domain-add.txt: it is a folder, not a "
                          "file\n");
#ifdef Q_OS_UNIX
        QTest::newRow("removed list a FIFO")
            << QStringLiteral("fifo:data/url-domain-rem.txt") << args("count") << 1
            << QByteArray("Cannot read {root}/data/url-domain-rem.txt: it is a FIFO, not a "
                          "regular file\n");
#endif
#ifdef Q_OS_UNIX
        QTest::newRow("added list unreadable")
            << QStringLiteral("loop:data/url-domain-add.txt") << args("add c.ex") << 1
            << QByteArray("Cannot read {root}/data/url-domain-add.txt: Too many levels of "
                          "symbolic links\n");
#endif
#ifdef Q_OS_UNIX
        QTest::newRow("added list a device")
            << QStringLiteral("device:data/url-domain-add.txt") << args("count") << 1
            << QByteArray("Cannot read {root}/data/url-domain-add.txt: it is a device, not a "
                          "regular file\n");
#endif
#ifdef Q_OS_UNIX
        QTest::newRow("removed list without read permission")
            << QStringLiteral("unreadable:data/url-domain-rem.txt") << args("count") << 1
            << QByteArray("Cannot open {root}/data/url-domain-rem.txt: Permission denied\n");
#endif
#ifdef Q_OS_UNIX
        QTest::newRow("main list a FIFO")
            << QStringLiteral("fifo:imail/url-domain-bl.txt") << args("add c.ex") << 1
            << QByteArray("Cannot read {root}/imail/url-domain-bl.txt: it is a FIFO, not a "
                          "regular file\n");
#endif
        QTest::newRow("main list a folder")
            << QStringLiteral("folder:imail/url-domain-bl.txt") << args("sort main") << 1
            << QByteArray("Cannot read {root}/imail/url-domain-bl.txt: it is a folder, not a "
                          "file\n");
        QTest::newRow("data folder a file")
            << QStringLiteral("file:data") << args("count") << 1
            << QByteArray("Cannot read {root}/data/url-domain-add.txt: {root}/data is a file, "
                          "not a folder\n"
                          "Cannot read {root}/data/url-domain-rem.txt: {root}/data is a file, "
                          "not a folder\n");
        // Files chosen for a merge or an evaluation.
#ifdef Q_OS_UNIX
        QTest::newRow("merge a device") << QString() << args("merge /dev/zero") << 1
                                        << QByteArray("Cannot read /dev/zero: it is a device, "
                                                      "not a regular file\n");
#endif
#ifdef Q_OS_UNIX
        QTest::newRow("merge a FIFO")
            << QStringLiteral("fifo:factory.txt") << args("merge {root}/factory.txt") << 1
            << QByteArray("Cannot read {root}/factory.txt: it is a FIFO, not a regular file\n");
#endif
        QTest::newRow("merge a folder")
            << QString() << args("merge {root}/data") << 1
            << QByteArray("Cannot read {root}/data: it is a folder, not a file\n");
        QTest::newRow("evaluate a folder")
            << QString() << args("evaluate {root}/data --trim") << 1
            << QByteArray("Cannot read {root}/data: it is a folder, not a file\n");
        // Domain arguments that would write an empty line or more than one entry.
        QTest::newRow("add empty")
            << QString() << QStringList{QStringLiteral("add"), QStringLiteral("ok.ex"), QString()}
            << 2
            << QByteArray("\"\" cannot be stored: a domain is never "
                          "empty\n");
        QTest::newRow("add CR LF")
            << QString() << QStringList{QStringLiteral("add"), QStringLiteral("in\r\njected.com")}
            << 2
            << QByteArray("\"in\\r\\njected.com\" cannot be stored: a domain holds no line break "
                          "(CR or LF)\n");
        QTest::newRow("remove LF")
            << QString() << QStringList{QStringLiteral("remove"), QStringLiteral("a.ex\nb.ex")} << 2
            << QByteArray("\"a.ex\\nb.ex\" cannot be stored: a domain holds no line break (CR or "
                          "LF)\n");
        QTest::newRow("unadd CR")
            << QString() << QStringList{QStringLiteral("unadd"), QStringLiteral("n.ex\r")} << 2
            << QByteArray("\"n.ex\\r\" cannot be stored: a domain holds no line break (CR or "
                          "LF)\n");
        QTest::newRow("reactivate empty")
            << QString() << QStringList{QStringLiteral("reactivate"), QString()} << 2
            << QByteArray("\"\" cannot be stored: a domain is never empty\n");
        // A character outside ISO-8859-1, after domains that could be stored; an empty argument
        // anywhere is reported before it.
        QTest::newRow("add, a later domain outside the code page")
            << QString()
            << QStringList{QStringLiteral("add"), QString::fromUtf8("caf\xc3\xa9.ex"),
                           QString::fromUtf8("\xd0\xbf\xd1\x80.ex")}
            << 1
            << quillmere::test::streamed(QString::fromUtf8(
                   "\"\xd0\xbf\xd1\x80.ex\" cannot be stored: the character \xd0\xbf (U+043F) is "
                   "not in the single-byte code page of the list files (ISO-8859-1)\n"));
        QTest::newRow("remove, outside the code page and then empty")
            << QString()
            << QStringList{QStringLiteral("remove"), QString::fromUtf8("\xd0\xbf.ex"), QString()}
            << 2 << QByteArray("\"\" cannot be stored: a domain is never empty\n");
    }
    void refusedInputChangesNothing() {
        QFETCH(QString, plant);
        QFETCH(QStringList, arguments);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, error);
#ifdef Q_OS_UNIX
        if (plant.startsWith(QLatin1String("unreadable:")) && ::geteuid() == 0)
            QSKIP("root reads every file: the symbolic link loop stands in for this case");
#endif
        const Lists lists;
        lists.plant(plant);
        const CliRun run = lists.run(arguments);
        QCOMPARE(run.err, lists.withRoot(error));
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(run.out, QByteArray());
        lists.verifyUnchanged();
    }

#ifdef Q_OS_UNIX
    // Arguments are bytes on Linux, converted from UTF-8 each on its own: a character cut short
    // at the end of one argument is U+FFFD there, never completed by the bytes of the next.
    void aCharacterCutShortStaysInItsArgument() {
        const Lists lists;
        CliConditions bytes;
        bytes.startedBy = {QStringLiteral("sh"), QStringLiteral("-c"),
                           QStringLiteral("exec \"$0\" \"$@\" \"$(printf 'a\\303')\" "
                                          "\"$(printf '\\251b.ex')\"")};
        const CliRun run =
            runCli(listFolders(lists.m_folder) + QStringList{QStringLiteral("add")}, bytes);
        QCOMPARE(run.err,
                 QByteArray("\"a\xef\xbf\xbd\" cannot be stored: the character \xef\xbf\xbd "
                            "(U+FFFD) is not in the single-byte code page of the list "
                            "files (ISO-8859-1)\n"));
        QCOMPARE(run.exitCode, 1);
        lists.verifyUnchanged();
    }
#endif

    void missingDataFolderIsReported_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("out");
        QTest::addColumn<QByteArray>("main");
        QTest::newRow("merge") << QStringList{QStringLiteral("merge"),
                                              QStringLiteral("{root}/factory.txt")}
                               << QByteArray("3 listed\n")
                               << QByteArray("a.ex\r\nb.ex\r\nf.ex\r\n");
        QTest::newRow("rebuild") << QStringList{QStringLiteral("rebuild")}
                                 << QByteArray("2 listed\n") << QByteArray("a.ex\r\nb.ex\r\n");
        QTest::newRow("rebuild --dry-run")
            << QStringList{QStringLiteral("rebuild"), QStringLiteral("--dry-run")}
            << QByteArray("0 gained\n0 lost\n2 listed\n") << kMainBytes;
    }
    void missingDataFolderIsReported() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, out);
        QFETCH(QByteArray, main);
        Lists lists;
        lists.m_folder.write(QStringLiteral("factory.txt"), "f.ex\r\n");
        QVERIFY(QDir(lists.path(QStringLiteral("data"))).removeRecursively());
        arguments.replaceInStrings(QStringLiteral("{root}"), lists.m_folder.path());
        const CliRun run =
            runCli(listFolders(lists.m_folder, QStringLiteral("data/deeper")) + arguments);
        QCOMPARE(run.err, lists.withRoot("{root}/data/deeper does not exist: no hand additions "
                                         "or removals are applied\n"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(run.out, out);
        QCOMPARE(lists.read(kMain), main);
        QVERIFY(!QFileInfo::exists(lists.path(QStringLiteral("data"))));
    }

#ifdef Q_OS_UNIX
    void runningOutOfMemoryChangesNothing_data() {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("error");
        QTest::newRow("loading")
            << QStringLiteral("file:imail/url-domain-bl.txt")
            << QStringList{QStringLiteral("add"), QStringLiteral("c.ex")}
            << QByteArray("Not enough memory to run the command add; nothing was saved.\n");
        QTest::newRow("evaluating")
            << QStringLiteral("file:release.txt")
            << QStringList{QStringLiteral("evaluate"), QStringLiteral("{root}/release.txt"),
                           QStringLiteral("--trim")}
            << QByteArray("Not enough memory to run the command evaluate; nothing was saved.\n");
        QTest::newRow("merging")
            << QStringLiteral("file:factory.txt")
            << QStringList{QStringLiteral("merge"), QStringLiteral("{root}/factory.txt")}
            << QByteArray("Not enough memory to merge the lists; nothing was saved.\n");
    }
    void runningOutOfMemoryChangesNothing() {
        QFETCH(QString, plant);
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, error);
        const Lists lists;
        const QByteArray mainBefore = plant.contains(kMain) ? Lists::largeList() : kMainBytes;
        lists.plant(plant);
        const CliRun run = lists.run(
            arguments, memoryBudget(QStringLiteral("QUILLMERE_TEST_MEMORY_BUDGET"), 2000000));
        QCOMPARE(run.err, error);
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lists.read(kMain), mainBefore);
        QCOMPARE(lists.read(kAdded), kAddedBytes);
        QCOMPARE(lists.read(kRemoved), kRemovedBytes);
    }

    // Each row: what the command works on (see plantLarge), the command, the memory it must do
    // with, far less than the task's size, and what it gives: the exit status and the number of
    // lines printed. Within that memory it does exactly what it does without a limit.
    void aLargeTaskNeedsNoMemoryInProportion_data() {
        QTest::addColumn<QString>("plant");
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<qint64>("budget");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<int>("outLines");
        // Folding a copy of each of its 65,000 parents would take 4 GB.
        QString longDomain;
        for (int label = 0; label < 65000; ++label)
            longDomain += QStringLiteral("a.");
        longDomain += QLatin1Char('a');
        QTest::newRow("query --ignore-case, a domain of 130,001 bytes")
            << QStringLiteral("query")
            << QStringList{QStringLiteral("query"), QStringLiteral("--ignore-case"), longDomain}
            << qint64(40000000) << 1 << 2;
        QTest::newRow("history, a journal of 6 MB")
            << QStringLiteral("journal") << QStringList{QStringLiteral("history")}
            << qint64(2000000) << 0 << 100001;
        QTest::newRow("history DOMAIN, a journal of 6 MB")
            << QStringLiteral("journal")
            << QStringList{QStringLiteral("history"), QStringLiteral("domain-7.example")}
            << qint64(2000000) << 0 << 2;
        // The edits of 200,000 entries take 45 MB, and so would each copy of them or of their
        // journal lines.
        QTest::newRow("clear-added, 200,000 entries")
            << QStringLiteral("added") << QStringList{QStringLiteral("clear-added")}
            << qint64(70000000) << 0 << 0;
    }
    void aLargeTaskNeedsNoMemoryInProportion() {
        QFETCH(QString, plant);
        QFETCH(QStringList, arguments);
        QFETCH(qint64, budget);
        const Lists limited;
        limited.plantLarge(plant);
        const CliRun run = limited.run(
            arguments, memoryBudget(QStringLiteral("QUILLMERE_TEST_MEMORY_BUDGET"), budget));
        QCOMPARE(run.err, QByteArray());
        QTEST(run.exitCode, "exitCode");
        QTEST(static_cast<int>(run.out.count('\n')), "outLines");

        const Lists unlimitedLists;
        unlimitedLists.plantLarge(plant);
        const CliRun unlimited = unlimitedLists.run(arguments);
        QCOMPARE(run.out, unlimited.out);
        QCOMPARE(run.exitCode, unlimited.exitCode);
        for (const QString& list : {kMain, kAdded, kRemoved})
            QCOMPARE(limited.read(list), unlimitedLists.read(list));
        QCOMPARE(limited.journalWithoutTimes(), unlimitedLists.journalWithoutTimes());
        QVERIFY(!QFileInfo::exists(limited.path(QStringLiteral("imail/url-domain-bl.txt.lock"))));
    }

    // Memory runs out once the save has put the Added list in its place: 500 kB are left, less
    // than the journal's lines of 200,000 cleared entries and less than one piece of them, enough
    // for the tool to end. The journal gets no line of this save, the tool says so and gives its
    // lock back, and the list stays saved.
    void memoryRunningOutAfterTheSaveIsReported() {
        const Lists lists;
        lists.plantLarge(QStringLiteral("added"));
        lists.m_folder.write(kJournal, "an earlier line\r\n");
        const CliRun run =
            lists.run({QStringLiteral("clear-added")},
                      memoryBudget(QStringLiteral("QUILLMERE_TEST_MEMORY_AFTER_RENAME"), 500000));
        QCOMPARE(run.err, lists.withRoot("The lists were saved, but the journal of hand edits "
                                         "{root}/data/url-domain-log.txt could not be completed: "
                                         "not enough memory\n"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(lists.read(kAdded), QByteArray());
        QCOMPARE(lists.read(kMain), kMainBytes);
        QCOMPARE(lists.read(kJournal), QByteArray("an earlier line\r\n"));
        QVERIFY(!QFileInfo::exists(lists.path(QStringLiteral("imail/url-domain-bl.txt.lock"))));
    }
#endif
};

QTEST_GUILESS_MAIN(TestCliInput)
#include "tst_CliInput.moc"
