// Opens a plug-in module as the system's loader does, with the system's own calls: the check
// must not lean on the kernel's platform layer it is checking the plug-in against.
#pragma once

#include <string>

namespace packagecheck {

// The loaded module, or NULL with the system's reason in `error`.
void* OpenModule(const char* file, std::string& error);
// The exported symbol of that name, or NULL.
void* ModuleSymbol(void* module, const char* name);
void CloseModule(void* module);

}  // namespace packagecheck
