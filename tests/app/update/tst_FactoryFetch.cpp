#include "app/update/FactoryFetch.h"
#include "cli/FactoryServer.h"

#include <QFile>
#include <QSslConfiguration>
#include <QSslSocket>
#include <QTemporaryDir>
#include <QTest>

using quillmere::FactoryFetcher;
using quillmere::FetchLimits;
using quillmere::FetchResult;
using quillmere::test::FactoryServer;
using quillmere::test::ServedAnswer;
using Answers = QList<ServedAnswer>;

namespace {

FetchLimits quickLimits() {
    return FetchLimits::fromText(QStringLiteral("3000 1000 50,50 1073741824"));
}

// What a fetch gives as it arrives, written down: "|" for each beginning again, then the bytes.
class ArrivingRecord final : public quillmere::ArrivingBytes {
public:
    void beginAgain() override { record += '|'; }
    void take(const QByteArray& piece) override { record += piece; }
    QByteArray record;
};

} // namespace

// https in the process itself, where the test can trust its own certificate.
class TestFactoryFetch : public QObject {
    Q_OBJECT
private Q_SLOTS:
    void initTestCase() {
        m_haveCertificate =
            QSslSocket::supportsSsl() && quillmere::test::loadSelfSigned(m_certificate);
    }

    // A certificate the system does not trust is refused with Qt's reason, and not tried again.
    void untrustedCertificateRefused() {
        if (!m_haveCertificate)
            QSKIP("No TLS backend, or the build had no openssl to make a certificate");
        FactoryServer server(m_certificate.certificate, m_certificate.key);
        server.serve("/list.txt", {ServedAnswer::http("200 OK", "a.ex\r\n")});
        const FetchResult result =
            FactoryFetcher(quickLimits()).fetch(QUrl(server.url("/list.txt")), {});
        QCOMPARE(result.kind, FetchResult::Kind::Failed);
        QCOMPARE(result.error, quillmere::test::selfSignedRefusal());
        QVERIFY(!result.body);
    }

    void trustedAndRedirects() {
        if (!m_haveCertificate)
            QSKIP("No TLS backend, or the build had no openssl to make a certificate");
        if (quillmere::test::outsideHttpsPort())
            QSKIP("This process cannot serve TLS (Schannel under Wine), and the build machine's "
                  "server answers no redirects");
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        const QSslConfiguration before = configuration;
        configuration.addCaCertificate(m_certificate.certificate);
        QSslConfiguration::setDefaultConfiguration(configuration);
        FactoryServer tls(m_certificate.certificate, m_certificate.key);
        FactoryServer plain;
        plain.serve("/list.txt", {ServedAnswer::http("200 OK", "plain.ex\r\n")});
        tls.serve("/list.txt", {ServedAnswer::http("200 OK", "a.ex\r\n", {"ETag: \"e\""})});
        tls.serve("/down",
                  {ServedAnswer::http("302 Found", {},
                                      {"Location: " + plain.url("/list.txt").toLatin1()})});
        tls.serve("/same",
                  {ServedAnswer::http("301 Moved Permanently", {}, {"Location: /list.txt"})});

        FactoryFetcher fetcher(quickLimits());
        const FetchResult fetched = fetcher.fetch(QUrl(tls.url("/same")), {});
        QCOMPARE(fetched.error, QString());
        QCOMPARE(fetched.kind, FetchResult::Kind::Fetched);
        QCOMPARE(*fetched.body, std::string("a.ex\r\n"));
        QCOMPARE(fetched.etag, QByteArray("\"e\""));

        const FetchResult down = fetcher.fetch(QUrl(tls.url("/down")), {});
        QCOMPARE(down.kind, FetchResult::Kind::Failed);
        QCOMPARE(down.error,
                 QStringLiteral("a redirect from https to http://127.0.0.1:%1 is refused")
                     .arg(plain.port()));
        QVERIFY(plain.requests().isEmpty());
        QSslConfiguration::setDefaultConfiguration(before);
    }

