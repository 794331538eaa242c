#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include <algorithm>

#include "support/TestModules.h"

namespace tarnwell_test {

namespace {

// The loader wants the system's separator.
std::string NativePath(std::string path) {
    std::replace(path.begin(), path.end(), '/', '\\');
    return path;
}

std::string LastErrorText() {
    const DWORD code = GetLastError();
    char text[512] = "";
    const DWORD length = FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                                        code, 0, text, sizeof(text), nullptr);
    return "error " + std::to_string(code) + (length ? std::string(": ") + text : std::string());
}

}  // namespace

HINSTANCE OpenModule(const std::string& path, std::string* reason) {
    HMODULE module = LoadLibraryA(NativePath(path).c_str());
    if (!module && reason) *reason = LastErrorText();
    return reinterpret_cast<HINSTANCE>(module);
}

void* ModuleSymbol(HINSTANCE module, const char* name) {
    return reinterpret_cast<void*>(GetProcAddress(reinterpret_cast<HMODULE>(module), name));
}

void CloseModule(HINSTANCE module) {
    if (module) FreeLibrary(reinterpret_cast<HMODULE>(module));
}

bool IsModuleLoaded(const std::string& path) { return GetModuleHandleA(NativePath(path).c_str()) != nullptr; }

}  // namespace tarnwell_test
