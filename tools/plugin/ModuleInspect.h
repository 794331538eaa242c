// What a plug-in module shows before any engine is asked: whether the system loader takes it
// (and why not), its entry points, its class layout stamp and its type record.
#pragma once

#include <string>
#include <vector>

#include "ChannelType.h"

namespace plugintool {

struct ModuleInspection {
    bool loaded = false;
    bool hasInitDll = false;
    bool hasGetType = false;
    bool hasStamp = false;
    int stamp = 0;         // the layout the module was built for, when it has a stamp
    bool hasType = false;  // GetType answered a record
    ChannelType type;
    std::vector<std::string> faults;  // one line each, in the order found
};

// Loads the module at `path` (RTLD_NOW, as the kernel), reads what it exports and frees it.
ModuleInspection InspectModule(const std::string& path);

// A module path as the kernel stores it ('\\' before the file name) in the system's form.
std::string StoredModulePath(const char* stored);

}  // namespace plugintool
