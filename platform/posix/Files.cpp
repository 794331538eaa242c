#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Text.h"

namespace platform {

namespace {

// Temporary name beside the target, so the final rename stays on one file system.
int CreateTemporaryBeside(const std::string& target, std::string& tempName) {
    tempName = target + ".tmpXXXXXX";
    std::vector<char> pattern(tempName.begin(), tempName.end());
    pattern.push_back('\0');
    int fd = mkstemp(pattern.data());
    tempName = pattern.data();
    if (fd >= 0) fchmod(fd, 0644);  // mkstemp makes 0600; keep files as readable as normal ones
    return fd;
}

}  // namespace

void ToNativePath(char* path) {
    for (char* p = path; p && *p; ++p)
        if (*p == '\\') *p = '/';
}

bool ToNativePath(const char* path, char* out, size_t size) {
    bool fits = CopyText(out, size, path ? path : "");
    if (out && size) ToNativePath(out);
    return fits;
}

std::string ToNativePath(const char* path) {
    std::string out = path ? path : "";
    std::replace(out.begin(), out.end(), '\\', '/');
    return out;
}

int OpenForAppend(const char* path) {
    if (!path) return -1;
    // Opened without blocking (a FIFO without a reader would wait for ever) and kept only
    // when it is a regular file, which then is written as usual.
    int fd = open(ToNativePath(path).c_str(), O_WRONLY | O_CREAT | O_APPEND | O_CLOEXEC | O_NONBLOCK, 0644);
    if (fd < 0) return -1;
    struct stat info;
    if (fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        close(fd);
        return -1;
    }
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool WriteBytes(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = write(fd, p, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return false;
        p += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void CloseFile(int fd) {
    if (fd >= 0) close(fd);
}

bool AppendToFile(const char* path, const void* data, size_t size) {
    int fd = OpenForAppend(path);
    if (fd < 0) return false;
    bool ok = WriteBytes(fd, data, size);
    CloseFile(fd);
    return ok;
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>& out) {
    out.clear();
    if (!path) return false;
    // Without blocking: opening a FIFO or a device for reading may wait for ever. Only
    // regular files are read, where the flag changes nothing.
    int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return false;
    struct stat info;
    bool ok = fstat(fd, &info) == 0 && S_ISREG(info.st_mode);
    unsigned char chunk[65536];
    while (ok) {
        ssize_t count = read(fd, chunk, sizeof chunk);
        if (count < 0 && errno == EINTR) continue;
        if (count < 0) ok = false;
        if (count <= 0) break;
        out.insert(out.end(), chunk, chunk + count);
    }
    close(fd);
    if (!ok) out.clear();
    return ok;
}

bool WriteFileAtomic(const char* path, const void* data, size_t size) {
    AtomicFileWriter writer;
    return writer.Open(path) && writer.Write(data, size) && writer.Commit();
}

AtomicFileWriter::~AtomicFileWriter() { Abort(); }

bool AtomicFileWriter::Open(const char* path) {
    Abort();
    if (!path || !*path) return false;
    target_ = ToNativePath(path);
    fd_ = CreateTemporaryBeside(target_, temp_);
    failed_ = fd_ < 0;
    return fd_ >= 0;
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (fd_ < 0 || failed_) return false;
    if (!WriteBytes(fd_, data, size)) failed_ = true;
    return !failed_;
}

bool AtomicFileWriter::Commit() {
    if (fd_ < 0) return false;
    bool ok = !failed_ && fsync(fd_) == 0;
    ok = (close(fd_) == 0) && ok;
    fd_ = -1;
    ok = ok && std::rename(temp_.c_str(), target_.c_str()) == 0;
    if (!ok) unlink(temp_.c_str());
    temp_.clear();
    return ok;
}

void AtomicFileWriter::Abort() {
    if (fd_ < 0) return;
    close(fd_);
    fd_ = -1;
    unlink(temp_.c_str());
    temp_.clear();
}

uint32_t GetFileAttributes(const char* path) {
    if (!path || !*path) return kFileAttributesInvalid;
    std::string native = ToNativePath(path);
    struct stat info;
    if (stat(native.c_str(), &info) != 0) return kFileAttributesInvalid;
    uint32_t attributes = 0;
    if (S_ISDIR(info.st_mode)) attributes |= kFileAttributeDirectory;
    // Read-only like the Windows attribute: no write permission bit, whoever asks (even root),
    // or no write access for this process.
    if ((info.st_mode & 0222) == 0 || access(native.c_str(), W_OK) != 0) attributes |= kFileAttributeReadOnly;
    return attributes ? attributes : kFileAttributeNormal;
}

// The same answer as GetFileAttributes without its write-access test: one call, which the
// start-up makes for every cached plug-in.
bool FileExists(const char* path) {
    struct stat info;
    return path && *path && stat(ToNativePath(path).c_str(), &info) == 0;
}

bool IsDirectory(const char* path) {
    uint32_t attributes = GetFileAttributes(path);
    return attributes != kFileAttributesInvalid && (attributes & kFileAttributeDirectory);
}

bool IsRegularFile(const char* path) {
    struct stat info;
    return path && *path && stat(ToNativePath(path).c_str(), &info) == 0 && S_ISREG(info.st_mode);
}

bool IsSameFile(const char* a, const char* b) {
    struct stat infoA, infoB;
    if (!a || !b || stat(ToNativePath(a).c_str(), &infoA) != 0 || stat(ToNativePath(b).c_str(), &infoB) != 0)
        return false;
    return infoA.st_dev == infoB.st_dev && infoA.st_ino == infoB.st_ino;
}

bool IsReadOnly(const char* path) {
    uint32_t attributes = GetFileAttributes(path);
    return attributes != kFileAttributesInvalid && (attributes & kFileAttributeReadOnly);
}

size_t GetCurrentDirectory(char* buffer, size_t size) {
    std::vector<char> dir(4096);
    while (!getcwd(dir.data(), dir.size())) {
        if (errno != ERANGE) return 0;
        dir.resize(dir.size() * 2);
    }
    size_t length = std::strlen(dir.data());
    if (!buffer || length + 1 > size) {
        if (buffer && size) buffer[0] = '\0';
        return length + 1;
    }
    std::memcpy(buffer, dir.data(), length + 1);
    return length;
}

bool SetCurrentDirectory(const char* path) { return path && chdir(ToNativePath(path).c_str()) == 0; }

bool ListDirectory(const char* dir, std::vector<std::string>& names) {
    names.clear();
    if (!dir) return false;
    DIR* stream = opendir(ToNativePath(dir).c_str());
    if (!stream) return false;
    while (dirent* entry = readdir(stream)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        names.emplace_back(entry->d_name);
    }
    closedir(stream);
    std::sort(names.begin(), names.end());
    return true;
}

bool ListExistingEntries(const char* dir, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    if (!dir) return false;
    const std::string native = ToNativePath(dir);
    DIR* stream = opendir(native.c_str());
    if (!stream) return false;
    while (dirent* entry = readdir(stream)) {
        if (std::strcmp(entry->d_name, ".") == 0 || std::strcmp(entry->d_name, "..") == 0) continue;
        bool regular = entry->d_type == DT_REG;
        if (entry->d_type == DT_LNK || entry->d_type == DT_UNKNOWN) {
            struct stat info;
            if (stat((native + "/" + entry->d_name).c_str(), &info) != 0) continue;
            regular = S_ISREG(info.st_mode);
        }
        entries.push_back(DirectoryEntry{entry->d_name, regular});
    }
    closedir(stream);
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return true;
}

bool CopyFile(const char* from, const char* to, bool failIfExists) {
    if (!from || !to) return false;
    if (failIfExists && FileExists(to)) return false;
    std::vector<unsigned char> data;
    if (!ReadWholeFile(from, data)) return false;
    return WriteFileAtomic(to, data.data(), data.size());
}

bool RemoveFile(const char* path) { return path && unlink(ToNativePath(path).c_str()) == 0; }

bool MakeDirectories(const char* path) {
    if (!path || !*path) return false;
    std::string native = ToNativePath(path);
    for (size_t slash = native.find('/', 1); slash != std::string::npos; slash = native.find('/', slash + 1))
        mkdir(native.substr(0, slash).c_str(), 0755);
    mkdir(native.c_str(), 0755);
    return IsDirectory(native.c_str());
}

}  // namespace platform
