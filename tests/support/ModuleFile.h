// The file a module was loaded from, for test plug-ins whose behaviour follows their file name.
#pragma once

#include <string>

namespace tarnwell_test {

// File name (without directory) of the module that holds address; "" when unknown.
std::string ModuleFileNameOf(const void* address);

}  // namespace tarnwell_test
