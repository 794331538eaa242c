#include "platform/Files.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstring>

#include "platform/Text.h"
#include "platform/common/FileFaults.h"

namespace platform {

namespace {

constexpr int kTemporaryAttempts = 100;
constexpr size_t kTemporaryBaseLength = 200;  // keeps the temporary name within NAME_MAX

std::atomic<unsigned> temporaryCounter{0};

// True (errno set) when the call is to fail.
bool Injected(FileCall call) {
    int error = InjectedFileFault(call);
    if (error) errno = error;
    return error != 0;
}

ssize_t WriteOnce(int fd, const void* data, size_t size) {
    bool shortWrite = false;
    if (int error = InjectedFileFault(FileCall::Write, &shortWrite)) {
        errno = error;
        return -1;
    }
    if (shortWrite && size > 1) size /= 2;
    return write(fd, data, size);
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is durable only once the directory entry is on disk.
void SyncDirectory(const std::string& dir) {
    int fd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (fd < 0) return;
    fsync(fd);
    close(fd);
}

// A hidden file beside the target, so the final rename stays on one file system. Created
// with 0666 so the umask applies as to any new file.
int CreateTemporaryBeside(const std::string& target, std::string& tempName) {
    size_t slash = target.rfind('/');
    std::string base =
        target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, kTemporaryBaseLength);
    std::string prefix = DirectoryOf(target) + "/." + base + "." + std::to_string(getpid()) + "-";
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        tempName = prefix + std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        if (Injected(FileCall::Create)) return -1;
        int fd = open(tempName.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0 || errno != EEXIST) return fd;
    }
    return -1;
}

}  // namespace

char NativeSeparator() { return '/'; }

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

int OpenRegularFileForReading(const char* path) {
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    // Without blocking: opening a FIFO or a device for reading may wait for ever. The
    // descriptor itself is checked, so nothing can be swapped in between.
    int fd = open(ToNativePath(path).c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return -1;
    struct stat info;
    const bool known = fstat(fd, &info) == 0;
    if (!known || !S_ISREG(info.st_mode)) {
        const int error = known ? EINVAL : errno;
        close(fd);
        errno = error;
        return -1;
    }
    // A regular file reads the same either way; callers expect ordinary reads.
    fcntl(fd, F_SETFL, fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    return fd;
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>& out) {
    out.clear();
    int fd = OpenRegularFileForReading(path);
    if (fd < 0) return false;
    bool ok = true;
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

AtomicFileWriter::~AtomicFileWriter() { Abort(); }

bool AtomicFileWriter::Fail(int error) {
    if (error_ == 0) error_ = error ? error : EIO;
    return false;
}

bool AtomicFileWriter::Open(const char* path) {
    Abort();
    error_ = 0;
    if (!path || !*path) return Fail(ENOENT);
    target_ = ToNativePath(path);
    struct stat info;
    bool exists = stat(target_.c_str(), &info) == 0;
    // A directory cannot be replaced, and a file marked read-only must not be (the write bits
    // count even for root, like the Windows attribute).
    if (exists && S_ISDIR(info.st_mode)) return Fail(EISDIR);
    if (exists && (info.st_mode & 0222) == 0) return Fail(EACCES);
    if (exists && access(target_.c_str(), W_OK) != 0) return Fail(errno);
    fd_ = CreateTemporaryBeside(target_, temp_);
    if (fd_ < 0) {
        temp_.clear();
        return Fail(errno);
    }
    // A replaced file keeps its permissions.
    if (exists) fchmod(fd_, info.st_mode & 07777);
    return true;
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (fd_ < 0 || error_) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        ssize_t written = WriteOnce(fd_, p, size);
        if (written < 0 && errno == EINTR) continue;
        if (written <= 0) return Fail(written < 0 ? errno : ENOSPC);
        p += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool AtomicFileWriter::Finish() {
    if (fd_ < 0) return finished_ && error_ == 0;
    bool ok = error_ == 0;
    if (ok && (Injected(FileCall::Sync) || fsync(fd_) != 0)) ok = Fail(errno);
    if (close(fd_) != 0 && ok) ok = Fail(errno);
    fd_ = -1;
    finished_ = true;
    return ok;
}

bool AtomicFileWriter::Commit() {
    if (!IsOpen()) return false;
    bool ok = Finish();
    finished_ = false;
    if (ok && (Injected(FileCall::Rename) || std::rename(temp_.c_str(), target_.c_str()) != 0))
        ok = Fail(errno);
    if (ok)
        SyncDirectory(DirectoryOf(target_));
    else
        unlink(temp_.c_str());
    temp_.clear();
    return ok;
}

void AtomicFileWriter::Abort() {
    if (!IsOpen()) return;
    if (fd_ >= 0) close(fd_);
    fd_ = -1;
    finished_ = false;
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
