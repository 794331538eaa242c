#include <sys/stat.h>

#include "support/FileIdentity.h"

namespace tarnwell_test {

bool IdentifyFile(const std::string& path, FileIdentity& identity) {
    struct stat info;
    if (stat(path.c_str(), &info) != 0) return false;
    identity.volume = static_cast<uint64_t>(info.st_dev);
    identity.file = static_cast<uint64_t>(info.st_ino);
    return true;
}

}  // namespace tarnwell_test
