#include "app/update/FactoryFetch.h"

#include "app/files/ListFiles.h"

#include <QElapsedTimer>
#include <QEventLoop>
#include <QFileInfo>
#include <QNetworkAccessManager>
#include <QNetworkProxyFactory>
#include <QNetworkReply>
#include <QNetworkRequest>
#include <QTimer>
#include <memory>
#include <string>
#include <thread>

namespace quillmere {

namespace {

using std::chrono::milliseconds;

// How often a progress line may change.
constexpr milliseconds kProgressInterval{250};
constexpr int kMaxRedirects = 5;

struct TryOutcome {
    FetchResult result;
    bool tryAgain = false;
};

TryOutcome failed(QString error, bool tryAgain = false) {
    TryOutcome outcome;
    outcome.result.error = std::move(error);
    outcome.tryAgain = tryAgain;
    return outcome;
}

QString sizeText(qint64 bytes) {
    constexpr qint64 kGiB = qint64(1) << 30;
    if (bytes > 0 && bytes % kGiB == 0)
        return QStringLiteral("%1 GiB").arg(bytes / kGiB);
    return QStringLiteral("%1 bytes").arg(bytes);
}

QString tooLarge(qint64 limit) {
    return QStringLiteral("the answer is larger than %1").arg(sizeText(limit));
}

bool sameOrigin(const QUrl& a, const QUrl& b) {
    return a.scheme() == b.scheme() && a.host() == b.host() && a.port(-1) == b.port(-1);
}

bool isRedirect(int status) {
    return status == 301 || status == 302 || status == 303 || status == 307 || status == 308;
}

// Faults of the connection may pass; a certificate that does not verify will not.
bool mayPass(QNetworkReply::NetworkError error) {
    return error != QNetworkReply::SslHandshakeFailedError &&
           error != QNetworkReply::ProtocolUnknownError &&
           error != QNetworkReply::ProtocolInvalidOperationError;
}

QByteArray basicAuthorization(const QUrl& url) {
    const QString credentials =
        url.userName(QUrl::FullyDecoded) + QLatin1Char(':') + url.password(QUrl::FullyDecoded);
    return "Basic " + credentials.toUtf8().toBase64();
}

QNetworkRequest requestFor(const QUrl& url, const QUrl& first, const FetchCondition& condition) {
    QUrl target = url;
    target.setUserInfo(QString());
    QNetworkRequest request(target);
    // Redirects are followed here, to count them, to refuse https to http, and to send the
    // password to the host it was written for only.
    request.setAttribute(QNetworkRequest::RedirectPolicyAttribute,
                         QNetworkRequest::ManualRedirectPolicy);
    request.setAttribute(QNetworkRequest::CacheLoadControlAttribute,
                         QNetworkRequest::AlwaysNetwork);
    if (!first.userInfo().isEmpty() && sameOrigin(url, first))
        request.setRawHeader("Authorization", basicAuthorization(first));
    if (!condition.etag.isEmpty())
        request.setRawHeader("If-None-Match", condition.etag);
    if (!condition.lastModified.isEmpty())
        request.setRawHeader("If-Modified-Since", condition.lastModified);
    return request;
}

// One request, its answer read whole or given up on.
class Exchange final {
public:
    Exchange(QNetworkAccessManager& manager, const QNetworkRequest& request,
             const FetchLimits& limits, const FetchProgress& progress, ArrivingBytes* arriving)
        : m_reply(manager.get(request))
        , m_limits(limits)
        , m_progress(progress)
        , m_arriving(arriving) {
        if (m_arriving)
            m_arriving->beginAgain();
        m_timer.setSingleShot(true);
        QObject::connect(&m_timer, &QTimer::timeout, &m_loop, [this] {
            m_stall =
                m_begun ? QStringLiteral("no data for %1").arg(durationText(m_limits.idle))
                        : QStringLiteral("no answer within %1").arg(durationText(m_limits.connect));
            m_reply->abort();
        });
        QObject::connect(m_reply.get(), &QNetworkReply::metaDataChanged, &m_loop, [this] {
            m_begun = true;
            m_timer.start(m_limits.idle);
            m_total = m_reply->header(QNetworkRequest::ContentLengthHeader).toLongLong(&m_hasTotal);
            if (!m_hasTotal)
                m_total = -1;
            if (m_total > m_limits.maxBytes)
                giveUp(tooLarge(m_limits.maxBytes));
            else if (m_total > 0)
                m_body.reserve(static_cast<std::size_t>(m_total));
        });
        QObject::connect(m_reply.get(), &QNetworkReply::readyRead, &m_loop, [this] { read(); });
        QObject::connect(m_reply.get(), &QNetworkReply::finished, &m_loop, &QEventLoop::quit);
        m_clock.start();
        m_timer.start(m_limits.connect);
        m_loop.exec();
        read();
    }

