#include "cli/CliRunner.h"
#include "cli/FactoryServer.h"
#include "fakes/PseudoTerminal.h"
#include "fakes/TempFolder.h"

#include <QCryptographicHash>
#include <QDirIterator>
#include <QRegularExpression>
#include <QTest>

using quillmere::test::CliConditions;
using quillmere::test::CliRun;
using quillmere::test::FactoryServer;
using quillmere::test::runCli;
using quillmere::test::ServedAnswer;
using quillmere::test::shown;
using quillmere::test::TempFolder;
using Answers = QList<ServedAnswer>;
using Routes = QList<QPair<QByteArray, Answers>>;
using Files = QMap<QString, QByteArray>;

namespace {

const QByteArray kKey = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere]\n";
const QByteArray kMain = "b.ex\r\nz.ex\r\n";
const QByteArray kAdded = "n.ex\r\nc.ex\r\n";
const QByteArray kRemoved = "z.ex\r\n";
const QByteArray kFactory = "a.ex\r\nc.ex\r\nd.ex\r\n";
const QByteArray kEtag = "\"v1\"";
const QByteArray kLastModified = "Tue, 08 Dec 2026 10:00:00 GMT";

// Waits of milliseconds and seconds instead of the tool's 30 s, 60 s, 2 s and 10 s.
const QString kQuickLimits = QStringLiteral("QUILLMERE_FETCH_LIMITS=3000 1000 50,50 1073741824");

ServedAnswer listAnswer(const QByteArray& body, const QList<QByteArray>& headers = {}) {
    return ServedAnswer::http("200 OK", body, headers);
}

ServedAnswer redirect(const QByteArray& status, const QString& to) {
    return ServedAnswer::http(status, QByteArray(), {"Location: " + to.toLatin1()});
}

// An Imail root with its blacklist, a tracking data folder, a settings file, and quillmere-cli
// run on them with no proxy in the way.
class Machine final {
public:
    explicit Machine(const QByteArray& settings = QByteArray()) {
        m_folder.write(QStringLiteral("imail/url-domain-bl.txt"), kMain);
        m_folder.write(QStringLiteral("data/url-domain-add.txt"), kAdded);
        m_folder.write(QStringLiteral("data/url-domain-rem.txt"), kRemoved);
        store(settings);
    }

    void store(QByteArray settings) const {
        settings.replace('@', QDir::toNativeSeparators(m_folder.path()).toUtf8());
        m_folder.write(QStringLiteral("registry.ini"), kKey + settings);
    }

    CliRun run(const QStringList& arguments, const QString& limits = kQuickLimits) const {
        CliConditions conditions;
        conditions.environment = {limits,
                                  QStringLiteral("http_proxy="),
                                  QStringLiteral("https_proxy="),
                                  QStringLiteral("HTTP_PROXY="),
                                  QStringLiteral("HTTPS_PROXY="),
                                  QStringLiteral("no_proxy=*")};
        return runCli(
            QStringList{QStringLiteral("--registry"), path(QStringLiteral("registry.ini"))} +
                quillmere::test::listFolders(m_folder) + arguments,
            conditions);
    }

    QString path(const QString& name) const { return m_folder.filePath(name); }
    QByteArray read(const QString& name) const { return m_folder.read(name); }
    TempFolder& folder() { return m_folder; }

    // Every file below the folder, by its path from there, with its bytes.
    Files files() const {
        Files files;
        QDirIterator it(m_folder.path(), QDir::Files | QDir::Hidden, QDirIterator::Subdirectories);
        while (it.hasNext()) {
            const QString file = it.next();
            files.insert(QDir(m_folder.path()).relativeFilePath(file),
                         m_folder.read(QDir(m_folder.path()).relativeFilePath(file)));
        }
        return files;
    }

private:
    TempFolder m_folder;
};

QByteArray journalOf(const Machine& machine) {
    return machine.read(QStringLiteral("data/url-domain-log.txt"));
}

} // namespace

