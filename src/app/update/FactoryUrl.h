#pragma once

#include <QString>
#include <QUrl>
#include <optional>

namespace quillmere {

// Where a factory list comes from: an absolute https, http or file URL. Returns the URL, or
// nothing after setting problem to why the text is none.
std::optional<QUrl> factoryUrl(const QString& text, QString& problem);

// The URL as it may be printed, journaled or kept: a user and password stand as "***".
QString shownUrl(const QUrl& url);

} // namespace quillmere
