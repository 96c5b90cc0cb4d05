#pragma once

#include "platform/Registry.h"

#include <QStringList>
#include <optional>

namespace quillmere {

// The registry as an INI file, for machines without a Windows registry. A key is a section named
// by its full path and a value a name=value line, read and written literally (LiteralIniFormat):
//
//   [HKEY_LOCAL_MACHINE\SOFTWARE\Brindlecove\Quillmere]
//   installPath=/opt/quillmere
//
// A file that exists but cannot be read (no permission, not a regular file, a malformed line) is
// a problem, reported by problem(); it reads as holding nothing and is never written over.
// Reads fall back, in order, to read-only files that an installation provides (for example the
// installPath recorded by a package); writes and removals go to the first file only, and change
// only the lines they concern (LiteralIniFormat's editLiteralIni). The file keeps its owner,
// permissions and access list, as a saved list does.
class IniRegistry final : public Registry {
public:
    explicit IniRegistry(QString file, QStringList readOnlyFallbacks = {});

    std::optional<QString> read(const QString& fullName) override;
    bool write(const QString& fullName, const QString& value) override;
    bool remove(const QString& fullName) override;
    QString problem() override;
    QString writeFailure() const override;

    const QString& fileName() const { return m_file; }

private:
    bool change(const QString& fullName, const std::optional<QString>& value);

    QString m_file;
    QStringList m_fallbacks;
    QString m_writeFailure;
};

} // namespace quillmere
