#include "ToolFiles.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cstdio>
#include <cstdlib>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <sstream>

#include "StandardStreams.h"
#include "TevAtomicFile.h"

namespace toolfiles {

bool ReadFile(const std::string& path, std::string& bytes) {
    if (path == "-") {
        toolengine::BinaryStream(stdin);
        std::ostringstream all;
        all << std::cin.rdbuf();
        bytes = all.str();
        return !std::cin.bad();
    }
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    // A directory opens, and its first read throws from inside the stream buffer (errno EISDIR):
    // a failed read like any other, not the end of the program.
    try {
        bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    } catch (const std::exception&) {
        return false;
    }
    return !in.bad();
}

std::string TemporaryBeside(const std::string& path) {
    std::string temporary = path + ".vantor-XXXXXX";
    int fd = mkstemp(&temporary[0]);
    if (fd < 0) return "";
    close(fd);
    return temporary;
}

bool ReplaceWith(const std::string& temporary, const std::string& path) {
    // mkstemp creates 0600: a replaced file keeps its permissions, a new one gets the usual ones.
    struct stat existing;
    mode_t mask = umask(0);
    umask(mask);
    mode_t mode = stat(path.c_str(), &existing) == 0 ? existing.st_mode & 07777 : 0666 & ~mask;
    // std::filesystem replaces an existing file on every system (std::rename does not on Windows).
    std::error_code failed;
    bool ok = chmod(temporary.c_str(), mode) == 0;
    if (ok) std::filesystem::rename(temporary, path, failed);
    ok = ok && !failed;
    if (!ok) std::remove(temporary.c_str());
    return ok;
}

bool WriteFile(const std::string& path, const std::string& bytes) {
    if (path == "-") {
        toolengine::BinaryStream(stdout);
        return std::fwrite(bytes.data(), 1, bytes.size(), stdout) == bytes.size() && std::fflush(stdout) == 0;
    }
    // The kernel's writer: synced before the rename, so a crash leaves the old file or the new.
    TevAtomicFile file;
    return file.Open(path.c_str()) && file.Write(bytes.data(), bytes.size()) && file.Commit();
}

}  // namespace toolfiles
