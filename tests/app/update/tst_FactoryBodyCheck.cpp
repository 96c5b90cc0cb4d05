#include "app/update/FactoryBodyCheck.h"
#include "app/update/FactoryUrl.h"
#include "app/update/UpdateState.h"
#include "core/audit/ListCheck.h"
#include "fakes/TempFolder.h"

#include <QTest>
#include <optional>

using quillmere::FactoryBodyFacts;
using quillmere::FactoryBodyVerdict;

namespace {

std::optional<std::size_t> none() {
    return std::nullopt;
}

// The update's verdict: the glance at the whole body, then the check of its entries.
FactoryBodyVerdict checkFactoryBody(const FactoryBodyFacts& facts) {
    FactoryBodyVerdict verdict;
    if (std::optional<QString> fault = quillmere::wholeBodyFault(facts)) {
        verdict.reason = *fault;
        return verdict;
    }
    return quillmere::checkFactoryEntries(facts);
}

// Entries "d0.ex" to "dN.ex" with CR LF, the given lines put in front.
QByteArray domains(int count, const QByteArray& front = {}) {
    QByteArray bytes = front;
    for (int i = 0; i < count; ++i)
        bytes += "d" + QByteArray::number(i) + ".ex\r\n";
    return bytes;
}

} // namespace

class TestFactoryBodyCheck : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void verdicts_data() {
        QTest::addColumn<QByteArray>("body");
        QTest::addColumn<QString>("contentType");
        QTest::addColumn<int>("lastEntries"); // -1: none accepted yet
        QTest::addColumn<bool>("allowShrink");
        QTest::addColumn<QString>("reason"); // empty: accepted
        QTest::addColumn<int>("entries");

