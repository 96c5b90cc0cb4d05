#include "app/CommandLineText.h"

namespace quillmere {

QString helpText(const QCommandLineParser& parser, const QString& usage) {
    const QString text = parser.helpText();
    const qsizetype firstLineEnd = text.indexOf(QLatin1Char('\n'));
    return QStringLiteral("Usage: ") + usage + text.mid(firstLineEnd);
}

QString versionText(const QString& program) {
    return program + QLatin1Char(' ') + QLatin1String(QUILLMERE_VERSION);
}

} // namespace quillmere
