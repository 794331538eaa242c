// Which libraries a module file needs that the loader cannot find (private to platform/win32):
// the system's text for a missing dependency names none, so the layer finds it itself.
#pragma once

#include <string>
#include <vector>

namespace platform {

// The modules the file imports that are neither loaded nor found by the loader's search, in
// the file's order; none when the file cannot be read or is no module.
std::vector<std::string> MissingImports(const std::string& file);

}  // namespace platform
