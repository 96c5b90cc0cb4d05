#include "cli/CliContext.h"

#include "platform/PlatformFacts.h"

#include <algorithm>
#include <cstdio>
#include <memory>
#include <utility>

namespace quillmere::cli {

namespace {
// Lines end as the platform's text files do; the streams are binary (see main), so an entry's
// own bytes, a lone LF included, pass unchanged.
constexpr std::string_view kLineEnd = platform::kTextLineEnd;

void writeLine(std::FILE* stream, std::string_view text) {
    std::fwrite(text.data(), 1, text.size(), stream);
    std::fwrite(kLineEnd.data(), 1, kLineEnd.size(), stream);
}

std::string_view viewOf(const QByteArray& bytes) {
    return {bytes.constData(), static_cast<std::size_t>(bytes.size())};
}

// A text of several lines ends each of them as the platform does.
QByteArray withLineEnds(const QString& text) {
    QByteArray bytes = text.toLocal8Bit();
    if (kLineEnd.size() == 2)
        bytes.replace('\n', "\r\n");
    return bytes;
}
} // namespace

void CliContext::printEntry(std::string_view entry) const {
    m_output.write(entry);
    m_output.write(kLineEnd);
}

void CliContext::printLine(const QString& text) const {
    m_output.write(viewOf(withLineEnds(text)));
    m_output.write(kLineEnd);
}

void CliContext::printError(const QString& text) const {
    // What was printed before the error comes before it.
    m_output.flush();
    writeLine(stderr, viewOf(withLineEnds(text)));
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

int toEntries(const CliContext& context, const QStringList& arguments, EntryList& entries) {
    entries.clear();
    std::size_t length = 0;
    for (const QString& argument : arguments) {
        if (argument.isEmpty() || argument.contains(QLatin1Char('\r')) ||
            argument.contains(QLatin1Char('\n'))) {
            context.printError(shownArgument(argument) +
                               (argument.isEmpty()
                                    ? QStringLiteral(" cannot be stored: a domain is never empty")
                                    : QStringLiteral(" cannot be stored: a domain holds no line "
                                                     "break (CR or LF)")));
            return Usage;
        }
        length += static_cast<std::size_t>(argument.size());
    }
    // ISO-8859-1 is the first 256 characters, one byte each: an argument has as many bytes as
    // characters, so the block is sized once and the views into it never move.
    auto bytes = std::make_shared<std::string>();
    bytes->resize(length);
    std::vector<std::string_view> views;
    views.reserve(static_cast<std::size_t>(arguments.size()));
    char* out = bytes->data();
    for (const QString& argument : arguments) {
        const char* const start = out;
        for (QChar c : argument) {
            if (c.unicode() > 0xFF) {
                context.printError(
                    QStringLiteral("\"%1\" cannot be stored: the character %2 (U+%3) is not in "
                                   "the single-byte code page of the list files (ISO-8859-1)")
                        .arg(argument, QString(c),
                             QStringLiteral("%1")
                                 .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                 .toUpper()));
                return Failure;
            }
            *out++ = static_cast<char>(c.unicode());
        }
        views.emplace_back(start, static_cast<std::size_t>(out - start));
    }
    entries = EntryList::fromViews(std::move(views), {std::move(bytes)});
    return Success;
}

QString entryText(std::string_view entry) {
    return QString::fromLatin1(entry.data(), static_cast<qsizetype>(entry.size()));
}

QString usageLine(const QString& head, const QString& description) {
    return (QStringLiteral("  ") + head).leftJustified(32) + QStringLiteral("  ") + description +
           QLatin1Char('\n');
}

} // namespace quillmere::cli
