#include "LiteralIniFormat.h"

#include <QIODevice>
#include <QList>
#include <QMap>
#include <QRegularExpression>
#include <QStringList>

namespace quillmere {

namespace {

// A path of key names separated by backslashes or slashes, in QSettings' form.
QString keyPath(const QString& path) {
    QStringList parts = path.split(QRegularExpression(QStringLiteral("[\\\\/]")));
    parts.removeAll(QString());
    return parts.join(QLatin1Char('/'));
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

bool readDevice(QIODevice& device, QSettings::SettingsMap& keys) {
    return parseLiteralIni(device.readAll(), keys, nullptr);
}

bool writeDevice(QIODevice& device, const QSettings::SettingsMap& keys) {
    QByteArray bytes;
    return writeLiteralIni(keys, bytes) && device.write(bytes) == bytes.size();
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

bool writeLiteralIni(const QSettings::SettingsMap& keys, QByteArray& bytes) {
    QMap<QString, QStringList> sections;
    for (auto key = keys.cbegin(); key != keys.cend(); ++key) {
        const qsizetype slash = key.key().lastIndexOf(QLatin1Char('/'));
        const QString value = key.value().toString();
        if (slash <= 0 || holdsLineBreak(value))
            return false;
        sections[key.key().left(slash)] << key.key().mid(slash + 1) + QLatin1Char('=') + value;
    }
    QString text;
    for (auto section = sections.cbegin(); section != sections.cend(); ++section) {
        if (!text.isEmpty())
            text += QLatin1Char('\n');
        text += QLatin1Char('[') +
                QString(section.key()).replace(QLatin1Char('/'), QLatin1Char('\\')) +
                QStringLiteral("]\n");
        for (const QString& line : section.value())
            text += line + QLatin1Char('\n');
    }
    bytes = text.toUtf8();
    return true;
}

QSettings::Format literalIniFormat() {
    static const QSettings::Format format =
        QSettings::registerFormat(QStringLiteral("ini"), readDevice, writeDevice);
    return format;
}

} // namespace quillmere
