// The registry below HKEY_LOCAL_MACHINE. On Windows it is the system's registry, unless
// TARNWELL_REGISTRY_DIR names a directory (tests, headless runs): then, as always on other
// systems, a stand-in keeps string values in plain files below that directory (default
// elsewhere: $XDG_CONFIG_HOME, else ~/.config, followed by /vantor-registry). One file per key,
// key and value names compare ignoring ASCII case, and every write replaces the key file
// atomically.
#pragma once

#include <cstddef>
#include <cstdint>

namespace platform {

struct RegistryKey;  // an open key

constexpr uint32_t REG_NONE = 0;
constexpr uint32_t REG_SZ = 1;

// Results are Win32 error numbers: 0 success, 2 no such key or value, 87 bad argument,
// 234 data does not fit (size then holds the size needed), 5 storage could not be written
// (on Windows also: the key below HKEY_LOCAL_MACHINE needs administrator rights).

// Opens an existing key (RegOpenKeyExA on HKEY_LOCAL_MACHINE).
long RegOpenKey(const char* subKey, RegistryKey** key);
// Opens a key, creating it when absent (RegCreateKeyExA).
long RegCreateKey(const char* subKey, RegistryKey** key);
// Reads a value (RegQueryValueExA). type may be NULL; data may be NULL to ask for the size.
// *size is the buffer size on entry and the stored size, terminator included, on return.
long RegQueryValue(RegistryKey* key, const char* valueName, uint32_t* type, char* data, uint32_t* size);
// Writes a string value (RegSetValueExA with REG_SZ): the first `size` bytes of data up to
// the first zero are stored, so a value is always terminated whether or not size counted it.
long RegSetValue(RegistryKey* key, const char* valueName, uint32_t type, const char* data, uint32_t size);
// Closes the key (RegCloseKey); NULL is accepted.
long RegCloseKey(RegistryKey* key);

}  // namespace platform
