#include "platform/Module.h"

#include <dlfcn.h>
#include <link.h>

#include <atomic>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/Environment.h"
#include "platform/Files.h"
#include "platform/common/PathSearch.h"

namespace platform {

namespace {

// Win32-like number for a failed dlopen of `file`, read from the loader's text.
uint32_t ClassifyLoadFailure(const char* text, const char* file, bool fileFound) {
    if (!text) return kErrorBadExeFormat;
    size_t fileLength = std::strlen(file);
    bool namesFile = std::strncmp(text, file, fileLength) == 0 && text[fileLength] == ':';
    if (std::strstr(text, "cannot open shared object file")) {
        if (!namesFile) return kErrorModNotFound;  // a module it depends on is missing
        return fileFound ? kErrorAccessDenied : kErrorFileNotFound;
    }
    if (std::strstr(text, "undefined symbol")) return kErrorProcNotFound;
    return kErrorBadExeFormat;  // not an ELF object, or one for another machine
}

HINSTANCE Open(const char* file, bool fileFound) {
    dlerror();
    void* handle = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (handle) {
        SetLastError(kErrorSuccess);
        return static_cast<HINSTANCE>(handle);
    }
    const char* text = dlerror();
    SetLastError(ClassifyLoadFailure(text, file, fileFound), text);
    return nullptr;
}

std::atomic<void (*)(HINSTANCE)> unloadWatcher{nullptr};

// The file the loader knows the module by; empty for the program itself or when unknown.
std::string LoadedName(HINSTANCE module) {
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name) return std::string();
    return map->l_name;
}

// The handle of the loaded module of that name without a reference more, or NULL.
HINSTANCE LoadedHandle(const std::string& name) {
    if (name.empty()) return nullptr;
    void* handle = dlopen(name.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (handle) dlclose(handle);  // only the reference the probe took
    return static_cast<HINSTANCE>(handle);
}

}  // namespace

HINSTANCE LoadModule(const char* fileName) {
    if (!fileName || !*fileName) {
        SetLastError(kErrorInvalidParameter, "no module name given");
        return nullptr;
    }
    if (HasDirectoryPart(fileName)) {
        std::string path = ToNativePath(fileName);
        if (!FileExists(path.c_str())) {
            SetLastError(kErrorFileNotFound, (path + ": no such file").c_str());
            return nullptr;
        }
        return Open(path.c_str(), true);
    }
    std::string found = FindOnPath(fileName);
    if (!found.empty()) return Open(found.c_str(), true);
    // Nowhere on "PATH": the system's own search (loaded modules, the loader's directories).
    return Open(fileName, false);
}

void* GetSymbol(HINSTANCE module, const char* name) {
    if (!module || !name) {
        SetLastError(kErrorInvalidParameter, "no module or symbol name given");
        return nullptr;
    }
    dlerror();
    void* address = dlsym(module, name);
    if (!address) {
        const char* text = dlerror();
        SetLastError(kErrorProcNotFound, text ? text : (std::string(name) + ": symbol is NULL").c_str());
        return nullptr;
    }
    return address;
}

HINSTANCE ReferenceModule(HINSTANCE module) {
    if (!module) return nullptr;
    link_map* map = nullptr;
    if (dlinfo(module, RTLD_DI_LINKMAP, &map) != 0 || !map || !map->l_name || !*map->l_name) return nullptr;
    // Opening a loaded module again only counts one more reference.
    return static_cast<HINSTANCE>(dlopen(map->l_name, RTLD_NOW | RTLD_NOLOAD));
}

bool FreeModule(HINSTANCE module) {
    if (!module) {
        SetLastError(kErrorInvalidParameter, "no module given");
        return false;
    }
    void (*watcher)(HINSTANCE) = unloadWatcher.load();
    // Asked first: after the last reference the handle may no longer be read.
    const std::string name = watcher ? LoadedName(module) : std::string();
    if (dlclose(module) != 0) {
        const char* text = dlerror();
        SetLastError(kErrorInvalidParameter, text);
        return false;
    }
    if (watcher && !name.empty() && !LoadedHandle(name)) watcher(module);
    return true;
}

void WatchModuleUnloads(void (*unloaded)(HINSTANCE module)) { unloadWatcher.store(unloaded); }

// A module's virtual tables and function pointers hold another module's functions themselves.
const void* FunctionBehindStub(const void* code) { return code; }

bool ModuleContains(HINSTANCE module, const void* address) {
    if (!module || !address) return false;
    Dl_info info;
    link_map* owner = nullptr;
    if (!dladdr1(address, &info, reinterpret_cast<void**>(&owner), RTLD_DL_LINKMAP) || !owner ||
        !owner->l_name)
        return false;
    return LoadedHandle(owner->l_name) == module;
}

}  // namespace platform
