#include "platform/Registry.h"

#include <cstdlib>
#include <string>

#include "platform/common/FileRegistry.h"

namespace platform {

struct RegistryKey {
    fileregistry::Key store;
};

namespace {

constexpr long kInvalidParameter = 87;

std::string RegistryDirectory() {
    if (const char* dir = std::getenv("TARNWELL_REGISTRY_DIR"); dir && *dir) return dir;
    if (const char* config = std::getenv("XDG_CONFIG_HOME"); config && *config)
        return std::string(config) + "/vantor-registry";
    const char* home = std::getenv("HOME");
    return std::string(home && *home ? home : ".") + "/.config/vantor-registry";
}

long OpenKey(const char* subKey, RegistryKey** key, bool create) {
    if (!subKey || !key) return kInvalidParameter;
    *key = nullptr;
    fileregistry::Key store;
    long result = fileregistry::OpenKey(RegistryDirectory(), subKey, create, store);
    if (result == 0) *key = new RegistryKey{store};
    return result;
}

}  // namespace

long RegOpenKey(const char* subKey, RegistryKey** key) { return OpenKey(subKey, key, false); }

long RegCreateKey(const char* subKey, RegistryKey** key) { return OpenKey(subKey, key, true); }

long RegQueryValue(RegistryKey* key, const char* valueName, uint32_t* type, char* data, uint32_t* size) {
    if (!key) return kInvalidParameter;
    return fileregistry::QueryValue(key->store, valueName, type, data, size);
}

long RegSetValue(RegistryKey* key, const char* valueName, uint32_t type, const char* data, uint32_t size) {
    if (!key) return kInvalidParameter;
    return fileregistry::SetValue(key->store, valueName, type, data, size);
}

long RegCloseKey(RegistryKey* key) {
    delete key;
    return 0;
}

}  // namespace platform
