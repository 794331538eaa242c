// Files and directories. Every path argument may use '\' (the kernel's separator); it is
// turned into '/' where the path reaches the file system.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace platform {

// '\' -> '/' in place.
void ToNativePath(char* path);
// '\' -> '/' into out, bounded; false (out cut but terminated) when it does not fit.
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

// Whole files.
bool ReadWholeFile(const char* path, std::vector<unsigned char>& out);
// Writes to a temporary file in the same directory and renames it over path, so a failure
// at any step leaves the previous file untouched.
bool WriteFileAtomic(const char* path, const void* data, size_t size);

// The same, for writers that produce a file piece by piece: nothing appears at path until
// Commit succeeds; an abandoned writer removes its temporary file.
class AtomicFileWriter {
public:
    AtomicFileWriter() = default;
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    bool Open(const char* path);
    bool Write(const void* data, size_t size);
    bool Commit();  // flush, sync, rename over the target
    void Abort();   // drop the temporary file; the target is untouched
    bool IsOpen() const { return fd_ >= 0; }

private:
    int fd_ = -1;
    bool failed_ = false;
    std::string target_;
    std::string temp_;
};

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
bool IsReadOnly(const char* path);  // exists and cannot be written

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
