// Files and directories. Every path argument may use '\' (the kernel's separator) or '/'; it
// is turned into the system's form where the path reaches the file system: '/' on POSIX
// systems, '\' on Windows.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// The system's directory separator: '/' on POSIX systems, '\' on Windows.
char NativeSeparator();
// The system's separators in place: '\' -> '/' on POSIX systems, '/' -> '\' on Windows.
void ToNativePath(char* path);
// The same into out, bounded; false (out cut but terminated) when it does not fit.
bool ToNativePath(const char* path, char* out, size_t size);
std::string ToNativePath(const char* path);

// Appending (error.log): opens for writing at the end, creating the file when absent.
// Answers a descriptor, or -1 (also when something other than a regular file is there).
int OpenForAppend(const char* path);
// Writes all bytes (retrying short writes); false on failure.
bool WriteBytes(int fd, const void* data, size_t size);
void CloseFile(int fd);
// Open, append, close in one call.
bool AppendToFile(const char* path, const void* data, size_t size);

// Every reader of user files opens them here: a descriptor of the regular file at path, in
// blocking mode, or -1 with errno set (EINVAL when something other than a regular file is
// there). A FIFO or a device there, also one swapped in after any earlier look, is refused
// at once instead of making the open wait for ever.
int OpenRegularFileForReading(const char* path);

// Whole files.
bool ReadWholeFile(const char* path, std::vector<unsigned char>& out);
// Writes to a temporary file in the same directory and renames it over path, so a failure
// at any step leaves the previous file untouched.
bool WriteFileAtomic(const char* path, const void* data, size_t size);

// The same, for writers that produce a file piece by piece: nothing appears at path until
// Commit succeeds; an abandoned writer removes its temporary file. A target that is a
// directory or read-only is refused at Open; a replaced file keeps its permission bits, a new
// one gets 0666 less the umask.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(const char* path);
    bool Write(const void* data, size_t size);
    // Flushes, syncs and closes the temporary file: what was written is complete there and
    // nothing more can be. A module can then be loaded from TemporaryPath() before it replaces
    // anything (Windows loads no module from a file open for writing).
    bool Finish();
    bool Commit();  // Finish, rename over the target, sync its directory
    void Abort();   // drop the temporary file; the target is untouched
    bool IsOpen() const { return fd_ >= 0 || finished_; }
    // The temporary file beside the target that holds what was written, until Commit or
    // Abort ("" when not open).
    const std::string& TemporaryPath() const { return temp_; }
    // errno of the first failure since Open (0: none), so callers can say why.
    int Error() const { return error_; }

private:
    bool Fail(int error);

    int fd_ = -1;
    bool finished_ = false;  // the temporary file is closed and waits for Commit or Abort
    int error_ = 0;
    std::string target_;
    std::string temp_;
};

// Injected failures of the atomic writers' system calls, for tests that prove a failure at
// any step leaves the old file. Off, the only cost is one relaxed atomic load per call.
enum class FileCall { Create, Write, Sync, Rename, kCount };
// Short write: the call writes half its bytes, and the next write fails with ENOSPC.
constexpr int kFileFaultShortWrite = -1;
// Counts every call from zero and fails the nth call of `call` (1-based; 0: count only) with
// `error` (an errno value, or kFileFaultShortWrite for Write).
void SetFileFault(FileCall call, unsigned nth, int error);
unsigned FileCallCount(FileCall call);  // calls since SetFileFault; 0 when off
void ClearFileFault();

// GetFileAttributesA: kFileAttributesInvalid when absent, else a combination of the flags.
constexpr uint32_t kFileAttributeReadOnly = 0x1;  // no write permission bit, or not writable by us
constexpr uint32_t kFileAttributeDirectory = 0x10;
constexpr uint32_t kFileAttributeNormal = 0x80;  // alone: a writable regular file
constexpr uint32_t kFileAttributesInvalid = 0xFFFFFFFFu;
uint32_t GetFileAttributes(const char* path);
bool FileExists(const char* path);  // anything at path
bool IsDirectory(const char* path);
bool IsRegularFile(const char* path);           // no directory, FIFO, device or socket
bool IsSameFile(const char* a, const char* b);  // both exist and are one file (or directory)
bool IsReadOnly(const char* path);              // exists and cannot be written

// GetCurrentDirectoryA: length without terminator, or the size needed (terminator included)
// when it does not fit (buffer left empty); 0 on failure.
size_t GetCurrentDirectory(char* buffer, size_t size);
bool SetCurrentDirectory(const char* path);

// Names in a directory (no "." or ".."), sorted by byte value; false when it cannot be read.
bool ListDirectory(const char* dir, std::vector<std::string>& names);
// What is in a directory, as stat (following links) sees each name: entries that stat
// would not find (dangling links) are left out. Only links and entries of unknown kind cost
// a look at the file itself. Sorted by name in byte order; false when dir cannot be read.
struct DirectoryEntry {
    std::string name;
    bool regular;  // a regular file (no directory, FIFO, device or socket)
};
bool ListExistingEntries(const char* dir, std::vector<DirectoryEntry>& entries);
// Copies a file (atomically at the target); with failIfExists an existing target answers false.
bool CopyFile(const char* from, const char* to, bool failIfExists);
bool RemoveFile(const char* path);
// Creates the directory and every missing parent; true when it exists afterwards.
bool MakeDirectories(const char* path);

}  // namespace platform
