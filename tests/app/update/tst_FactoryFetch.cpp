#include "app/update/FactoryFetch.h"
#include "cli/FactoryServer.h"

#include <QSslConfiguration>
#include <QSslSocket>
#include <QTest>

using quillmere::FactoryFetcher;
using quillmere::FetchLimits;
using quillmere::FetchResult;
using quillmere::test::FactoryServer;
using quillmere::test::ServedAnswer;

namespace {

FetchLimits quickLimits() {
    return FetchLimits::fromText(QStringLiteral("3000 1000 50,50 1073741824"));
}

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