    // Only a success's bytes arrive, each request beginning again: a redirect's body, a 503 and a
    // try cut short never end up in what arrived. A file is read at once: nothing arrives.
    void arrivingBytes_data() {
        QTest::addColumn<Answers>("answers");
        QTest::addColumn<QByteArray>("arrived");
        const QByteArray body = "a.ex\r\nb.ex\r\n";
        QTest::newRow("one answer")
            << Answers{ServedAnswer::http("200 OK", body)} << QByteArray("||" + body);
        QTest::newRow("a 503, then the list")
            << Answers{ServedAnswer::http("503 Service Unavailable", "busy\r\n"),
                       ServedAnswer::http("200 OK", body)}
            << QByteArray("||||" + body);
        QTest::newRow("cut short, then the list")
            << Answers{ServedAnswer::http("200 OK", "x.ex\r\n", {"Content-Length: 100"}),
                       ServedAnswer::http("200 OK", body)}
            << QByteArray("||x.ex\r\n||" + body);
    }
    void arrivingBytes() {
        QFETCH(Answers, answers);
        QFETCH(QByteArray, arrived);
        FactoryServer server;
        server.serve("/moved", {ServedAnswer::http("302 Found", "moved to /list.txt\r\n",
                                                   {"Location: /list.txt"})});
        server.serve("/list.txt", answers);
        ArrivingRecord record;
        const FetchResult fetched =
            FactoryFetcher(quickLimits()).fetch(QUrl(server.url("/moved")), {}, {}, {}, &record);
        QCOMPARE(fetched.error, QString());
        QCOMPARE(record.record, arrived);
        QCOMPARE(QByteArray::fromStdString(*fetched.body),
                 arrived.mid(arrived.lastIndexOf('|') + 1));
    }
    void arrivingFromAFile() {
        QTemporaryDir folder;
        QFile file(folder.filePath(QStringLiteral("list.txt")));
        QVERIFY(file.open(QIODevice::WriteOnly));
        file.write("a.ex\r\n");
        file.close();
        ArrivingRecord record;
        const FetchResult fetched =
            FactoryFetcher(quickLimits())
                .fetch(QUrl::fromLocalFile(file.fileName()), {}, {}, {}, &record);
        QCOMPARE(fetched.kind, FetchResult::Kind::Fetched);
        QCOMPARE(*fetched.body, std::string("a.ex\r\n"));
        QCOMPARE(record.record, QByteArray());
    }

    void limitsFromText_data() {
        QTest::addColumn<QString>("text");
        QTest::addColumn<qint64>("connect");
        QTest::addColumn<qint64>("idle");
        QTest::addColumn<QList<qint64>>("waits");
        QTest::addColumn<qint64>("maxBytes");
        QTest::newRow("given") << QStringLiteral("100 200 1,2,3 99") << qint64(100) << qint64(200)
                               << QList<qint64>{1, 2, 3} << qint64(99);
        QTest::newRow("empty: the defaults") << QString() << qint64(30000) << qint64(60000)
                                             << QList<qint64>{2000, 10000} << (qint64(1) << 30);
        QTest::newRow("malformed: the defaults")
            << QStringLiteral("100 x 1 99") << qint64(30000) << qint64(60000)
            << QList<qint64>{2000, 10000} << (qint64(1) << 30);
    }
    void limitsFromText() {
        QFETCH(QString, text);
        QFETCH(qint64, connect);
        QFETCH(qint64, idle);
        QFETCH(QList<qint64>, waits);
        QFETCH(qint64, maxBytes);
        const FetchLimits limits = FetchLimits::fromText(text);
        QCOMPARE(limits.connect.count(), connect);
        QCOMPARE(limits.idle.count(), idle);
        QList<qint64> given;
        for (auto wait : limits.retryWaits)
            given << wait.count();
        QCOMPARE(given, waits);
        QCOMPARE(limits.maxBytes, maxBytes);
    }

private:
    quillmere::test::SelfSigned m_certificate;
    bool m_haveCertificate = false;
};

QTEST_GUILESS_MAIN(TestFactoryFetch)
#include "tst_FactoryFetch.moc"
