#include "PluginModule.h"

#include <dlfcn.h>

namespace packagecheck {

void* OpenModule(const char* file, std::string& error) {
    void* module = dlopen(file, RTLD_NOW | RTLD_LOCAL);
    if (!module) error = dlerror();
    return module;
}

void* ModuleSymbol(void* module, const char* name) { return dlsym(module, name); }

void CloseModule(void* module) { dlclose(module); }

}  // namespace packagecheck
