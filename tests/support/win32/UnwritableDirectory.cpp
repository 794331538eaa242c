#include "support/UnwritableDirectory.h"

namespace tarnwell_test {

// The read-only attribute of a directory does not keep files out of it.
int MakeDirectoryUnwritable(const std::string&, std::string& why) {
    why = "Windows has no directory that refuses new files to its owner";
    return 0;
}

void ReleaseUnwritableDirectory(const std::string&) {}

}  // namespace tarnwell_test