        QTest::newRow("a list") << QByteArray("a.ex\r\n\r\nb.ex") << QString() << -1 << false
                                << QString() << 2;
        QTest::newRow("one entry, no line end")
            << QByteArray("a.ex") << QStringLiteral("text/plain") << -1 << false << QString() << 1;
        QTest::newRow("empty") << QByteArray() << QString() << -1 << false
                               << QStringLiteral("it is empty") << 0;
        QTest::newRow("only line ends") << QByteArray("\r\n\r\n") << QString() << -1 << false
                                        << QStringLiteral("it holds no entry, only line ends") << 0;
        QTest::newRow("text/html")
            << QByteArray("a.ex\r\n") << QStringLiteral("Text/HTML; charset=utf-8") << -1 << false
            << QStringLiteral("it is an HTML page (Content-Type text/html), not a list") << 0;
        QTest::newRow("XML after a byte order mark and blanks")
            << QByteArray("\xEF\xBB\xBF \t\r\n<?xml version=\"1.0\"?>") << QString() << -1 << false
            << QStringLiteral("it is an HTML, XML or JSON document (its first character is "
                              "\"<\"), not a list")
            << 0;
        QTest::newRow("JSON") << QByteArray("{}") << QStringLiteral("application/json") << -1
                              << false
                              << QStringLiteral("it is an HTML, XML or JSON document (its first "
                                                "character is \"{\"), not a list")
                              << 0;
        QTest::newRow("NUL") << QByteArray("a.ex\r\n\0", 7) << QString() << -1 << false
                             << QStringLiteral("it holds a NUL byte (at byte 7), so it is no text "
                                               "list")
                             << 0;
        QTest::newRow("LF alone")
            << QByteArray("a.ex\nb.ex") << QString() << -1 << false
            << QStringLiteral("its lines end in LF alone, not CR LF: the merge cuts at CR LF "
                              "only, so the whole file would become one entry")
            << 0;
        // 1 in 100 is allowed, 2 in 101 is not; a capital letter or a port is no such fault.
        QTest::newRow("1% faulty")
            << domains(99, "a_b.ex\r\n") << QString() << -1 << false << QString() << 100;
        QTest::newRow("faults other than these") << domains(10, "A.ex\r\nb.ex:80\r\n.c.ex\r\n")
                                                 << QString() << -1 << false << QString() << 13;
        QTest::newRow("over 1% faulty, the first five listed")
            << domains(93,
                       "a_b.ex\r\nhttps://c.ex\r\nd.ex/x\r\n e f\r\ng\xE9.ex\r\nh!.ex\r\ni j\r\n")
            << QString() << -1 << false
            << QStringLiteral("7 of its 100 entries (more than 1%) are no host names; the first "
                              "of them:\n"
                              "  line 1: a_b.ex: character a host name cannot hold (0x5F)\n"
                              "  line 2: https://c.ex: URL scheme\n"
                              "  line 3: d.ex/x: path\n"
                              "  line 4:  e f: blank inside\n"
                              "  line 5: g\u00E9.ex: character a host name cannot hold (0xE9)")
            << 100;
        QTest::newRow("half of the last")
            << domains(5) << QString() << 10 << false << QString() << 5;
        QTest::newRow("fewer than half of the last")
            << domains(4) << QString() << 9 << false
            << QStringLiteral("it holds 4 entries, fewer than half of the 9 of the last factory "
                              "list taken, so it is most likely cut off or the wrong file "
                              "(--allow-shrink takes it)")
            << 4;
        QTest::newRow("fewer, allowed") << domains(4) << QString() << 9 << true << QString() << 4;
    }
    void verdicts() {
        QFETCH(QByteArray, body);
        QFETCH(QString, contentType);
        QFETCH(int, lastEntries);
        QFETCH(bool, allowShrink);
        QFETCH(QString, reason);
        QFETCH(int, entries);
        const FactoryBodyVerdict verdict = checkFactoryBody(
            {std::string_view(body.constData(), static_cast<std::size_t>(body.size())), contentType,
             lastEntries < 0 ? none() : std::optional<std::size_t>(lastEntries), allowShrink});
        QCOMPARE(verdict.reason, reason);
        QCOMPARE(verdict.accepted, reason.isEmpty());
        if (verdict.accepted || reason.startsWith(QLatin1String("it holds 4")) ||
            reason.contains(QLatin1String("more than 1%")))
            QCOMPARE(verdict.entries, static_cast<std::size_t>(entries));
    }

    // The check looks at most entries eight bytes at a time; every byte, at the start, across
    // and at the end of those words, must be judged as the full check of the entry judges it.
    void everyByteIsJudgedAsTheEntryCheckJudgesIt() {
        using quillmere::CheckReason;
        for (const std::string_view around : {"abcdefghijklmnopq", "ab.cd"}) {
            for (std::size_t at : {std::size_t{0}, std::size_t{3}, std::size_t{8}, around.size()}) {
                if (at > around.size())
                    continue;
                for (int byte = 0; byte < 256; ++byte) {
                    std::string entry(around);
                    entry.insert(at, 1, static_cast<char>(byte));
                    bool fault = false;
                    for (const auto& [reason, detail] : quillmere::entryReasons(entry))
                        fault = fault || reason == CheckReason::HostCharacter ||
                                reason == CheckReason::Scheme || reason == CheckReason::Path ||
                                reason == CheckReason::InnerBlank;
                    const FactoryBodyVerdict verdict =
                        quillmere::checkFactoryEntries({entry, QString(), none(), false});
                    QVERIFY2(verdict.accepted != fault,
                             qPrintable(QStringLiteral("byte %1 at %2 of %3")
                                            .arg(byte)
                                            .arg(at)
                                            .arg(QString::fromLatin1(around.data()))));
                }
            }
        }
    }

    void urls_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<QString>("shown"); // empty: refused
        QTest::newRow("https") << QStringLiteral("https://lists.example/bl.txt")
                               << QStringLiteral("https://lists.example/bl.txt");
        QTest::newRow("password") << QStringLiteral("http://me:pw@lists.example:8080/bl.txt")
                                  << QStringLiteral("http://***@lists.example:8080/bl.txt");
        QTest::newRow("user alone") << QStringLiteral("http://me@lists.example/")
                                    << QStringLiteral("http://***@lists.example/");
        QTest::newRow("file") << QStringLiteral("file:///srv/bl.txt")
                              << QStringLiteral("file:///srv/bl.txt");
        QTest::newRow("ftp") << QStringLiteral("ftp://lists.example/bl.txt") << QString();
        QTest::newRow("no host") << QStringLiteral("https:///bl.txt") << QString();
        QTest::newRow("relative") << QStringLiteral("bl.txt") << QString();
        QTest::newRow("empty") << QString() << QString();
    }
    void urls() {
        QFETCH(QString, text);
        QFETCH(QString, shown);
        QString problem;
        const std::optional<QUrl> url = quillmere::factoryUrl(text, problem);
        QCOMPARE(url.has_value(), !shown.isEmpty());
        if (url)
            QCOMPARE(quillmere::shownUrl(*url), shown);
        else
            QCOMPARE(problem,
                     QStringLiteral("\"%1\" is not an absolute https, http or file URL").arg(text));
    }

    void stateFileRoundTrip() {
        quillmere::test::TempFolder folder;
        const QString path = quillmere::updateStatePath(folder.filePath(QStringLiteral("data")));
        QVERIFY(!quillmere::readUpdateState(path).state);
        quillmere::UpdateState state;
        state.url = QStringLiteral("https://***@lists.example/bl.txt");
        state.etag = "\"abc\"";
        state.lastModified = "Tue, 08 Dec 2026 10:00:00 GMT";
        state.bytes = 123;
        state.entries = 7;
        state.sha256 = "00ff";
        state.time = QDateTime(QDate(2026, 12, 9), QTime(3, 4, 5), Qt::UTC);
        QCOMPARE(quillmere::writeUpdateState(path, state), QString());
        QCOMPARE(folder.read(QStringLiteral("data/url-domain-bl.update")),
                 QByteArray("url=https://***@lists.example/bl.txt\netag=\"abc\"\n"
                            "lastModified=Tue, 08 Dec 2026 10:00:00 GMT\nbytes=123\nentries=7\n"
                            "sha256=00ff\ntime=2026-12-09T03:04:05Z\n"));
        const quillmere::UpdateStateRead read = quillmere::readUpdateState(path);
        QCOMPARE(read.error, QString());
        QVERIFY(read.state);
        QCOMPARE(*read.state, state);

        folder.write(QStringLiteral("data/url-domain-bl.update"), "url=x\nentries=many\n");
        const quillmere::UpdateStateRead broken = quillmere::readUpdateState(path);
        QVERIFY(!broken.state);
        QCOMPARE(broken.error, QStringLiteral("Cannot read %1: line 2 is not a name=value line it "
                                              "writes")
                                   .arg(QDir::toNativeSeparators(path)));
    }
};

QTEST_GUILESS_MAIN(TestFactoryBodyCheck)
#include "tst_FactoryBodyCheck.moc"
