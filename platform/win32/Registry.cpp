#include "platform/Registry.h"

#include <cstdlib>
#include <string>

#include "platform/common/FileRegistry.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

// A key of the system's registry, or of the file-backed store when that one is in use.
struct RegistryKey {
    HKEY system = nullptr;
    fileregistry::Key store;
};

namespace {

constexpr long kSuccess = 0;
constexpr long kAccessDenied = 5;
constexpr long kInvalidParameter = 87;
constexpr char kRegistryDirectoryVariable[] = "TARNWELL_REGISTRY_DIR";

// Tests and headless runs name a directory here and never touch the machine's registry.
std::string StoreDirectory() {
    const char* dir = std::getenv(kRegistryDirectoryVariable);
    return dir && *dir ? dir : "";
}

long OpenStoreKey(const std::string& dir, const char* subKey, RegistryKey** key, bool create) {
    fileregistry::Key store;
    long result = fileregistry::OpenKey(dir, subKey, create, store);
    if (result == kSuccess) *key = new RegistryKey{nullptr, store};
    return result;
}

// Read and write when allowed; an existing key that only an administrator may change still
// opens for reading (a write through it then answers 5).
long OpenSystemKey(const char* subKey, RegistryKey** key, bool create) {
    HKEY system = nullptr;
    long result = create ? RegCreateKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                                           KEY_READ | KEY_WRITE, nullptr, &system, nullptr)
                         : RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ | KEY_WRITE, &system);
    if (result == kAccessDenied && !create)
        result = RegOpenKeyExA(HKEY_LOCAL_MACHINE, subKey, 0, KEY_READ, &system);
    if (result == kSuccess) *key = new RegistryKey{system, fileregistry::Key()};
    return result;
}

long OpenKey(const char* subKey, RegistryKey** key, bool create) {
    if (!subKey || !key) return kInvalidParameter;
    *key = nullptr;
    const std::string dir = StoreDirectory();
    return dir.empty() ? OpenSystemKey(subKey, key, create) : OpenStoreKey(dir, subKey, key, create);
}

// Another writer may have stored a string without its terminator: it is added when there is
// room, else the caller is asked for a byte more.
long Terminate(char* data, uint32_t capacity, DWORD& stored) {
    if (stored > 0 && data[stored - 1] == '\0') return kSuccess;
    if (stored < capacity) {
        data[stored++] = '\0';
        return kSuccess;
    }
    ++stored;
    return ERROR_MORE_DATA;
}

long QuerySystemValue(HKEY system, const char* valueName, uint32_t* type, char* data, uint32_t* size) {
    DWORD storedType = REG_NONE;
    DWORD stored = data ? *size : 0;
    long result = RegQueryValueExA(system, valueName, nullptr, &storedType, reinterpret_cast<BYTE*>(data),
                                   size ? &stored : nullptr);
    if (type) *type = storedType;
    if (result == kSuccess && data && storedType == REG_SZ) result = Terminate(data, *size, stored);
    if (size && (result == kSuccess || result == ERROR_MORE_DATA)) *size = stored;
    return result;
}

}  // namespace

long RegOpenKey(const char* subKey, RegistryKey** key) { return OpenKey(subKey, key, false); }

long RegCreateKey(const char* subKey, RegistryKey** key) { return OpenKey(subKey, key, true); }

long RegQueryValue(RegistryKey* key, const char* valueName, uint32_t* type, char* data, uint32_t* size) {
    if (!key || (data && !size)) return kInvalidParameter;
    if (!key->system) return fileregistry::QueryValue(key->store, valueName, type, data, size);
    return QuerySystemValue(key->system, valueName, type, data, size);
}

long RegSetValue(RegistryKey* key, const char* valueName, uint32_t type, const char* data, uint32_t size) {
    if (!key || type != REG_SZ || (!data && size)) return kInvalidParameter;
    if (!key->system) return fileregistry::SetValue(key->store, valueName, type, data, size);
    // Stored up to the first zero and always terminated, as the store does.
    std::string text = data ? std::string(data, strnlen(data, size)) : std::string();
    return RegSetValueExA(key->system, valueName, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                          static_cast<DWORD>(text.size() + 1));
}

long RegCloseKey(RegistryKey* key) {
    if (!key) return kSuccess;
    long result = key->system ? ::RegCloseKey(key->system) : kSuccess;
    delete key;
    return result;
}

}  // namespace platform
