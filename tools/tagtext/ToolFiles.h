// Whole-file reading and all-or-nothing writing for the command-line tools.
#pragma once

#include <string>

namespace toolfiles {

// The whole file; "-" reads standard input.
bool ReadFile(const std::string& path, std::string& bytes);

// Through the kernel's TevAtomicFile: a temporary beside the target, synced and renamed over it,
// so a failed write or a crash never leaves half a file; "-" writes standard output. A replaced
// file keeps its permissions, a new one gets the usual ones; a read-only target is refused.
bool WriteFile(const std::string& path, const std::string& bytes);

// For output another program writes: an empty temporary file beside `path` (empty result on
// failure), then ReplaceWith renames it over `path` with the permissions WriteFile gives.
std::string TemporaryBeside(const std::string& path);
bool ReplaceWith(const std::string& temporary, const std::string& path);

}  // namespace toolfiles
