#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace quillmere {

class Registry;

// Where the settings live in the registry and how their stored text becomes field values.

// "HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\Quillmere\": a value's full name is this followed by
// the value name.
QString settingsKey();
// A setting's full value name: settingsKey() followed by the value name.
QString settingName(const char* valueName);

// Imail's own values, read only.
QString imailTopDirName();
QString imailVersionName();

namespace valueName {
inline constexpr char imailPath[] = "imailPath";
inline constexpr char dataPath[] = "dataPath";
inline constexpr char importPath[] = "importPath";
inline constexpr char installPath[] = "installPath";
inline constexpr char exitSave[] = "exitSave";
inline constexpr char exitSort[] = "exitSort";
inline constexpr char restartQueue[] = "restartQueue";
// Where "update" fetches the factory list from when it is given no URL.
inline constexpr char factoryUrl[] = "factoryUrl";
} // namespace valueName

// Why the registry cannot be used as it is, naming the store or the first of the program's values
// (its settings and Imail's) that is stored but cannot be read; empty when all is well.
QString storedValuesProblem(Registry& registry);

// A switch is stored as "0" or "1". Text that is not a number counts as unreadable, so the switch
// is off; so does any number other than 1, the only value that turns a switch on.
std::int16_t switchValue(const std::optional<QString>& stored);
QString switchText(std::int16_t value);

// The tracking data folder used when none is stored: the install folder's URLdata.
QString defaultDataPath(const QString& installPath);

// Whether an Imail version text names a version before 8, the first with the anti-spam filter
// that reads the blacklist. Compared by the leading number, so 10.0 is not before 8; text that
// does not begin with a digit, the empty text included, counts as before 8.
bool isBeforeVersion8(const QString& version);

} // namespace quillmere
