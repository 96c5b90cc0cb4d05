#include "cli/FactoryServer.h"

#include <QFile>
#include <QMutexLocker>
#include <QSslServer>
#include <QSslSocket>
#include <QTcpServer>
#include <QTcpSocket>
#include <QTimer>
#include <memory>

namespace quillmere::test {

namespace {

constexpr QByteArrayView kHeadEnd = "\r\n\r\n";

ReceivedRequest parseRequest(const QByteArray& head) {
    ReceivedRequest request;
    const QList<QByteArray> lines = head.split('\n');
    const QList<QByteArray> first = lines.value(0).trimmed().split(' ');
    request.path = first.value(1);
    for (qsizetype i = 1; i < lines.size(); ++i) {
        const QByteArray line = lines.at(i).trimmed();
        const qsizetype colon = line.indexOf(':');
        if (colon > 0)
            request.headers.insert(line.left(colon).trimmed().toLower(),
                                   line.mid(colon + 1).trimmed());
    }
    return request;
}

} // namespace

bool loadSelfSigned(SelfSigned& made) {
    QFile keyFile(QStringLiteral(QUILLMERE_SELF_SIGNED_DIR "/key.pem"));
    QFile certificateFile(QStringLiteral(QUILLMERE_SELF_SIGNED_DIR "/certificate.pem"));
    if (!keyFile.open(QIODevice::ReadOnly) || !certificateFile.open(QIODevice::ReadOnly))
        return false;
    made.key = QSslKey(keyFile.readAll(), QSsl::Rsa);
    made.certificate = QSslCertificate(certificateFile.readAll());
    return !made.key.isNull() && !made.certificate.isNull();
}

QString selfSignedRefusal() {
#ifdef Q_OS_WIN
    return QStringLiteral("SSL handshake failed: The root CA certificate is not trusted for this "
                          "purpose");
#else
    return QStringLiteral("SSL handshake failed: The certificate is self-signed, and untrusted");
#endif
}

quint16 outsideHttpsPort() {
    QFile portFile(QStringLiteral(QUILLMERE_SELF_SIGNED_DIR "/https-port"));
    if (!portFile.open(QIODevice::ReadOnly))
        return 0;
    return portFile.readAll().trimmed().toUShort();
}

ServedAnswer ServedAnswer::http(const QByteArray& status, const QByteArray& body,
                                const QList<QByteArray>& headers) {
    QByteArray bytes = "HTTP/1.1 " + status + "\r\n";
    bool hasLength = false;
    for (const QByteArray& header : headers) {
        bytes += header + "\r\n";
        hasLength = hasLength || header.toLower().startsWith("content-length:");
    }
    if (!hasLength)
        bytes += "Content-Length: " + QByteArray::number(body.size()) + "\r\n";
    bytes += "Connection: close\r\n\r\n" + body;
    ServedAnswer answer;
    answer.bytes = bytes;
    return answer;
}

FactoryServer::FactoryServer() {
    start();
    m_listening.acquire();
}

FactoryServer::FactoryServer(const QSslCertificate& certificate, const QSslKey& key)
    : m_certificate(certificate)
    , m_key(key)
    , m_tls(true) {
    start();
    m_listening.acquire();
}

FactoryServer::~FactoryServer() {
    quit();
    wait();
}

void FactoryServer::serve(const QByteArray& path, const QList<ServedAnswer>& answers) {
    const QMutexLocker locker(&m_mutex);
    m_answers.insert(path, answers);
}

QString FactoryServer::url(const QByteArray& path) const {
    return QStringLiteral("%1://127.0.0.1:%2%3")
        .arg(m_tls ? QStringLiteral("https") : QStringLiteral("http"))
        .arg(m_tls && outsideHttpsPort() ? outsideHttpsPort() : m_port)
        .arg(QString::fromLatin1(path));
}

QList<ReceivedRequest> FactoryServer::requests() const {
    const QMutexLocker locker(&m_mutex);
    return m_requests;
}

ServedAnswer FactoryServer::answerFor(const ReceivedRequest& request) {
    const QMutexLocker locker(&m_mutex);
    m_requests << request;
    auto found = m_answers.find(request.path);
    if (found == m_answers.end() || found->isEmpty())
        return ServedAnswer::http("404 Not Found", "no such list\n");
    return found->size() > 1 ? found->takeFirst() : found->constFirst();
}

void FactoryServer::run() {
    std::unique_ptr<QTcpServer> server;
    if (m_tls) {
        auto tlsServer = std::make_unique<QSslServer>();
        QSslConfiguration configuration = QSslConfiguration::defaultConfiguration();
        configuration.setLocalCertificate(m_certificate);
        configuration.setPrivateKey(m_key);
        configuration.setPeerVerifyMode(QSslSocket::VerifyNone);
        tlsServer->setSslConfiguration(configuration);
        server = std::move(tlsServer);
    } else {
        server = std::make_unique<QTcpServer>();
    }
    server->listen(QHostAddress::LocalHost);
    m_port = server->serverPort();
    // Each connection is answered once its request head has arrived.
    QObject::connect(
        server.get(), &QTcpServer::pendingConnectionAvailable, server.get(), [this, &server] {
            while (QTcpSocket* socket = server->nextPendingConnection()) {
                auto head = std::make_shared<QByteArray>();
                QObject::connect(socket, &QTcpSocket::disconnected, socket, &QObject::deleteLater);
                QObject::connect(socket, &QTcpSocket::readyRead, socket, [this, socket, head] {
                    *head += socket->readAll();
                    if (!head->contains(kHeadEnd) || socket->property("answered").toBool())
                        return;
                    socket->setProperty("answered", true);
                    const ServedAnswer answer = answerFor(parseRequest(*head));
                    socket->write(answer.bytes);
                    for (qsizetype i = 0; i < answer.slowPieces.size(); ++i) {
                        const bool last = i + 1 == answer.slowPieces.size();
                        QTimer::singleShot(
                            (i + 1) * answer.pieceWait, socket,
                            [socket, piece = answer.slowPieces.at(i), last, stall = answer.stall] {
                                socket->write(piece);
                                if (last && !stall)
                                    socket->disconnectFromHost();
                            });
                    }
                    if (!answer.stall && answer.slowPieces.isEmpty())
                        socket->disconnectFromHost();
                });
            }
        });
    m_listening.release();
    exec();
}

} // namespace quillmere::test
