#include "FileSaverChannel.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstring>
#include <new>

#include "EngineInterface.h"
#include "FileSaverMessages.h"
#include "foundation/LittleEndian.h"
#include "foundation/TagFormat.h"
#include "plugins/shared/LocalPath.h"

namespace {

constexpr size_t kFlushThreshold = 64 * 1024;
constexpr int kTemporaryAttempts = 100;

std::atomic<unsigned> temporaryCounter{0};

bool WriteAll(int fd, const char* bytes, size_t count) {
    while (count > 0) {
        ssize_t written = write(fd, bytes, count);
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes += written;
        count -= static_cast<size_t>(written);
    }
    return true;
}

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

// The rename is only durable once the directory entry is on disk.
void SyncDirectory(const std::string& dir) {
    int dirFd = open(dir.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dirFd < 0) return;
    fsync(dirFd);
    close(dirFd);
}

bool IsReadOnly(const std::string& path, const struct stat& info) {
    return (info.st_mode & (S_IWUSR | S_IWGRP | S_IWOTH)) == 0 || access(path.c_str(), W_OK) != 0;
}

}  // namespace

FileSaverChannel::FileSaverChannel() : mode(Mode::Idle), fd(-1), failed(false) {}

FileSaverChannel::~FileSaverChannel() { Abandon(); }

void FileSaverChannel::Report(const char* text, const char* detail) {
    if (engineInterface) engineInterface->showErrorMessage(text, detail);
}

// --- opening ---

bool FileSaverChannel::OpenSaveFile(const char* path, bool append) {
    Abandon();
    if (!path || !*path) return false;
    savingName = path;
    target = localpath::ToNative(path);
    struct stat info;
    bool exists = stat(target.c_str(), &info) == 0;
    if (exists && (!S_ISREG(info.st_mode) || IsReadOnly(target, info))) {
        Report(S_ISREG(info.st_mode) ? savermessages::kReadOnly : savermessages::kCantCreate, path);
        return false;
    }
    if (!CreateTemporary(exists ? static_cast<int>(info.st_mode & 07777) : -1)) {
        Report(savermessages::kCantCreate, path);
        return false;
    }
    mode = Mode::File;
    failed = false;
    if (append && exists && !CopyExisting()) {
        Report(savermessages::kCantCreate, path);
        Abandon();
        return false;
    }
    return true;
}

// A hidden file beside the target, so the final rename stays within one file system.
bool FileSaverChannel::CreateTemporary(int existingMode) {
    std::string dir = DirectoryOf(target);
    size_t slash = target.rfind('/');
    // Cut long names so the temporary name stays within the file system's limit.
    std::string base = target.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, 200);
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        temporary = dir + "/." + base + "." + std::to_string(getpid()) + "-" +
                    std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        fd = open(temporary.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd >= 0) break;
        if (errno != EEXIST) break;
    }
    if (fd < 0) {
        temporary.clear();
        return false;
    }
    // A replaced file keeps its permissions; a new one gets the default (0666 less umask).
    if (existingMode >= 0) fchmod(fd, static_cast<mode_t>(existingMode));
    return true;
}

bool FileSaverChannel::CopyExisting() {
    int in = open(target.c_str(), O_RDONLY | O_CLOEXEC);
    if (in < 0) return false;
    char chunk[64 * 1024];
    ssize_t got;
    bool ok = true;
    while (ok && (got = read(in, chunk, sizeof(chunk))) != 0) {
        if (got < 0) {
            ok = errno == EINTR;
            continue;
        }
        ok = WriteAll(fd, chunk, static_cast<size_t>(got));
    }
    close(in);
    return ok;
}

bool FileSaverChannel::OpenMemory() {
    Abandon();
    std::vector<char>().swap(memory);
    savingName.clear();
    mode = Mode::Memory;
    failed = false;
    return true;
}

// --- writing ---

bool FileSaverChannel::Append(const void* bytes, size_t count) {
    if (mode == Mode::Idle || failed) return false;
    if (count == 0) return true;
    const char* p = static_cast<const char*>(bytes);
    try {
        std::vector<char>& into = mode == Mode::Memory ? memory : pending;
        into.insert(into.end(), p, p + count);
    } catch (const std::bad_alloc&) {
        failed = true;
        return false;
    }
    if (mode == Mode::File && pending.size() >= kFlushThreshold) return Flush();
    return true;
}

bool FileSaverChannel::Flush() {
    if (failed) return false;
    if (!WriteAll(fd, pending.data(), pending.size())) {
        failed = true;
        Report(savermessages::kWriteFailed, savingName.c_str());
        return false;
    }
    pending.clear();
    return true;
}

bool FileSaverChannel::SaveTag(const char* tag) {
    if (!tagformat::IsValidTag(tag)) {
        Report(savermessages::kBadTag, tag ? tag : "");
        return false;
    }
    return Append(tag, tagformat::kWordSize);
}

bool FileSaverChannel::SaveBlockSize(unsigned long size) {
    if (size > tagformat::kMaxBlockSize) {
        Report(savermessages::kBlockTooLarge, std::to_string(size).c_str());
        return false;
    }
    unsigned char word[tagformat::kWordSize];
    littleendian::Put32(word, static_cast<uint32_t>(size));
    return Append(word, sizeof(word));
}

bool FileSaverChannel::SaveDataToFile(const void* data, unsigned long size) {
    if (!data && size > 0) return false;
    return Append(data, size);
}

// --- finishing ---

bool FileSaverChannel::Commit() {
    bool ok = Flush() && fsync(fd) == 0;
    ok = close(fd) == 0 && ok;
    fd = -1;
    if (ok && rename(temporary.c_str(), target.c_str()) == 0) {
        temporary.clear();
        SyncDirectory(DirectoryOf(target));
        return true;
    }
    if (!failed) Report(savermessages::kWriteFailed, savingName.c_str());
    unlink(temporary.c_str());
    temporary.clear();
    return false;
}

bool FileSaverChannel::CloseSaveFile() {
    if (mode == Mode::Memory) return CloseMemory();
    if (mode != Mode::File) return false;
    bool ok = Commit();
    mode = Mode::Idle;
    pending.clear();
    failed = false;
    return ok;
}

bool FileSaverChannel::CloseMemory() {
    if (mode != Mode::Memory) return false;
    mode = Mode::Idle;
    bool ok = !failed;
    failed = false;
    return ok;
}

// Drops an unfinished file: the temporary goes, the target is untouched.
void FileSaverChannel::Abandon() {
    if (mode == Mode::File) {
        if (fd >= 0) close(fd);
        fd = -1;
        if (!temporary.empty()) unlink(temporary.c_str());
        temporary.clear();
        pending.clear();
    }
    mode = Mode::Idle;
    failed = false;
}

const char* FileSaverChannel::GetSaveingFileName() { return savingName.c_str(); }

char* FileSaverChannel::GetBuffer() { return memory.empty() ? NULL : memory.data(); }

unsigned long FileSaverChannel::GetBufferSize() { return memory.size(); }
