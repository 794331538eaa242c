// The file-backed registry store (private to the platform layer): string values kept in plain
// files below one directory, one file per key. Key and value names compare ignoring ASCII
// case, and every write replaces the key file atomically. Results are the Win32 numbers of
// platform/Registry.h.
#pragma once

#include <cstdint>
#include <string>

namespace platform {
namespace fileregistry {

struct Key {
    std::string file;  // the key's storage file
};

// Opens (or with create, creates) the key subKey below directory dir.
long OpenKey(const std::string& dir, const char* subKey, bool create, Key& key);
long QueryValue(const Key& key, const char* valueName, uint32_t* type, char* data, uint32_t* size);
long SetValue(const Key& key, const char* valueName, uint32_t type, const char* data, uint32_t size);

}  // namespace fileregistry
}  // namespace platform
