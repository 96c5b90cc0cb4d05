#include "IniRegistry.h"

#include <QSettings>
#include <utility>

namespace quillmere {

namespace {

// QSettings separates groups with "/" and would escape a backslash inside a key; a section
// written as [A\B\C] reads back as the group A/B/C, so full names are turned into that form.
QString keyOf(const QString& fullName) {
    QString key = fullName;
    key.replace(QLatin1Char('\\'), QLatin1Char('/'));
    return key;
}

std::optional<QString> readFrom(const QString& file, const QString& key) {
    const QSettings settings(file, QSettings::IniFormat);
    const QVariant value = settings.value(key);
    if (!value.isValid())
        return std::nullopt;
    // An unquoted comma in a hand-written value makes QSettings read a list of strings.
    if (value.typeId() == QMetaType::QStringList)
        return value.toStringList().join(QStringLiteral(", "));
    return value.toString();
}

// Applies one change and writes the file at once. A QSettings object keeps the first error it
// met, so each change gets its own. When the file cannot be written, the change is taken back in
// QSettings' shared cache of the file too, or a later write would store it after all.
template <typename Change> bool changeFile(const QString& file, const QString& key, Change change) {
    QSettings settings(file, QSettings::IniFormat);
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

bool IniRegistry::write(const QString& fullName, const QString& value) {
    const QString key = keyOf(fullName);
    return changeFile(m_file, key, [&](QSettings& settings) { settings.setValue(key, value); });
}

bool IniRegistry::remove(const QString& fullName) {
    const QString key = keyOf(fullName);
    return changeFile(m_file, key, [&](QSettings& settings) { settings.remove(key); });
}

} // namespace quillmere
