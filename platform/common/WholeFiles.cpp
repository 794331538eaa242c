// Whole-file operations built only on the platform's own file calls.
#include <vector>

#include "platform/Files.h"

namespace platform {

bool AppendToFile(const char* path, const void* data, size_t size) {
    int fd = OpenForAppend(path);
    if (fd < 0) return false;
    bool ok = WriteBytes(fd, data, size);
    CloseFile(fd);
    return ok;
}

bool WriteFileAtomic(const char* path, const void* data, size_t size) {
    AtomicFileWriter writer;
    return writer.Open(path) && writer.Write(data, size) && writer.Commit();
}

bool CopyFile(const char* from, const char* to, bool failIfExists) {
    if (!from || !to) return false;
    if (failIfExists && FileExists(to)) return false;
    std::vector<unsigned char> data;
    if (!ReadWholeFile(from, data)) return false;
    return WriteFileAtomic(to, data.data(), data.size());
}

}  // namespace platform
