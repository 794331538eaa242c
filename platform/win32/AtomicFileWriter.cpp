#include <io.h>
#include <process.h>

#include <algorithm>
#include <atomic>
#include <cerrno>

#include "platform/Files.h"
#include "platform/common/FileFaults.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

constexpr int kTemporaryAttempts = 100;
constexpr size_t kTemporaryBaseLength = 200;  // keeps the temporary name within a name's limit
constexpr unsigned kLargestWrite = 1u << 30;
// What a replaced file passes on to its successor (read-only ones are refused before).
constexpr DWORD kKeptAttributes =
    FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;

// The name a loaded module takes when a new file replaces it.
constexpr const char* kReplacedSuffix = ".replaced";

std::atomic<unsigned> temporaryCounter{0};

int LastErrno() { return ErrnoFromSystemError(::GetLastError()); }

std::string DirectoryOf(const std::string& path) {
    size_t slash = path.rfind('\\');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "\\" : path.substr(0, slash);
}

// The file name, cut so a temporary name made from it stays within a name's limit.
std::string BaseName(const std::string& path) {
    size_t slash = path.rfind('\\');
    return path.substr(slash == std::string::npos ? 0 : slash + 1).substr(0, kTemporaryBaseLength);
}

// The errno of a temporary file that could not be made: a parent that is a file says so.
int CreateFailure(const std::string& target, int error) {
    DWORD parent = GetFileAttributesA(DirectoryOf(target).c_str());
    if (error == ENOENT && parent != INVALID_FILE_ATTRIBUTES && !(parent & FILE_ATTRIBUTE_DIRECTORY))
        return ENOTDIR;
    return error;
}

// A new file beside the target, so the final move stays on one volume; answers its
// runtime descriptor, or -1 with *error set.
int CreateTemporaryBeside(const std::string& target, std::string& tempName, int* error) {
    std::string prefix =
        DirectoryOf(target) + "\\." + BaseName(target) + "." + std::to_string(_getpid()) + "-";
    for (int attempt = 0; attempt < kTemporaryAttempts; ++attempt) {
        tempName = prefix + std::to_string(temporaryCounter.fetch_add(1)) + ".tmp";
        if ((*error = InjectedFileFault(FileCall::Create)) != 0) return -1;
        HANDLE file = CreateFileA(tempName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file == INVALID_HANDLE_VALUE) {
            *error = CreateFailure(target, LastErrno());
            if (*error == EEXIST) continue;
            return -1;
        }
        int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), 0);  // binary: no _O_TEXT
        if (fd >= 0) return fd;
        *error = EMFILE;
        CloseHandle(file);
        DeleteFileA(tempName.c_str());
        return -1;
    }
    *error = EEXIST;
    return -1;
}

int WriteOnce(int fd, const void* data, size_t size) {
    bool shortWrite = false;
    if (int error = InjectedFileFault(FileCall::Write, &shortWrite)) {
        errno = error;
        return -1;
    }
    if (shortWrite && size > 1) size /= 2;
    return _write(fd, data, static_cast<unsigned>(std::min<size_t>(size, kLargestWrite)));
}

// errno of the flush to disk (0: done).
int Flush(int fd) {
    if (int error = InjectedFileFault(FileCall::Sync)) return error;
    HANDLE file = reinterpret_cast<HANDLE>(_get_osfhandle(fd));
    return FlushFileBuffers(file) ? 0 : LastErrno();
}

// Files moved aside earlier in this directory, deleted once no process has them loaded any
// more (a loaded one refuses, and is tried again next time).
void RemoveReplacedModules(const std::string& dir) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((dir + "\\.*" + kReplacedSuffix).c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        DeleteFileA((dir + "\\" + found.cFileName).c_str());
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

// A module this process has loaded cannot be replaced or deleted, but it can be renamed. It
// moves aside, so the new file takes its name while the code already loaded runs on, as it
// does on Linux; the old file goes once nothing has it loaded. Answers the aside name, or ""
// when the target is no loaded module or cannot be moved.
std::string MoveLoadedModuleAside(const std::string& target) {
    if (!GetModuleHandleA(target.c_str())) return "";
    const std::string dir = DirectoryOf(target);
    RemoveReplacedModules(dir);
    const std::string aside = dir + "\\." + BaseName(target) + "." + std::to_string(_getpid()) + "-" +
                              std::to_string(temporaryCounter.fetch_add(1)) + kReplacedSuffix;
    return MoveFileExA(target.c_str(), aside.c_str(), MOVEFILE_WRITE_THROUGH) ? aside : "";
}

// errno of moving the temporary file over the target (0: done); written through, so the
// move is on disk when it answers.
int MoveOver(const std::string& temp, const std::string& target) {
    if (int error = InjectedFileFault(FileCall::Rename)) return error;
    const DWORD flags = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    if (MoveFileExA(temp.c_str(), target.c_str(), flags)) return 0;
    const int error = LastErrno();
    if (error != EACCES) return error;
    const std::string aside = MoveLoadedModuleAside(target);
    if (aside.empty()) return error;
    if (MoveFileExA(temp.c_str(), target.c_str(), flags)) return 0;
    const int second = LastErrno();
    MoveFileExA(aside.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);  // the old file back
    return second;
}

}  // namespace

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
    const DWORD attributes = GetFileAttributesA(target_.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A directory cannot be replaced, and a file marked read-only must not be.
    if (exists && (attributes & FILE_ATTRIBUTE_DIRECTORY)) return Fail(EISDIR);
    if (exists && (attributes & FILE_ATTRIBUTE_READONLY)) return Fail(EACCES);
    int error = 0;
    fd_ = CreateTemporaryBeside(target_, temp_, &error);
    if (fd_ < 0) {
        temp_.clear();
        return Fail(error);
    }
    if (exists) SetFileAttributesA(temp_.c_str(), (attributes & kKeptAttributes) | FILE_ATTRIBUTE_NORMAL);
    return true;
}

bool AtomicFileWriter::Write(const void* data, size_t size) {
    if (fd_ < 0 || error_) return false;
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        int written = WriteOnce(fd_, p, size);
        if (written <= 0) return Fail(written < 0 ? errno : ENOSPC);
        p += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool AtomicFileWriter::Finish() {
    if (fd_ < 0) return finished_ && error_ == 0;
    bool ok = error_ == 0;
    if (ok) {
        if (int error = Flush(fd_)) ok = Fail(error);
    }
    if (_close(fd_) != 0 && ok) ok = Fail(errno);
    fd_ = -1;
    finished_ = true;
    return ok;
}

bool AtomicFileWriter::Commit() {
    if (!IsOpen()) return false;
    bool ok = Finish();
    finished_ = false;
    if (ok) {
        if (int error = MoveOver(temp_, target_)) ok = Fail(error);
    }
    if (!ok) DeleteFileA(temp_.c_str());
    temp_.clear();
    return ok;
}

void AtomicFileWriter::Abort() {
    if (!IsOpen()) return;
    if (fd_ >= 0) _close(fd_);
    fd_ = -1;
    finished_ = false;
    DeleteFileA(temp_.c_str());
    temp_.clear();
}

}  // namespace platform
