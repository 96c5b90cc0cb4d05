#include "platform/SystemRegistry.h"

#include "platform/IniRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>
#include <utility>
#ifdef Q_OS_WIN
#include "platform/WindowsRegistry.h"
#endif

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

QCommandLineOption registryOption() {
    return QCommandLineOption(
        QStringLiteral("registry"),
        QStringLiteral("The INI file that holds the settings (default: $QUILLMERE_REGISTRY, "
                       "else registry.ini in the user's configuration folder)."),
        QStringLiteral("FILE"));
}

QString registryFile(const QString& fileOption) {
    if (!fileOption.isEmpty())
        return fileOption;
    const QString fromEnvironment = qEnvironmentVariable(registryVariable);
    if (!fromEnvironment.isEmpty())
        return fromEnvironment;
    // Shared by the desktop program and the command-line tool, so not per application name.
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/quillmere/registry.ini");
}

QStringList installedRegistryFiles() {
    return {QDir::cleanPath(QCoreApplication::applicationDirPath() +
                            QStringLiteral("/../share/quillmere/registry.ini")),
            QStringLiteral("/etc/quillmere/registry.ini")};
}

std::unique_ptr<Registry> openSystemRegistry(const QString& fileOption) {
#ifdef Q_OS_WIN
    if (fileOption.isEmpty() && qEnvironmentVariableIsEmpty(registryVariable))
        return std::make_unique<WindowsRegistry>();
#endif
    const QString file = registryFile(fileOption);
    if (fileOption.isEmpty() && qEnvironmentVariableIsEmpty(registryVariable)) {
        if (QString reason = whyNotTheUsersFile(file); !reason.isEmpty())
            return std::make_unique<RefusedRegistry>(std::move(reason));
    }
    return std::make_unique<IniRegistry>(file, installedRegistryFiles());
}

} // namespace quillmere
