#pragma once

#include "platform/Registry.h"

namespace quillmere {

// The Windows registry, through its own functions. Full names start with the hive, as in
// "HKEY_LOCAL_MACHINE\SOFTWARE\...". Values are read and written in the 32-bit view, where the
// installer and Imail keep theirs. A value is written as the REG_SZ string it is, exactly
// (QSettings would store one that begins with "@" with a second one, for its own types); REG_SZ and
// REG_EXPAND_SZ values read as stored, REG_DWORD ones as their decimal number, and any other type
// as a value that cannot be read, which valueProblem() names, as it names a value stored only in
// the 64-bit view.
class WindowsRegistry final : public Registry {
public:
    std::optional<QString> read(const QString& fullName) override;
    bool write(const QString& fullName, const QString& value) override;
    bool remove(const QString& fullName) override;
    QString valueProblem(const QString& fullName) override;
};

} // namespace quillmere
