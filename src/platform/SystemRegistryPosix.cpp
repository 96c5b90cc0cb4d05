#include "platform/IniRegistry.h"
#include "platform/SystemRegistry.h"

#include <QDir>
#include <utility>

namespace quillmere {

namespace {

// A store that must not be used, which says why whenever it is asked.
class RefusedRegistry final : public Registry {
public:
    explicit RefusedRegistry(QString reason)
        : m_reason(std::move(reason)) {}
    std::optional<QString> read(const QString&) override { return std::nullopt; }
    bool write(const QString&, const QString&) override { return false; }
    bool remove(const QString&) override { return false; }
    QString problem() override { return m_reason; }
    QString writeFailure() const override { return m_reason; }

private:
    QString m_reason;
};

// Without HOME (a service, a cron job with a bare environment) the user's configuration folder
// would be /.config: no user's file, and whichever one stood there would be read unseen.
QString whyNotTheUsersFile(const QString& file) {
    if (QDir::isAbsolutePath(qEnvironmentVariable("XDG_CONFIG_HOME")) ||
        QDir::isAbsolutePath(qEnvironmentVariable("HOME")))
        return QString();
    return QStringLiteral("Cannot use the settings file %1: HOME is not set, so there is no "
                          "user's configuration folder; give --registry FILE or set %2")
        .arg(QDir::toNativeSeparators(QDir::cleanPath(file)), QLatin1String(registryVariable));
}

} // namespace

std::unique_ptr<Registry> openSystemRegistry(const QString& fileOption) {
    const QString file = registryFile(fileOption);
    if (fileOption.isEmpty() && qEnvironmentVariableIsEmpty(registryVariable)) {
        if (QString reason = whyNotTheUsersFile(file); !reason.isEmpty())
            return std::make_unique<RefusedRegistry>(std::move(reason));
    }
    return std::make_unique<IniRegistry>(file, installedRegistryFiles());
}

} // namespace quillmere
