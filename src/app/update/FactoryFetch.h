#pragma once

#include "core/lists/EntryList.h"

#include <QByteArray>
#include <QString>
#include <QUrl>
#include <chrono>
#include <functional>
#include <vector>

namespace quillmere {

// How long a fetch waits and how much it takes. The defaults are the program's; a test passes
// shorter ones so that it waits seconds, not minutes.
struct FetchLimits {
    std::chrono::milliseconds connect{30000}; // until the answer begins
    std::chrono::milliseconds idle{60000};    // without data, once it has begun
    // The waits before the second and the third try.
    std::vector<std::chrono::milliseconds> retryWaits{std::chrono::seconds(2),
                                                      std::chrono::seconds(10)};
    qint64 maxBytes = qint64(1) << 30;

    // The limits from text "CONNECT_MS IDLE_MS RETRY_MS,RETRY_MS MAX_BYTES" (the environment
    // variable QUILLMERE_FETCH_LIMITS); the defaults for an empty or malformed text.
    static FetchLimits fromText(const QString& text);
};

inline constexpr char fetchLimitsVariable[] = "QUILLMERE_FETCH_LIMITS";

// What the last accepted download said of itself, sent back so that an unchanged list is not
// sent again.
struct FetchCondition {
    QByteArray etag;
    QByteArray lastModified;
};

struct FetchResult {
    enum class Kind { Fetched, NotModified, Failed };
    Kind kind = Kind::Failed;
    EntryList::Block body;
    QString contentType;
    QByteArray etag;
    QByteArray lastModified;
    QString error; // why it failed: the reason or the HTTP status
};

// Called a few times a second while a body arrives: bytes so far, and the total (-1 when the
// answer does not say).
using FetchProgress = std::function<void(qint64 received, qint64 total)>;
// Given the bytes of a body as they arrive over the network, in order, while the fetch would
// otherwise wait for them: only of answers that are a success (2xx). Each request (a redirect, a
// try again) begins again from nothing. A piece is Qt's own buffer, shared, not copied: it may be
// kept and used in another thread.
class ArrivingBytes {
public:
    virtual ~ArrivingBytes() = default;
    virtual void beginAgain() = 0;
    virtual void take(const QByteArray& piece) = 0;
};

// Called before a try again: why the last try failed, and the wait.
using FetchRetryNote = std::function<void(const QString& reason, std::chrono::milliseconds wait)>;

// Fetches a factory list through Qt Network: https verified against the system's trusted
// certificates, http, and file. Follows at most 5 redirects and never one from https to http;
// sends a user and password of the URL as Basic authentication, to its own host only; tries a
// connection error or a 5xx again as the limits say. Needs a QCoreApplication.
class FactoryFetcher final {
public:
    explicit FactoryFetcher(FetchLimits limits = {});
    FetchResult fetch(const QUrl& url, const FetchCondition& condition,
                      const FetchProgress& progress = {}, const FetchRetryNote& retryNote = {},
                      ArrivingBytes* arriving = nullptr);

private:
    FetchLimits m_limits;
};

// A length of time as the messages give it: "30 s", or "500 ms" below a second.
QString durationText(std::chrono::milliseconds duration);

} // namespace quillmere
