#include "platform/IniRegistry.h"

#include "platform/LiteralIniFormat.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSettings>
#include <utility>

namespace quillmere {

namespace {

// QSettings separates groups with "/"; the literal format reads a section [A\B\C] as the group
// A/B/C, so full names are turned into that form.
QString keyOf(const QString& fullName) {
    QString key = fullName;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return key;
}

// Why the file cannot be read as a settings store, naming it; empty when it can or when there is
// none. Anything but a regular file is refused before it is opened: a FIFO would block.
QString fileProblem(const QString& file) {
    const QFileInfo info(file);
    if (!info.exists())
        return QString();
    const QString shown = QDir::toNativeSeparators(file);
    const auto problem = [&shown](const QString& reason) {
        return QStringLiteral("Cannot read the settings file %1: %2").arg(shown, reason);
    };
    if (info.isDir())
        return problem(QStringLiteral("it is a folder, not a file"));
    if (!info.isFile())
        return problem(QStringLiteral("it is not a regular file"));
    QFile device(file);
    if (!device.open(QIODevice::ReadOnly))
        return problem(device.errorString());
    QSettings::SettingsMap keys;
    QString error;
    if (!parseLiteralIni(device.readAll(), keys, &error))
        return problem(error);
    return QString();
}

std::optional<QString> readFrom(const QString& file, const QString& key) {
    if (!fileProblem(file).isEmpty())
        return std::nullopt;
    const QSettings settings(file, literalIniFormat());
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

// Applies one change and writes the file at once, never over a file that could not be read: its
// unread values would be lost. A QSettings object keeps the first error it met, so each change
// gets its own. When the file cannot be written, the change is taken back in QSettings' shared
// cache of the file too, or a later write would store it after all.
template <typename Change> bool changeFile(const QString& file, const QString& key, Change change) {
    if (!fileProblem(file).isEmpty())
        return false;
    QSettings settings(file, literalIniFormat());
    if (settings.status() != QSettings::NoError)
        return false;
    const QVariant before = settings.value(key);
    change(settings);
    settings.sync();
    if (settings.status() == QSettings::NoError)
        return true;
    if (before.isValid())
        settings.setValue(key, before);
    else
        settings.remove(key);
    return false;
}

} // namespace

IniRegistry::IniRegistry(QString file, QStringList readOnlyFallbacks)
    : m_file(std::move(file))
    , m_fallbacks(std::move(readOnlyFallbacks)) {}

std::optional<QString> IniRegistry::read(const QString& fullName) {
    const QString key = keyOf(fullName);
    if (auto text = readFrom(m_file, key))
        return text;
    for (const QString& fallback : std::as_const(m_fallbacks)) {
        if (auto text = readFrom(fallback, key))
            return text;
    }
    return std::nullopt;
}

QString IniRegistry::problem() {
    if (QString problem = fileProblem(m_file); !problem.isEmpty())
        return problem;
    for (const QString& fallback : std::as_const(m_fallbacks)) {
        if (QString problem = fileProblem(fallback); !problem.isEmpty())
            return problem;
    }
    return QString();
}

bool IniRegistry::write(const QString& fullName, const QString& value) {
    if (value.contains(QLatin1Char('\r')) || value.contains(QLatin1Char('\n')))
        return false;
    const QString key = keyOf(fullName);
    return changeFile(m_file, key, [&](QSettings& settings) { settings.setValue(key, value); });
}

bool IniRegistry::remove(const QString& fullName) {
    const QString key = keyOf(fullName);
    return changeFile(m_file, key, [&](QSettings& settings) { settings.remove(key); });
}

} // namespace quillmere
