#pragma once

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

namespace quillmere::test {

// A temporary folder with helpers to write and read files byte for byte.
class TempFolder final {
public:
    QString path() const { return m_dir.path(); }
    QString filePath(const QString& name) const { return m_dir.filePath(name); }
    QString subfolder(const QString& name) const; // created when missing
    void write(const QString& name, const QByteArray& bytes) const;
    QByteArray read(const QString& name) const;
    bool exists(const QString& name) const;

private:
    QTemporaryDir m_dir;
};

} // namespace quillmere::test
