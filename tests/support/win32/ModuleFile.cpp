#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "support/ModuleFile.h"

namespace tarnwell_test {

std::string ModuleFileNameOf(const void* address) {
    HMODULE module = nullptr;
    if (!GetModuleHandleExA(
            GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
            static_cast<LPCSTR>(address), &module))
        return "";
    char path[MAX_PATH] = "";
    const DWORD length = GetModuleFileNameA(module, path, sizeof(path));
    if (length == 0 || length >= sizeof(path)) return "";
    const std::string full(path, length);
    return full.substr(full.find_last_of("\\/") + 1);
}

}  // namespace tarnwell_test
