#include "platform/IniRegistry.h"

#include "platform/LiteralIniFormat.h"
#include "platform/NativeFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRandomGenerator>
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
    QFile device(file);
    QSettings::SettingsMap keys;
    if (!device.open(QIODevice::ReadOnly) || !parseLiteralIni(device.readAll(), keys, nullptr))
        return std::nullopt;
    const auto found = keys.constFind(key);
    if (found == keys.constEnd())
        return std::nullopt;
    return found->toString();
}

// The file a settings file's path names: where its links lead, so that a write replaces that
// file and the link stays.
QString resolved(const QString& file) {
    QString current = file;
    for (int depth = 0; depth < 40 && QFileInfo(current).isSymLink(); ++depth)
        current = QFileInfo(current).symLinkTarget();
    return current;
}

// Writes the new bytes beside the file and renames them over it, with the old file's owner,
// permissions and access list, as a list is saved: root's write keeps a user's file the user's.
// The system's reason when it fails.
QString replaceFile(const QString& file, const QByteArray& bytes) {
    const QString target = resolved(file);
    const QFileInfo info(target);
    // A folder that cannot be made is told by the system's reason for the file.
    QDir().mkpath(info.absolutePath());
    QString reason;
    std::optional<NativeFile> written;
    QString temporary;
    for (int attempt = 0; !written && attempt < 16; ++attempt) {
        temporary = info.absolutePath() + QStringLiteral("/.") + info.fileName() +
                    QStringLiteral(".quillmere-save-") +
                    QString::number(QRandomGenerator::system()->generate64(), 36);
        written = NativeFile::createNew(temporary, reason);
        if (!written && !QFileInfo::exists(temporary))
            break;
    }
    if (!written)
        return reason;
    takeOverProtection(target, *written);
    if (!written->writeAll(std::string_view(bytes.constData(), std::size_t(bytes.size()))) ||
        !written->syncToDisk() || !written->close()) {
        reason = written->reason();
        written.reset();
        QFile::remove(temporary);
        return reason;
    }
    written.reset();
    reason = replaceWith(temporary, target);
    if (!reason.isEmpty())
        QFile::remove(temporary);
    return reason;
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
    return change(fullName, value);
}

bool IniRegistry::remove(const QString& fullName) {
    return change(fullName, std::nullopt);
}

QString IniRegistry::writeFailure() const {
    return m_writeFailure;
}

// Changes the lines of one value and writes the file at once, never over a file that could not
// be read: its unread values would be lost.
bool IniRegistry::change(const QString& fullName, const std::optional<QString>& value) {
    m_writeFailure.clear();
    const QString shown = QDir::toNativeSeparators(m_file);
    if (const QString problem = fileProblem(m_file); !problem.isEmpty()) {
        m_writeFailure = problem;
        return false;
    }
    QByteArray bytes;
    if (QFileInfo::exists(m_file)) {
        QFile device(m_file);
        if (!device.open(QIODevice::ReadOnly)) {
            m_writeFailure = QStringLiteral("Cannot read the settings file %1: %2")
                                 .arg(shown, device.errorString());
            return false;
        }
        bytes = device.readAll();
    } else if (!value) {
        return true;
    }
    QByteArray edited;
    if (!editLiteralIni(bytes, keyOf(fullName), value, edited)) {
        m_writeFailure = QStringLiteral("a settings value is one line");
        return false;
    }
    if (edited == bytes)
        return true;
    if (const QString reason = replaceFile(m_file, edited); !reason.isEmpty()) {
        m_writeFailure = QStringLiteral("Cannot write the settings file %1: %2").arg(shown, reason);
        return false;
    }
    return true;
}

} // namespace quillmere
