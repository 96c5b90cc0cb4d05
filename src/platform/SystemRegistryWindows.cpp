#include "platform/IniRegistry.h"
#include "platform/SystemRegistry.h"
#include "platform/WindowsRegistry.h"

namespace quillmere {

std::unique_ptr<Registry> openSystemRegistry(const QString& fileOption) {
    if (fileOption.isEmpty() && qEnvironmentVariableIsEmpty(registryVariable))
        return std::make_unique<WindowsRegistry>();
    return std::make_unique<IniRegistry>(registryFile(fileOption), installedRegistryFiles());
}

} // namespace quillmere