class TestCliUpdate : public QObject {
    Q_OBJECT
private Q_SLOTS:
    // Whatever goes wrong, no list, backup, journal, kept copy or state changes; a body that
    // arrived but is no list is kept as url-domain-bl.txt.refused for the administrator to see.
    void refusalsChangeNothing_data() {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QString>("limits");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<QByteArray>("refused"); // null: nothing kept

        const auto refusedRow = [](const char* name, const ServedAnswer& answer,
                                   const QByteArray& body, const QByteArray& reason) {
            QTest::newRow(name) << Answers{answer} << kQuickLimits
                                << QByteArray("The factory list from %URL% is refused: " + reason +
                                              ".\nIt is kept as %REFUSED%; nothing else was "
                                              "changed.\n")
                                << body;
        };
        refusedRow("empty body", listAnswer(QByteArray()), QByteArray(""), "it is empty");
        refusedRow("HTML by its Content-Type",
                   listAnswer("a.ex\r\n", {"Content-Type: text/html; charset=utf-8"}), "a.ex\r\n",
                   "it is an HTML page (Content-Type text/html), not a list");
        refusedRow(
            "sign-in page", listAnswer("\r\n  <!DOCTYPE html>\r\n<title>Sign in</title>\r\n"),
            "\r\n  <!DOCTYPE html>\r\n<title>Sign in</title>\r\n",
            "it is an HTML, XML or JSON document (its first character is \"<\"), not a list");
        refusedRow(
            "JSON error", listAnswer("{\"error\": \"quota\"}"), "{\"error\": \"quota\"}",
            "it is an HTML, XML or JSON document (its first character is \"{\"), not a list");
        refusedRow("NUL byte", listAnswer(QByteArray("a.ex\r\nb\0.ex\r\n", 13)),
                   QByteArray("a.ex\r\nb\0.ex\r\n", 13),
                   "it holds a NUL byte (at byte 8), so it is no text list");
        refusedRow("LF line ends", listAnswer("a.ex\nb.ex\n"), "a.ex\nb.ex\n",
                   "its lines end in LF alone, not CR LF: the merge cuts at CR LF only, so the "
                   "whole file would become one entry");
        refusedRow("URLs, not domains", listAnswer("a.ex\r\nhttp://b.ex/\r\nc.ex\r\nd .ex\r\n"),
                   "a.ex\r\nhttp://b.ex/\r\nc.ex\r\nd .ex\r\n",
                   "2 of its 4 entries (more than 1%) are no host names; the first of them:\n"
                   "  line 2: http://b.ex/: URL scheme\n"
                   "  line 4: d .ex: blank inside");

        const auto failedRow = [](const char* name, const Answers& answers, const QString& limits,
                                  const QByteArray& err) {
            QTest::newRow(name) << answers << limits << err << QByteArray();
        };
        failedRow("404", {ServedAnswer::http("404 Not Found", "gone\n")}, kQuickLimits,
                  "The factory list could not be fetched from %URL%: HTTP status 404 Not Found.\n");
        failedRow("503 three times", {ServedAnswer::http("503 Service Unavailable", "busy\n")},
                  kQuickLimits,
                  "%URL%: HTTP status 503 Service Unavailable; trying again in 50 ms\n"
                  "%URL%: HTTP status 503 Service Unavailable; trying again in 50 ms\n"
                  "The factory list could not be fetched from %URL%: HTTP status 503 Service "
                  "Unavailable (3 tries).\n");
        const ServedAnswer cutShort =
            ServedAnswer::http("200 OK", "a.ex\r\nb.e", {"Content-Length: 100"});
        failedRow("body cut short", {cutShort}, kQuickLimits,
                  "%URL%: the answer ended after 9 of its 100 bytes; trying again in 50 ms\n"
                  "%URL%: the answer ended after 9 of its 100 bytes; trying again in 50 ms\n"
                  "The factory list could not be fetched from %URL%: the answer ended after 9 of "
                  "its 100 bytes (3 tries).\n");
        ServedAnswer stalled = ServedAnswer::http("200 OK", "a.ex\r\n", {"Content-Length: 100"});
        stalled.stall = true;
        failedRow("server stops sending", {stalled}, kQuickLimits,
                  "%URL%: no data for 1 s; trying again in 50 ms\n"
                  "%URL%: no data for 1 s; trying again in 50 ms\n"
                  "The factory list could not be fetched from %URL%: no data for 1 s (3 tries).\n");
        failedRow("larger than the limit", {listAnswer(kFactory)},
                  QStringLiteral("QUILLMERE_FETCH_LIMITS=3000 1000 50,50 10"),
                  "The factory list could not be fetched from %URL%: the answer is larger than 10 "
                  "bytes.\n");
        // Without a Content-Length the body is counted as it arrives.
        failedRow("larger than the limit, no length given",
                  {ServedAnswer{"HTTP/1.1 200 OK\r\nConnection: close\r\n\r\n" + kFactory, false}},
                  QStringLiteral("QUILLMERE_FETCH_LIMITS=3000 1000 50,50 10"),
                  "The factory list could not be fetched from %URL%: the answer is larger than "
                  "10 bytes.\n");
        failedRow("redirect to itself", {redirect("302 Found", QStringLiteral("/list.txt"))},
                  kQuickLimits,
                  "The factory list could not be fetched from %URL%: more than 5 redirects.\n");
    }
    void refusalsChangeNothing() {
        QFETCH(Answers, answers);
        QFETCH(QString, limits);
        QFETCH(QByteArray, err);
        QFETCH(QByteArray, refused);
        Machine machine;
        FactoryServer server;
        server.serve("/list.txt", answers);
        const Files before = machine.files();
        const CliRun run = machine.run({QStringLiteral("update"), server.url("/list.txt")}, limits);
        err.replace("%URL%", server.url("/list.txt").toLatin1());
        err.replace("%REFUSED%",
                    shown(machine.path(QStringLiteral("data/url-domain-bl.txt.refused"))).toUtf8());
        QCOMPARE(run.err, err);
        QCOMPARE(run.out, QByteArray());
        QCOMPARE(run.exitCode, 1);
        Files after = machine.files();
        if (!refused.isNull())
            QCOMPARE(after.take(QStringLiteral("data/url-domain-bl.txt.refused")), refused);
        QCOMPARE(after, before);
    }

