#include "support/UnwritableDirectory.h"

#include <sched.h>
#include <sys/mount.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace tarnwell_test {

// Root writes into any directory whatever its mode, so for root the directory is made
// unwritable by a read-only bind mount of it, in a mount namespace of this thread's own.
int MakeDirectoryUnwritable(const std::string& dir, std::string& why) {
    if (geteuid() != 0) {
        chmod(dir.c_str(), 0555);
        return EACCES;
    }
    if (unshare(CLONE_NEWNS) != 0) {
        why = std::string("running as root and unshare(CLONE_NEWNS) failed: ") + std::strerror(errno);
        return 0;
    }
    if (mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
        mount(dir.c_str(), dir.c_str(), nullptr, MS_BIND, nullptr) != 0 ||
        mount(nullptr, dir.c_str(), nullptr, MS_REMOUNT | MS_BIND | MS_RDONLY, nullptr) != 0) {
        why = std::string("running as root and a read-only bind mount failed: ") + std::strerror(errno);
        return 0;
    }
    return EROFS;
}

void ReleaseUnwritableDirectory(const std::string& dir) {
    if (geteuid() == 0) umount2(dir.c_str(), MNT_DETACH);
}

}  // namespace tarnwell_test
