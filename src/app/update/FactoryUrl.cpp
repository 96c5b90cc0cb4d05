#include "app/update/FactoryUrl.h"

namespace quillmere {

std::optional<QUrl> factoryUrl(const QString& text, QString& problem) {
    const QUrl url(text, QUrl::StrictMode);
    const QString scheme = url.scheme();
    const bool network = scheme == QLatin1String("https") || scheme == QLatin1String("http");
    const bool file = scheme == QLatin1String("file");
    if (!url.isValid() || url.isRelative() || (!network && !file) ||
        (network && url.host().isEmpty()) || (file && url.path().isEmpty())) {
        // The text itself may hold a password.
        QString shown = text;
        const qsizetype authority = shown.indexOf(QLatin1String("://"));
        const qsizetype at = shown.lastIndexOf(QLatin1Char('@'));
        if (authority >= 0 && at > authority + 3)
            shown.replace(authority + 3, at - authority - 3, QStringLiteral("***"));
        problem = QStringLiteral("\"%1\" is not an absolute https, http or file URL").arg(shown);
        return std::nullopt;
    }
    return url;
}

QString shownUrl(const QUrl& url) {
    QUrl shown = url;
    if (!shown.userInfo().isEmpty()) {
        shown.setPassword(QString());
        shown.setUserName(QStringLiteral("***"));
    }
    return shown.toString();
}

} // namespace quillmere
