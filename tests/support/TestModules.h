// Modules (plug-ins) opened by the tests themselves, beside the engine's own loading.
#pragma once

#include <string>

#include "TarnwellTypes.h"

namespace tarnwell_test {

// The module at path, every symbol bound at once; NULL with the loader's text in reason.
HINSTANCE OpenModule(const std::string& path, std::string* reason = nullptr);
// An exported symbol, or NULL.
void* ModuleSymbol(HINSTANCE module, const char* name);
// Drops the reference OpenModule took.
void CloseModule(HINSTANCE module);
// Whether the module at path is in the process now; never loads it.
bool IsModuleLoaded(const std::string& path);

}  // namespace tarnwell_test
