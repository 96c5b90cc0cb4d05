#pragma once

#include "platform/Drives.h"

#include <QMap>

namespace quillmere::test {

// Drives chosen by a test; their roots are usually folders of a TempFolder.
class FakeDrives final : public Drives {
public:
    void add(const QString& root, const QString& name, int type) {
        m_drives.append({root, name});
        m_types.insert(root, type);
    }

    QList<Drive> list() override { return m_drives; }
    int type(const Drive& drive) override { return m_types.value(drive.root, DriveUnknown); }

private:
    QList<Drive> m_drives;
    QMap<QString, int> m_types;
};

} // namespace quillmere::test
