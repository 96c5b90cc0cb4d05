#include "platform/IniRegistry.h"
#include "platform/SystemRegistry.h"

namespace quillmere {

std::unique_ptr<Registry> openSystemRegistry(const QString& fileOption) {
    return std::make_unique<IniRegistry>(registryFile(fileOption), installedRegistryFiles());
}

} // namespace quillmere
