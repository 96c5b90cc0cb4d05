#include "CliContext.h"

#include <algorithm>
#include <cstdio>

namespace quillmere::cli {

void CliContext::printEntry(std::string_view entry) const {
    m_output.write(entry);
    m_output.write("\n");
}

void CliContext::printLine(const QString& text) const {
    const QByteArray bytes = text.toLocal8Bit();
    printEntry(std::string_view(bytes.constData(), static_cast<std::size_t>(bytes.size())));
}

void CliContext::printError(const QString& text) const {
    // What was printed before the error comes before it.
    m_output.flush();
    const QByteArray bytes = text.toLocal8Bit();
    std::fwrite(bytes.constData(), 1, static_cast<std::size_t>(bytes.size()), stderr);
    std::fputc('\n', stderr);
}

int CliContext::finishOutput(int status) const {
    m_output.flush();
    if (!m_output.failed())
        return status;
    printError(m_output.failure());
    return std::max(status, errorStatus);
}

namespace {
// An argument as the administrator typed it, with line breaks made visible.
QString shownArgument(QString argument) {
    argument.replace(QLatin1Char('\r'), QLatin1String("\\r"));
    argument.replace(QLatin1Char('\n'), QLatin1String("\\n"));
    return QLatin1Char('"') + argument + QLatin1Char('"');
}
} // namespace

int toEntries(const CliContext& context, const QStringList& arguments,
              std::vector<std::string>& entries) {
    entries.clear();
    for (const QString& argument : arguments) {
        if (argument.isEmpty() || argument.contains(QLatin1Char('\r')) ||
            argument.contains(QLatin1Char('\n'))) {
            context.printError(shownArgument(argument) +
                               (argument.isEmpty()
                                    ? QStringLiteral(" cannot be stored: a domain is never empty")
                                    : QStringLiteral(" cannot be stored: a domain holds no line "
                                                     "break (CR or LF)")));
            entries.clear();
            return Usage;
        }
    }
    for (const QString& argument : arguments) {
        for (QChar c : argument) {
            if (c.unicode() > 0xFF) {
                context.printError(
                    QStringLiteral("\"%1\" cannot be stored: the character %2 (U+%3) is not in "
                                   "the single-byte code page of the list files (ISO-8859-1)")
                        .arg(argument, QString(c),
                             QStringLiteral("%1")
                                 .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                 .toUpper()));
                entries.clear();
                return Failure;
            }
        }
        const QByteArray bytes = argument.toLatin1();
        entries.emplace_back(bytes.constData(), static_cast<std::size_t>(bytes.size()));
    }
    return Success;
}

QString entryText(std::string_view entry) {
    return QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
}

} // namespace quillmere::cli