    // An accepted list is merged and saved as merge FILE saves, kept, and remembered; the next
    // update asks with its ETag and Last-Modified, and a 304 changes nothing.
    void acceptsThenAsksWhetherChanged() {
        Machine machine;
        FactoryServer server;
        const QList<QByteArray> headers{"ETag: " + kEtag, "Last-Modified: " + kLastModified};
        server.serve("/list.txt",
                     {listAnswer(kFactory, headers), ServedAnswer::http("304 Not Modified", {})});
        const CliRun first = machine.run({QStringLiteral("update"), server.url("/list.txt")});
        QCOMPARE(first.err, QByteArray());
        QCOMPARE(first.out, QByteArray("1 hand additions are now in the factory list\n"
                                       "4 gained\n1 lost\n5 listed\n"));
        QCOMPARE(first.exitCode, 0);
        QCOMPARE(machine.read(QStringLiteral("imail/url-domain-bl.txt")),
                 QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nd.ex\r\nn.ex\r\n"));
        QCOMPARE(machine.read(QStringLiteral("data/url-domain-bl.txt")), kFactory);
        const QByteArray journal = journalOf(machine);
        QVERIFY2(journal.endsWith("\tmerge\t4\t1\t" + server.url("/list.txt").toLatin1() + "\r\n"),
                 journal.constData());
        const QByteArray state = machine.read(QStringLiteral("data/url-domain-bl.update"));
        const QByteArray expectedState =
            "url=" + server.url("/list.txt").toLatin1() + "\netag=" + kEtag +
            "\nlastModified=" + kLastModified + "\nbytes=18\nentries=3\nsha256=" +
            QCryptographicHash::hash(kFactory, QCryptographicHash::Sha256).toHex() + "\ntime=";
        QVERIFY2(state.startsWith(expectedState), state.constData());
        QCOMPARE(server.requests().size(), 1);
        QVERIFY(!server.requests().at(0).headers.contains("if-none-match"));

        const Files before = machine.files();
        const CliRun second = machine.run(
            {QStringLiteral("update"), server.url("/list.txt"), QStringLiteral("--restart")});
        QCOMPARE(second.err, QByteArray());
        QCOMPARE(second.out,
                 QByteArray("The factory list has not changed since " + kLastModified + ".\n"));
        QCOMPARE(second.exitCode, 0);
        QCOMPARE(machine.files(), before);
        QCOMPARE(server.requests().size(), 2);
        QCOMPARE(server.requests().at(1).headers.value("if-none-match"), kEtag);
        QCOMPARE(server.requests().at(1).headers.value("if-modified-since"), kLastModified);
    }

    void dryRunSavesNothing() {
        Machine machine;
        FactoryServer server;
        server.serve("/list.txt", {listAnswer(kFactory, {"ETag: " + kEtag})});
        const Files before = machine.files();
        const CliRun run = machine.run(
            {QStringLiteral("update"), server.url("/list.txt"), QStringLiteral("--dry-run")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, QByteArray("1 hand additions are now in the factory list\n"
                                     "4 gained\n1 lost\n5 listed\n"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(machine.files(), before);
    }

    // A 503 passes, redirects are followed, and the password of the URL goes to its own host as
    // Basic authentication but never into a message, the journal or the state.
    void reachesTheList_data() {
        QTest::addColumn<Routes>("routes");
        QTest::addColumn<QString>("userInfo");
        QTest::addColumn<QByteArray>("err");
        QTest::addColumn<int>("requests");
        QTest::newRow("503 before 200")
            << Routes{{"/list.txt",
                       {ServedAnswer::http("503 Service Unavailable", "busy\n"),
                        listAnswer(kFactory)}}}
            << QString()
            << QByteArray("%URL%: HTTP status 503 Service Unavailable; trying again in 50 ms\n")
            << 2;
        // The bytes of the try cut short are in no kept copy.
        QTest::newRow("cut short, then whole")
            << Routes{{"/list.txt",
                       {ServedAnswer::http("200 OK", "x.ex\r\nc.e", {"Content-Length: 100"}),
                        listAnswer(kFactory)}}}
            << QString()
            << QByteArray("%URL%: the answer ended after 9 of its 100 bytes; trying again in 50 "
                          "ms\n")
            << 2;
        // Five redirects, the most that is followed.
        QTest::newRow("redirect chain")
            << Routes{{"/list.txt", {redirect("301 Moved Permanently", QStringLiteral("/2"))}},
                      {"/2", {redirect("302 Found", QStringLiteral("/3"))}},
                      {"/3", {redirect("307 Temporary Redirect", QStringLiteral("/4"))}},
                      {"/4", {redirect("308 Permanent Redirect", QStringLiteral("/5"))}},
                      {"/5", {redirect("303 See Other", QStringLiteral("/6"))}},
                      {"/6", {listAnswer(kFactory)}}}
            << QString() << QByteArray() << 6;
        QTest::newRow("Basic authentication")
            << Routes{{"/list.txt", {listAnswer(kFactory)}}} << QStringLiteral("quill:s3cret")
            << QByteArray() << 1;
    }
    void reachesTheList() {
        QFETCH(Routes, routes);
        QFETCH(QString, userInfo);
        QFETCH(QByteArray, err);
        QFETCH(int, requests);
        Machine machine;
        FactoryServer server;
        for (const auto& [path, answers] : routes)
            server.serve(path, answers);
        QString url = server.url("/list.txt");
        if (!userInfo.isEmpty())
            url.replace(QStringLiteral("://"), QStringLiteral("://") + userInfo + QLatin1Char('@'));
        const CliRun run = machine.run({QStringLiteral("update"), url});
        err.replace("%URL%", server.url("/list.txt").toLatin1());
        QCOMPARE(run.err, err);
        QCOMPARE(run.out, QByteArray("1 hand additions are now in the factory list\n"
                                     "4 gained\n1 lost\n5 listed\n"));
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(server.requests().size(), requests);
        for (const auto& request : server.requests())
            QCOMPARE(request.headers.value("authorization"),
                     userInfo.isEmpty() ? QByteArray() : "Basic " + userInfo.toUtf8().toBase64());
        const QString shownUrl =
            userInfo.isEmpty() ? server.url("/list.txt")
                               : QString(server.url("/list.txt"))
                                     .replace(QStringLiteral("://"), QStringLiteral("://***@"));
        QVERIFY(journalOf(machine).endsWith(shownUrl.toLatin1() + "\r\n"));
        QCOMPARE(machine.read(QStringLiteral("data/url-domain-bl.txt")), kFactory);
        QVERIFY(machine.read(QStringLiteral("data/url-domain-bl.update"))
                    .startsWith("url=" + shownUrl.toLatin1() + "\n"));
        QVERIFY(!run.err.contains("s3cret") && !run.out.contains("s3cret"));
        for (const QByteArray& file : machine.files())
            QVERIFY(!file.contains("s3cret"));
    }

    // While a body arrives, a terminal on standard error shows "N of M bytes, X MB/s", rewritten
    // in place at least every quarter second, each line as wide as the widest before it, and
    // cleared at the end; standard error that is no terminal (a scheduled task's log) gets none
    // of it.
    void progressLineOnATerminalOnly_data() {
        QTest::addColumn<bool>("terminal");
        QTest::newRow("terminal") << true;
        QTest::newRow("pipe") << false;
    }
    void progressLineOnATerminalOnly() {
        QFETCH(bool, terminal);
        quillmere::test::PseudoTerminal pty;
        if (terminal && !pty.unavailable().isEmpty())
            QSKIP(qPrintable(pty.unavailable()));
        QByteArray body = "a.ex\r\n";
        ServedAnswer slow = ServedAnswer::http(
            "200 OK", QByteArray(),
            {"Content-Length: " + QByteArray::number(body.size() + 4 * 1000 * 9)});
        slow.bytes += body;
        for (int piece = 0; piece < 4; ++piece) {
            QByteArray lines;
            for (int line = 0; line < 1000; ++line)
                lines += QByteArray::number(piece * 1000 + line).rightJustified(4, '0') + ".ex\r\n";
            slow.slowPieces << lines;
            body += lines;
        }
        slow.pieceWait = 400;
        Machine machine;
        FactoryServer server;
        server.serve("/list.txt", {slow});
        CliConditions conditions;
        conditions.environment = {kQuickLimits, QStringLiteral("no_proxy=*")};
        if (terminal)
            conditions.standardErrorFile = pty.path();
        const CliRun run =
            runCli(QStringList{QStringLiteral("--registry"),
                               machine.path(QStringLiteral("registry.ini"))} +
                       quillmere::test::listFolders(machine.folder()) +
                       QStringList{QStringLiteral("update"), server.url("/list.txt")},
                   conditions);
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(machine.read(QStringLiteral("data/url-domain-bl.txt")), body);
        if (!terminal) {
            QCOMPARE(run.err, QByteArray());
            return;
        }
        const QByteArray shownLines = pty.takeWritten();
        const QList<QByteArray> parts = shownLines.split('\r');
        // "", the lines, the blanks that clear them, "".
        QVERIFY2(parts.size() >= 5 && parts.first().isEmpty() && parts.last().isEmpty(),
                 shownLines.constData());
        const QRegularExpression shape(
            QStringLiteral("^(\\d+) of %1 bytes, \\d+\\.\\d MB/s( *)$").arg(body.size()));
        qsizetype widest = 0;
        qint64 received = 0;
        for (qsizetype i = 1; i + 2 < parts.size(); ++i) {
            const QString line = QString::fromLatin1(parts.at(i));
            const QRegularExpressionMatch match = shape.match(line);
            QVERIFY2(match.hasMatch(), parts.at(i).constData());
            QVERIFY(match.captured(1).toLongLong() >= received);
            received = match.captured(1).toLongLong();
            QVERIFY(received <= body.size());
            const qsizetype width = line.size() - match.capturedLength(2);
            QCOMPARE(line.size(), std::max(width, widest));
            widest = std::max(width, widest);
        }
        QCOMPARE(parts.at(parts.size() - 2), QByteArray(widest, ' '));
    }

    void passwordNeverPrinted() {
        Machine machine;
        FactoryServer server;
        QString url = server.url("/missing.txt");
        url.replace(QStringLiteral("://"), QStringLiteral("://quill:s3cret@"));
        const CliRun run = machine.run({QStringLiteral("update"), url});
        QCOMPARE(run.err, "The factory list could not be fetched from " +
                              server.url("/missing.txt")
                                  .replace(QStringLiteral("://"), QStringLiteral("://***@"))
                                  .toLatin1() +
                              ": HTTP status 404 Not Found.\n");
        QCOMPARE(run.exitCode, 1);
    }

    // A list of fewer than half the entries of the last is most likely cut off.
    void shrinkingList() {
        Machine machine;
        FactoryServer server;
        const QByteArray small = "a.ex\r\n";
        server.serve("/list.txt", {listAnswer(kFactory), listAnswer(small)});
        QCOMPARE(machine.run({QStringLiteral("update"), server.url("/list.txt")}).exitCode, 0);
        const Files before = machine.files();
        const CliRun refused = machine.run({QStringLiteral("update"), server.url("/list.txt")});
        QCOMPARE(
            refused.err,
            "The factory list from " + server.url("/list.txt").toLatin1() +
                " is refused: it holds 1 entries, fewer than half of the 3 of the last "
                "factory list taken, so it is most likely cut off or the wrong file "
                "(--allow-shrink takes it).\nIt is kept as " +
                shown(machine.path(QStringLiteral("data/url-domain-bl.txt.refused"))).toUtf8() +
                "; nothing else was changed.\n");
        QCOMPARE(refused.exitCode, 1);
        Files after = machine.files();
        QCOMPARE(after.take(QStringLiteral("data/url-domain-bl.txt.refused")), small);
        QCOMPARE(after, before);

        const CliRun allowed = machine.run(
            {QStringLiteral("update"), server.url("/list.txt"), QStringLiteral("--allow-shrink")});
        QCOMPARE(allowed.err, QByteArray());
        QCOMPARE(allowed.out, QByteArray("0 gained\n0 lost\n5 listed\n"));
        QCOMPARE(allowed.exitCode, 0);
        QCOMPARE(machine.read(QStringLiteral("data/url-domain-bl.txt")), small);
    }

    // The stored factoryUrl when none is given; the kept copy in the stored import folder.
    void storedSettings() {
        Machine machine;
        FactoryServer server;
        server.serve("/list.txt", {listAnswer(kFactory)});
        machine.folder().subfolder(QStringLiteral("import"));
        machine.store("factoryUrl=" + server.url("/list.txt").toLatin1() +
                      "\nimportPath=@/import\n");
        const CliRun run = machine.run({QStringLiteral("update")});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(machine.read(QStringLiteral("import/url-domain-bl.txt")), kFactory);
        QVERIFY(!machine.files().contains(QStringLiteral("data/url-domain-bl.txt")));
    }

    // An import folder that is the Imail root must not have the blacklist replaced by the
    // factory list.
    void keptCopyNeverReplacesTheBlacklist() {
        Machine machine;
        FactoryServer server;
        server.serve("/list.txt", {listAnswer(kFactory)});
        machine.store("importPath=@/imail\n");
        const CliRun run = machine.run({QStringLiteral("update"), server.url("/list.txt")});
        QCOMPARE(run.exitCode, 0);
        QCOMPARE(machine.read(QStringLiteral("imail/url-domain-bl.txt")),
                 QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nd.ex\r\nn.ex\r\n"));
        QCOMPARE(machine.read(QStringLiteral("data/url-domain-bl.txt")), kFactory);
    }

    void fileUrl() {
        Machine machine;
        machine.folder().write(QStringLiteral("factory.txt"), kFactory);
        const CliRun run = machine.run(
            {QStringLiteral("update"),
             QUrl::fromLocalFile(machine.path(QStringLiteral("factory.txt"))).toString()});
        QCOMPARE(run.err, QByteArray());
        QCOMPARE(run.out, QByteArray("1 hand additions are now in the factory list\n"
                                     "4 gained\n1 lost\n5 listed\n"));
        QCOMPARE(run.exitCode, 0);
    }

    void wrongUsage_data() {
        QTest::addColumn<QStringList>("arguments");
        QTest::addColumn<QByteArray>("settings");
        QTest::addColumn<int>("exitCode");
        QTest::addColumn<QByteArray>("err");
        QTest::newRow("ftp") << QStringList{QStringLiteral("update"),
                                            QStringLiteral("ftp://a.ex/l")}
                             << QByteArray() << 2
                             << QByteArray(
                                    "\"ftp://a.ex/l\" is not an absolute https, http or file "
                                    "URL\n");
        QTest::newRow("relative") << QStringList{QStringLiteral("update"),
                                                 QStringLiteral("list.txt")}
                                  << QByteArray() << 2
                                  << QByteArray("\"list.txt\" is not an absolute https, http or "
                                                "file URL\n");
        QTest::newRow("empty, a password hidden")
            << QStringList{QStringLiteral("update"), QStringLiteral("http://u:pw@")} << QByteArray()
            << 2 << QByteArray("\"http://***@\" is not an absolute https, http or file URL\n");
        QTest::newRow("none stored")
            << QStringList{QStringLiteral("update")} << QByteArray() << 1
            << QByteArray(
                   "No factory list URL is given or stored "
                   "(HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\factoryUrl): give "
                   "one, or store it with: quillmere-cli settings set factoryUrl URL\n");
        QTest::newRow("--restart on merge")
            << QStringList{QStringLiteral("merge"), QStringLiteral("f.txt"),
                           QStringLiteral("--restart")}
            << QByteArray() << 2 << QByteArray("The command merge takes no --restart option.\n");
        QTest::newRow("--allow-shrink on count")
            << QStringList{QStringLiteral("count"), QStringLiteral("--allow-shrink")}
            << QByteArray() << 2
            << QByteArray("The command count takes no --allow-shrink option.\n");
    }
    void wrongUsage() {
        QFETCH(QStringList, arguments);
        QFETCH(QByteArray, settings);
        QFETCH(int, exitCode);
        QFETCH(QByteArray, err);
        Machine machine(settings);
        const Files before = machine.files();
        const CliRun run = machine.run(arguments);
        QCOMPARE(run.err, err);
        QCOMPARE(run.exitCode, exitCode);
        QCOMPARE(machine.files(), before);
    }

    // There is no switch to skip the check of a certificate.
    void selfSignedHttpsRefused() {
        quillmere::test::SelfSigned certificate;
        if (!quillmere::test::loadSelfSigned(certificate))
            QSKIP("the build had no openssl to make a certificate");
        Machine machine;
        FactoryServer server(certificate.certificate, certificate.key);
        server.serve("/list.txt", {listAnswer(kFactory)});
        const Files before = machine.files();
        const CliRun run = machine.run({QStringLiteral("update"), server.url("/list.txt")});
        QCOMPARE(run.err, "The factory list could not be fetched from " +
                              server.url("/list.txt").toLatin1() + ": " +
                              quillmere::test::selfSignedRefusal().toLatin1() + ".\n");
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(machine.files(), before);
        QVERIFY(server.requests().isEmpty());
    }

    // --restart restarts the queue manager only when the list changed; a restart that cannot
    // start is a failure, with the list saved.
    void restart() {
        Machine machine;
        FactoryServer server;
        server.serve("/list.txt", {listAnswer(kFactory)});
        const CliRun run = machine.run(
            {QStringLiteral("update"), server.url("/list.txt"), QStringLiteral("--restart")});
        QCOMPARE(run.err,
                 QByteArray("No install folder is stored "
                            "(HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\installPath), "
                            "so rQueue.bat cannot be found: please reinstall\n"
                            "The blacklist is saved, but the queue manager was not restarted.\n"));
        QCOMPARE(run.exitCode, 1);
        QCOMPARE(machine.read(QStringLiteral("imail/url-domain-bl.txt")),
                 QByteArray("a.ex\r\nb.ex\r\nc.ex\r\nd.ex\r\nn.ex\r\n"));
    }
};

QTEST_GUILESS_MAIN(TestCliUpdate)
#include "tst_CliUpdate.moc"
