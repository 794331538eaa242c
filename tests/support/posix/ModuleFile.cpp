#include <dlfcn.h>

#include "support/ModuleFile.h"

namespace tarnwell_test {

std::string ModuleFileNameOf(const void* address) {
    Dl_info info;
    if (!dladdr(address, &info) || !info.dli_fname) return "";
    const std::string path = info.dli_fname;
    return path.substr(path.find_last_of('/') + 1);
}

}  // namespace tarnwell_test
