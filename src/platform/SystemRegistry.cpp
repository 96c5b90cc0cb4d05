#include "platform/SystemRegistry.h"

#include <QCoreApplication>
#include <QDir>
#include <QStandardPaths>

namespace quillmere {

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

} // namespace quillmere
