#include "WindowsRegistry.h"

#include <QSettings>

namespace quillmere {

namespace {

struct ValueAddress {
    QString key;  // "HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\Quillmere"
    QString name; // "imailPath"
};

ValueAddress split(const QString& fullName) {
    const qsizetype cut = fullName.lastIndexOf(QLatin1Char('\\'));
    return {fullName.left(cut), fullName.mid(cut + 1)};
}

} // namespace

std::optional<QString> WindowsRegistry::read(const QString& fullName) {
    const ValueAddress address = split(fullName);
    const QSettings key(address.key, QSettings::Registry32Format);
    const QVariant value = key.value(address.name);
    if (!value.isValid())
        return std::nullopt;
    return value.toString();
}

bool WindowsRegistry::write(const QString& fullName, const QString& value) {
    const ValueAddress address = split(fullName);
    QSettings key(address.key, QSettings::Registry32Format);
    key.setValue(address.name, value);
    key.sync();
    return key.status() == QSettings::NoError;
}

bool WindowsRegistry::remove(const QString& fullName) {
    const ValueAddress address = split(fullName);
    QSettings key(address.key, QSettings::Registry32Format);
    key.remove(address.name);
    key.sync();
    return key.status() == QSettings::NoError;
}

} // namespace quillmere