    QNetworkReply& reply() { return *m_reply; }
    int status() const {
        return m_reply->attribute(QNetworkRequest::HttpStatusCodeAttribute).toInt();
    }
    bool isSuccess() const { return status() >= 200 && status() < 300; }
    // Why the exchange was given up on here (a stall, a size), or empty.
    const QString& stall() const { return m_stall; }
    const QString& refusal() const { return m_refusal; }
    std::string& body() { return m_body; }
    qint64 total() const { return m_total; }

private:
    void giveUp(const QString& why) {
        m_refusal = why;
        m_reply->abort();
    }

    void read() {
        if (!m_refusal.isEmpty() || !m_stall.isEmpty())
            return;
        const QByteArray bytes = m_reply->readAll();
        if (bytes.isEmpty())
            return;
        m_timer.start(m_limits.idle);
        if (static_cast<qint64>(m_body.size()) + bytes.size() > m_limits.maxBytes) {
            giveUp(tooLarge(m_limits.maxBytes));
            return;
        }
        m_body.append(bytes.constData(), static_cast<std::size_t>(bytes.size()));
        if (m_arriving && isSuccess())
            m_arriving->take(bytes);
        if (m_progress && m_clock.elapsed() >= m_lastProgress + kProgressInterval.count()) {
            m_lastProgress = m_clock.elapsed();
            m_progress(static_cast<qint64>(m_body.size()), m_total);
        }
    }

