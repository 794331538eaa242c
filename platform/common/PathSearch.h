// How both module loaders look for a module named without a directory (private to the platform
// layer).
#pragma once

#include <string>

namespace platform {

// Whether the name holds a directory part ('\\' or '/').
bool HasDirectoryPart(const char* name);
// The first directory of "PATH" (in order) that holds `name` as a file, in the system's form;
// "" when none does. Empty entries (the current directory) are passed over.
std::string FindOnPath(const char* name);

}  // namespace platform
