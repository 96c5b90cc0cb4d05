#pragma once

#include "platform/Registry.h"

#include <QCommandLineOption>
#include <QStringList>
#include <memory>

namespace quillmere {

// The name of the environment variable that names the INI file standing in for the registry.
inline constexpr char registryVariable[] = "QUILLMERE_REGISTRY";

// The settings store of this machine. On Windows: the registry itself. Elsewhere: the INI file
// named by fileOption (the --registry option), else by the environment variable
// QUILLMERE_REGISTRY, else registry.ini in the user's configuration folder (quillmere/), with
// the installation's read-only files as fallbacks for reads.
std::unique_ptr<Registry> openSystemRegistry(const QString& fileOption);

// The --registry FILE option that both programs take.
QCommandLineOption registryOption();

// The INI file that openSystemRegistry uses off Windows.
QString registryFile(const QString& fileOption);

// Read-only files an installation may provide, such as the installPath recorded by a package:
// <prefix>/share/quillmere/registry.ini beside the installed program, then
// /etc/quillmere/registry.ini.
QStringList installedRegistryFiles();

} // namespace quillmere
