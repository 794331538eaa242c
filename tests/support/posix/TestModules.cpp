#include <dlfcn.h>

#include "support/TestModules.h"

namespace tarnwell_test {

HINSTANCE OpenModule(const std::string& path, std::string* reason) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!module && reason) {
        const char* text = dlerror();
        *reason = text ? text : "?";
    }
    return static_cast<HINSTANCE>(module);
}

void* ModuleSymbol(HINSTANCE module, const char* name) { return dlsym(module, name); }

void CloseModule(HINSTANCE module) {
    if (module) dlclose(module);
}

bool IsModuleLoaded(const std::string& path) {
    void* module = dlopen(path.c_str(), RTLD_NOW | RTLD_NOLOAD);
    if (module) dlclose(module);
    return module != nullptr;
}

}  // namespace tarnwell_test
