#include "platform/LiteralIniFormat.h"

#include "platform/PlatformFacts.h"

#include <QList>
#include <QStringList>

namespace quillmere {

namespace {

// Lines end as the platform's text files do: Notepad of older Windows shows a file of LF line ends
// as one line. Either ending reads.
constexpr QLatin1StringView kLineEnd(platform::kTextLineEnd.data(),
                                     static_cast<qsizetype>(platform::kTextLineEnd.size()));

// A path of key names separated by backslashes or slashes, in QSettings' form. Without a
// QRegularExpression, as the program matches none (docs/architecture.md says why).
QString keyPath(QString path) {
    path.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return path.split(QLatin1Char('/'), Qt::SkipEmptyParts).join(QLatin1Char('/'));
}

bool holdsLineBreak(const QString& text) {
    return text.contains(QLatin1Char('\r')) || text.contains(QLatin1Char('\n'));
}

// A value of the form earlier versions wrote through QSettings' INI format, where a name held the
// rest of the key path ("SOFTWARE\...\imailPath="): there a value with a comma or surrounding
// blanks was quoted, a backslash or quote escaped and a leading "@" doubled.
QString earlierFormValue(const QString& written) {
    QString value = written.trimmed();
    if (value.size() >= 2 && value.startsWith(QLatin1Char('"')) && value.endsWith(QLatin1Char('"')))
        value = value.mid(1, value.size() - 2);
    else if (value.startsWith(QLatin1String("@@")))
        value.remove(0, 1);
    QString plain;
    for (qsizetype i = 0; i < value.size(); ++i) {
        const QChar next = i + 1 < value.size() ? value.at(i + 1) : QChar();
        if (value.at(i) == QLatin1Char('\\') &&
            (next == QLatin1Char('\\') || next == QLatin1Char('"')))
            ++i;
        plain += value.at(i);
    }
    return plain;
}

// Where the first byte that does not begin a well-formed UTF-8 sequence stands, or -1 when the text
// is UTF-8 throughout. Overlong forms, UTF-16 surrogates and code points past U+10FFFF are not
// UTF-8: decoding them would put U+FFFD in their place, and the next write would store that.
qsizetype firstNonUtf8Byte(const QByteArray& text) {
    qsizetype at = 0;
    while (at < text.size()) {
        const auto lead = static_cast<unsigned char>(text.at(at));
        qsizetype length = 1;
        unsigned char low = 0x80; // the range of the second byte
        unsigned char high = 0xBF;
        if (lead >= 0xC2 && lead <= 0xDF) {
            length = 2;
        } else if (lead >= 0xE0 && lead <= 0xEF) {
            length = 3;
            low = lead == 0xE0 ? 0xA0 : 0x80;
            high = lead == 0xED ? 0x9F : 0xBF;
        } else if (lead >= 0xF0 && lead <= 0xF4) {
            length = 4;
            low = lead == 0xF0 ? 0x90 : 0x80;
            high = lead == 0xF4 ? 0x8F : 0xBF;
        } else if (lead >= 0x80) {
            return at;
        }
        if (at + length > text.size())
            return at;
        for (qsizetype k = 1; k < length; ++k) {
            const auto next = static_cast<unsigned char>(text.at(at + k));
            if (next < (k == 1 ? low : 0x80) || next > (k == 1 ? high : 0xBF))
                return at;
        }
        at += length;
    }
    return -1;
}

} // namespace

bool parseLiteralIni(const QByteArray& bytes, QSettings::SettingsMap& keys, QString* error) {
    const auto fail = [error](qsizetype number, const char* reason) {
        if (error)
            *error = QStringLiteral("line %1 %2").arg(number).arg(QLatin1String(reason));
        return false;
    };
    QString section;
    const QList<QByteArray> lines = bytes.split('\n');
    for (qsizetype index = 0; index < lines.size(); ++index) {
        QByteArray raw = lines.at(index);
        if (raw.endsWith('\r'))
            raw.chop(1);
        if (const qsizetype bad = firstNonUtf8Byte(raw); bad >= 0) {
            if (error)
                *error = QStringLiteral("line %1 is not UTF-8 text (byte 0x%2 at column %3)")
                             .arg(index + 1)
                             .arg(QString::number(static_cast<unsigned char>(raw.at(bad)), 16)
                                      .toUpper()
                                      .rightJustified(2, QLatin1Char('0')))
                             .arg(bad + 1);
            return false;
        }
        const QString line = QString::fromUtf8(raw);
        const QString trimmed = line.trimmed();
        if (trimmed.isEmpty() || trimmed.startsWith(QLatin1Char(';')) ||
            trimmed.startsWith(QLatin1Char('#')))
            continue;
        if (trimmed.startsWith(QLatin1Char('['))) {
            if (!trimmed.endsWith(QLatin1Char(']')))
                return fail(index + 1, "opens a [section] it does not close");
            section = keyPath(trimmed.mid(1, trimmed.size() - 2));
            if (section.isEmpty())
                return fail(index + 1, "names no section");
            continue;
        }
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        const QString written = line.left(equals).trimmed();
        const QString name = keyPath(written);
        if (equals < 0 || name.isEmpty())
            return fail(index + 1, "is neither a [section] nor a name=value line");
        if (section.isEmpty())
            return fail(index + 1, "holds a value before any [section]");
        const QString value = line.mid(equals + 1);
        const bool earlierForm = written.contains(QLatin1Char('\\'));
        keys.insert(section + QLatin1Char('/') + name,
                    earlierForm ? earlierFormValue(value) : value);
    }
    return true;
}

bool editLiteralIni(const QByteArray& bytes, const QString& key,
                    const std::optional<QString>& value, QByteArray& edited) {
    if (value && holdsLineBreak(*value))
        return false;
    const qsizetype slash = key.lastIndexOf(QLatin1Char('/'));
    if (slash <= 0)
        return false;
    const QString section = key.left(slash);
    const QString name = key.mid(slash + 1);
    const bool crlf =
        bytes.isEmpty() ? kLineEnd == QLatin1StringView("\r\n") : bytes.contains("\r\n");
    const QByteArray lineEnd = crlf ? "\r\n" : "\n";

    QList<QByteArray> lines = bytes.split('\n');
    const bool endedInLineEnd = bytes.isEmpty() || bytes.endsWith('\n');
    if (endedInLineEnd)
        lines.removeLast();
    for (QByteArray& line : lines) {
        if (line.endsWith('\r'))
            line.chop(1);
    }
    // What each line is: the section it is in, and whether it sets the key, literally or in the
    // earlier form.
    QList<qsizetype> literal;
    qsizetype sectionEnd = -1; // after the last line of the key's last section
    QList<qsizetype> earlierForm;
    QString current;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        const QString line = QString::fromUtf8(lines.at(index));
        const QString trimmed = line.trimmed();
        if (trimmed.startsWith(QLatin1Char('['))) {
            current = keyPath(trimmed.mid(1, trimmed.size() - 2));
            if (current == section)
                sectionEnd = index + 1;
            continue;
        }
        if (current == section && !trimmed.isEmpty())
            sectionEnd = index + 1;
        const qsizetype equals = line.indexOf(QLatin1Char('='));
        if (equals < 0 || trimmed.startsWith(QLatin1Char(';')) ||
            trimmed.startsWith(QLatin1Char('#')))
            continue;
        const QString written = line.left(equals).trimmed();
        if (current + QLatin1Char('/') + keyPath(written) != key)
            continue;
        if (written.contains(QLatin1Char('\\')))
            earlierForm << index;
        else
            literal << index;
    }
    const qsizetype lastLiteral = literal.isEmpty() ? -1 : literal.constLast();

    const QByteArray newLine = (name + QLatin1Char('=') + value.value_or(QString())).toUtf8();
    QList<QByteArray> result;
    for (qsizetype index = 0; index < lines.size(); ++index) {
        // Every line of a removed key goes, or an earlier one would read in its place.
        if (earlierForm.contains(index) || (!value && literal.contains(index)))
            continue;
        if (index == lastLiteral) {
            result << lines.at(index).left(lines.at(index).indexOf('=') + 1) + value->toUtf8();
            continue;
        }
        result << lines.at(index);
        if (value && lastLiteral < 0 && index + 1 == sectionEnd)
            result << newLine;
    }
    if (value && lastLiteral < 0 && sectionEnd < 0) {
        if (!result.isEmpty() && !result.constLast().trimmed().isEmpty())
            result << QByteArray();
        result << '[' + QString(section).replace(QLatin1Char('/'), QLatin1Char('\\')).toUtf8() + ']'
               << newLine;
    }
    edited = result.join(lineEnd);
    if (!result.isEmpty() && (endedInLineEnd || result.size() != lines.size()))
        edited += lineEnd;
    return true;
}

} // namespace quillmere