    struct Later {
        void operator()(QNetworkReply* reply) const { reply->deleteLater(); }
    };
    QEventLoop m_loop;
    QTimer m_timer;
    std::unique_ptr<QNetworkReply, Later> m_reply;
    const FetchLimits& m_limits;
    const FetchProgress& m_progress;
    ArrivingBytes* m_arriving;
    QElapsedTimer m_clock;
    qint64 m_lastProgress = 0;
    bool m_begun = false;
    bool m_hasTotal = false;
    qint64 m_total = -1;
    std::string m_body;
    QString m_stall;
    QString m_refusal;
};

QString statusText(QNetworkReply& reply, int status) {
    const QString phrase =
        reply.attribute(QNetworkRequest::HttpReasonPhraseAttribute).toString().trimmed();
    return phrase.isEmpty() ? QStringLiteral("HTTP status %1").arg(status)
                            : QStringLiteral("HTTP status %1 %2").arg(status).arg(phrase);
}

TryOutcome fetchOnce(QNetworkAccessManager& manager, const QUrl& first,
                     const FetchCondition& condition, const FetchLimits& limits,
                     const FetchProgress& progress, ArrivingBytes* arriving) {
    QUrl url = first;
    for (int redirects = 0;; ++redirects) {
        Exchange exchange(manager, requestFor(url, first, condition), limits, progress, arriving);
        QNetworkReply& reply = exchange.reply();
        if (!exchange.refusal().isEmpty())
            return failed(exchange.refusal());
        if (!exchange.stall().isEmpty())
            return failed(exchange.stall(), true);
        const int status = exchange.status();
        const qint64 received = static_cast<qint64>(exchange.body().size());
        const bool identity = reply.rawHeader("Content-Encoding").isEmpty() ||
                              reply.rawHeader("Content-Encoding").toLower() == "identity";
        if (status >= 200 && status < 300 && identity && exchange.total() > received)
            return failed(QStringLiteral("the answer ended after %1 of its %2 bytes")
                              .arg(received)
                              .arg(exchange.total()),
                          true);
        if (status == 0)
            return failed(reply.errorString(), mayPass(reply.error()));
        if (isRedirect(status)) {
            const QUrl next = url.resolved(QUrl::fromEncoded(reply.rawHeader("Location")));
            if (redirects == kMaxRedirects)
                return failed(QStringLiteral("more than %1 redirects").arg(kMaxRedirects));
            if (url.scheme() == QLatin1String("https") && next.scheme() != QLatin1String("https"))
                return failed(QStringLiteral("a redirect from https to %1 is refused")
                                  .arg(next.scheme() + QStringLiteral("://") + next.authority()));
            if (next.scheme() != QLatin1String("http") && next.scheme() != QLatin1String("https"))
                return failed(QStringLiteral("%1 redirects to \"%2\", not an http or https URL")
                                  .arg(statusText(reply, status), next.toString()));
            url = next;
            continue;
        }
        if (status == 304) {
            if (condition.etag.isEmpty() && condition.lastModified.isEmpty())
                return failed(statusText(reply, status) + QStringLiteral(" to a request without "
                                                                         "a condition"));
            TryOutcome outcome;
            outcome.result.kind = FetchResult::Kind::NotModified;
            return outcome;
        }
        if (status >= 500)
            return failed(statusText(reply, status), true);
        if (status < 200 || status >= 300)
            return failed(statusText(reply, status));
        if (reply.error() != QNetworkReply::NoError)
            return failed(reply.errorString(), mayPass(reply.error()));
        TryOutcome outcome;
        outcome.result.kind = FetchResult::Kind::Fetched;
        outcome.result.body = std::make_shared<const std::string>(std::move(exchange.body()));
        outcome.result.contentType = QString::fromLatin1(reply.rawHeader("Content-Type"));
        outcome.result.etag = reply.rawHeader("ETag");
        outcome.result.lastModified = reply.rawHeader("Last-Modified");
        return outcome;
    }
}

FetchResult readFileUrl(const QUrl& url, const FetchLimits& limits) {
    FetchResult result;
    const QString path = url.toLocalFile();
    if (QFileInfo(path).size() > limits.maxBytes) {
        result.error = tooLarge(limits.maxBytes);
        return result;
    }
    ReadResult read = readFileBytes(path);
    if (!read.bytes) {
        result.error = read.error;
        return result;
    }
    result.kind = FetchResult::Kind::Fetched;
    result.body = std::move(*read.bytes);
    return result;
}

} // namespace

FetchLimits FetchLimits::fromText(const QString& text) {
    const QStringList parts = text.split(QLatin1Char(' '), Qt::SkipEmptyParts);
    FetchLimits limits;
    if (parts.size() != 4)
        return limits;
    bool ok = true;
    auto number = [&ok](const QString& part) {
        bool partOk = false;
        const qint64 value = part.toLongLong(&partOk);
        ok = ok && partOk && value >= 0;
        return value;
    };
    FetchLimits given;
    given.connect = milliseconds(number(parts.at(0)));
    given.idle = milliseconds(number(parts.at(1)));
    given.retryWaits.clear();
    for (const QString& wait : parts.at(2).split(QLatin1Char(','), Qt::SkipEmptyParts))
        given.retryWaits.push_back(milliseconds(number(wait)));
    given.maxBytes = number(parts.at(3));
    return ok ? given : limits;
}

FactoryFetcher::FactoryFetcher(FetchLimits limits)
    : m_limits(std::move(limits)) {
    // https_proxy, http_proxy and no_proxy, or on Windows the system's own settings.
    QNetworkProxyFactory::setUseSystemConfiguration(true);
}

FetchResult FactoryFetcher::fetch(const QUrl& url, const FetchCondition& condition,
                                  const FetchProgress& progress, const FetchRetryNote& retryNote,
                                  ArrivingBytes* arriving) {
    if (url.isLocalFile())
        return readFileUrl(url, m_limits);
    QNetworkAccessManager manager;
    for (std::size_t tries = 1;; ++tries) {
        TryOutcome outcome = fetchOnce(manager, url, condition, m_limits, progress, arriving);
        if (!outcome.tryAgain || tries > m_limits.retryWaits.size()) {
            if (outcome.result.kind == FetchResult::Kind::Failed && tries > 1)
                outcome.result.error += QStringLiteral(" (%1 tries)").arg(tries);
            return std::move(outcome.result);
        }
        const milliseconds wait = m_limits.retryWaits.at(tries - 1);
        if (retryNote)
            retryNote(outcome.result.error, wait);
        std::this_thread::sleep_for(wait);
    }
}

QString durationText(milliseconds duration) {
    if (duration.count() % 1000 == 0)
        return QStringLiteral("%1 s").arg(duration.count() / 1000);
    return QStringLiteral("%1 ms").arg(duration.count());
}

} // namespace quillmere
