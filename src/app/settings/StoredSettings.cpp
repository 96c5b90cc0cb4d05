#include "app/settings/StoredSettings.h"

#include "platform/Registry.h"

#include <QDir>
#include <QStringList>
#include <array>
#include <utility>

namespace quillmere {

QString settingsKey() {
    return QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Brindlecove\\Quillmere\\");
}

QString settingName(const char* valueName) {
    return settingsKey() + QLatin1String(valueName);
}

QString imailTopDirName() {
    return QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global\\TopDir");
}

QString imailVersionName() {
    return QStringLiteral("HKEY_LOCAL_MACHINE\\SOFTWARE\\Ipswitch\\IMail\\Global\\Version");
}

QString storedValuesProblem(Registry& registry) {
    if (const QString problem = registry.problem(); !problem.isEmpty())
        return problem;
    static constexpr std::array<const char*, 7> settings{
        valueName::imailPath, valueName::dataPath, valueName::importPath,   valueName::installPath,
        valueName::exitSave,  valueName::exitSort, valueName::restartQueue,
    };
    QStringList names{imailTopDirName(), imailVersionName()};
    for (const char* name : settings)
        names << settingName(name);
    for (const QString& name : std::as_const(names)) {
        if (const QString problem = registry.valueProblem(name); !problem.isEmpty())
            return problem;
    }
    return QString();
}

std::int16_t switchValue(const std::optional<QString>& stored) {
    if (!stored)
        return 0;
    bool isNumber = false;
    const int value = stored->trimmed().toInt(&isNumber);
    return isNumber && value == 1 ? 1 : 0;
}

QString switchText(std::int16_t value) {
    return QString::number(value);
}

QString defaultDataPath(const QString& installPath) {
    return installPath + QDir::separator() + QStringLiteral("URLdata");
}

bool isBeforeVersion8(const QString& version) {
    const auto isDigit = [](QChar c) { return c >= u'0' && c <= u'9'; };
    qsizetype end = 0;
    while (end < version.size() && isDigit(version.at(end)))
        ++end;
    if (end == 0)
        return true;
    QStringView number = QStringView(version).left(end);
    while (number.size() > 1 && number.front() == u'0')
        number = number.mid(1);
    return number.size() == 1 && number.front() < u'8';
}

} // namespace quillmere
