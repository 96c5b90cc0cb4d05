#pragma once

#include "Registry.h"

namespace quillmere {

// The Windows registry. Full names start with the hive, as in "HKEY_LOCAL_MACHINE\SOFTWARE\...".
// Values are read and written in the 32-bit view, where the installer and Imail keep theirs.
class WindowsRegistry final : public Registry {
public:
    std::optional<QString> read(const QString& fullName) override;
    bool write(const QString& fullName, const QString& value) override;
    bool remove(const QString& fullName) override;
};

} // namespace quillmere
