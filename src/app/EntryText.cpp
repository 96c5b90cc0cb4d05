#include "app/EntryText.h"

#include <algorithm>

namespace quillmere {

namespace {
bool isLatin1(QChar c) {
    return c.unicode() <= 0xFF;
}
} // namespace

QString entryToText(std::string_view entry) {
    return QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
}

std::optional<std::string> textToEntry(const QString& text) {
    if (!std::all_of(text.begin(), text.end(), isLatin1))
        return std::nullopt;
    const QByteArray bytes = text.toLatin1();
    return std::string(bytes.constData(), static_cast<std::size_t>(bytes.size()));
}

QString unstorableTextMessage(const QString& text) {
    const auto bad = std::find_if_not(text.begin(), text.end(), isLatin1);
    if (bad == text.end())
        return QString();
    // A character beyond the 16-bit range comes as two code units; name it whole.
    char32_t codePoint = bad->unicode();
    if (bad->isHighSurrogate() && bad + 1 != text.end() && (bad + 1)->isLowSurrogate())
        codePoint = QChar::surrogateToUcs4(*bad, *(bad + 1));
    return QStringLiteral("\"%1\" cannot be stored: the character %2 (U+%3) is not in the "
                          "single-byte code page of the list files (ISO-8859-1)")
        .arg(text, QString::fromUcs4(&codePoint, 1),
             QStringLiteral("%1")
                 .arg(static_cast<uint>(codePoint), 4, 16, QLatin1Char('0'))
                 .toUpper());
}

} // namespace quillmere
