#pragma once

#include <QByteArray>
#include <QList>
#include <QMap>
#include <QMutex>
#include <QSemaphore>
#include <QSslCertificate>
#include <QSslKey>
#include <QString>
#include <QThread>

namespace quillmere::test {

// One answer of the test server: the bytes it sends, and what it does then.
struct ServedAnswer {
    QByteArray bytes;
    // Keep the connection open and send nothing more, as a stalled server does.
    bool stall = false;
    // Then these, one every pieceWait milliseconds, before the connection is closed: a body that
    // arrives slowly.
    QList<QByteArray> slowPieces = {};
    int pieceWait = 0;

    // "HTTP/1.1 STATUS\r\n" with the headers, Content-Length of the body unless one is given,
    // and the body.
    static ServedAnswer http(const QByteArray& status, const QByteArray& body,
                             const QList<QByteArray>& headers = {});
};

// The certificate for 127.0.0.1 signed by itself that the build made with openssl; false when
// the build machine had no openssl.
struct SelfSigned {
    QSslCertificate certificate;
    QSslKey key;
};
bool loadSelfSigned(SelfSigned& made);

// Qt's reason for refusing the self-signed certificate, in the words of the system's TLS:
// OpenSSL's, or Schannel's on Windows.
QString selfSignedRefusal();

// Where this process cannot serve TLS itself (Schannel under Wine), the port of the build
// machine's https server with the same certificate, which answers every request with a page of
// its own; 0 where the process serves TLS itself.
quint16 outsideHttpsPort();

// A request as the server received it: its path and its header lines, names in lower case.
struct ReceivedRequest {
    QByteArray path;
    QMap<QByteArray, QByteArray> headers;
};

// An HTTP (or, with a certificate, HTTPS) server of the tests' own on 127.0.0.1, in a thread of
// its own so that a test can wait for the tool it started. Each path answers its list of answers
// in turn, the last one again and again; an unknown path is 404.
class FactoryServer final : public QThread {
public:
    FactoryServer();
    // TLS with this certificate and key; where the process cannot serve TLS, the URLs are the
    // outside server's (see outsideHttpsPort) and no request reaches this one.
    FactoryServer(const QSslCertificate& certificate, const QSslKey& key);
    ~FactoryServer() override;

    void serve(const QByteArray& path, const QList<ServedAnswer>& answers);
    QString url(const QByteArray& path) const;
    quint16 port() const { return m_port; }
    QList<ReceivedRequest> requests() const;

protected:
    void run() override;

private:
    ServedAnswer answerFor(const ReceivedRequest& request);

    QSslCertificate m_certificate;
    QSslKey m_key;
    bool m_tls = false;
    quint16 m_port = 0;
    QSemaphore m_listening;
    mutable QMutex m_mutex;
    QMap<QByteArray, QList<ServedAnswer>> m_answers;
    QList<ReceivedRequest> m_requests;
};

} // namespace quillmere::test
