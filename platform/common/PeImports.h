// The names of the modules a Windows module file imports, read from its bytes (private to the
// platform layer). Logic without OS calls: the Windows loader uses it to say which library a
// module that does not load is missing.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

namespace platform {

// The import table's module names in the file's order. The bytes may be anything: what lies
// outside them, or is no module file, ends the reading early (no names for no module).
std::vector<std::string> PeImportedModules(const unsigned char* bytes, size_t size);

}  // namespace platform
