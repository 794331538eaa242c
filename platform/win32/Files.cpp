#include "platform/Files.h"

#include <fcntl.h>
#include <io.h>

#include <algorithm>
#include <cerrno>
#include <climits>

#include "platform/Text.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

constexpr unsigned kLargestTransfer = 1u << 30;  // the runtime's read and write count in int
constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

// A runtime descriptor for a handle of a file on disk (not a directory); -1 with errno set
// otherwise, the handle then closed. Checking the handle itself leaves nothing to swap in.
int DescriptorOfDiskFile(HANDLE file, int flags) {
    if (file == INVALID_HANDLE_VALUE) {
        errno = ErrnoFromSystemError(::GetLastError());
        return -1;
    }
    BY_HANDLE_FILE_INFORMATION info;
    if (GetFileType(file) != FILE_TYPE_DISK || !GetFileInformationByHandle(file, &info) ||
        (info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        CloseHandle(file);
        errno = EINVAL;
        return -1;
    }
    // Without _O_TEXT the descriptor is in binary mode: no line end is changed.
    int fd = _open_osfhandle(reinterpret_cast<intptr_t>(file), flags);
    if (fd < 0) CloseHandle(file);
    return fd;
}

bool Identify(const char* path, BY_HANDLE_FILE_INFORMATION& info) {
    // Backup semantics opens directories too; no access right is needed to read the identity.
    HANDLE file = CreateFileA(ToNativePath(path).c_str(), 0, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    return known;
}

}  // namespace

char NativeSeparator() { return '\\'; }

int OpenForAppend(const char* path) {
    if (!path) return -1;
    // Append access alone: every write lands at the end, also with other writers.
    HANDLE file = CreateFileA(ToNativePath(path).c_str(), FILE_APPEND_DATA, kShareAll, nullptr, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    return DescriptorOfDiskFile(file, 0);
}

bool WriteBytes(int fd, const void* data, size_t size) {
    const char* p = static_cast<const char*>(data);
    while (size > 0) {
        unsigned chunk = static_cast<unsigned>(std::min<size_t>(size, kLargestTransfer));
        int written = _write(fd, p, chunk);
        if (written <= 0) return false;
        p += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

void CloseFile(int fd) {
    if (fd >= 0) _close(fd);
}

int OpenRegularFileForReading(const char* path) {
    if (!path) {
        errno = EINVAL;
        return -1;
    }
    // A pipe, a console or a device opens at once and is then refused; a directory (opened
    // through backup semantics) as well, so it answers EINVAL as on other systems.
    HANDLE file = CreateFileA(ToNativePath(path).c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING,
                              FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    return DescriptorOfDiskFile(file, _O_RDONLY);
}

bool ReadWholeFile(const char* path, std::vector<unsigned char>& out) {
    out.clear();
    int fd = OpenRegularFileForReading(path);
    if (fd < 0) return false;
    bool ok = true;
    unsigned char chunk[65536];
    while (ok) {
        int count = _read(fd, chunk, sizeof chunk);
        if (count < 0) ok = false;
        if (count <= 0) break;
        out.insert(out.end(), chunk, chunk + count);
    }
    _close(fd);
    if (!ok) out.clear();
    return ok;
}

uint32_t GetFileAttributes(const char* path) {
    if (!path || !*path) return kFileAttributesInvalid;
    DWORD system = GetFileAttributesA(ToNativePath(path).c_str());
    if (system == INVALID_FILE_ATTRIBUTES) return kFileAttributesInvalid;
    uint32_t attributes = 0;
    if (system & FILE_ATTRIBUTE_DIRECTORY)
        attributes |= kFileAttributeDirectory;
    else if (system & FILE_ATTRIBUTE_READONLY)  // on a directory the system ignores it
        attributes |= kFileAttributeReadOnly;
    return attributes ? attributes : kFileAttributeNormal;
}

bool FileExists(const char* path) { return GetFileAttributes(path) != kFileAttributesInvalid; }

bool IsDirectory(const char* path) {
    uint32_t attributes = GetFileAttributes(path);
    return attributes != kFileAttributesInvalid && (attributes & kFileAttributeDirectory);
}

bool IsRegularFile(const char* path) {
    if (!path || !*path) return false;
    DWORD system = GetFileAttributesA(ToNativePath(path).c_str());
    return system != INVALID_FILE_ATTRIBUTES &&
           !(system & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
}

bool IsSameFile(const char* a, const char* b) {
    BY_HANDLE_FILE_INFORMATION infoA, infoB;
    if (!a || !b || !Identify(a, infoA) || !Identify(b, infoB)) return false;
    return infoA.dwVolumeSerialNumber == infoB.dwVolumeSerialNumber &&
           infoA.nFileIndexHigh == infoB.nFileIndexHigh && infoA.nFileIndexLow == infoB.nFileIndexLow;
}

bool IsReadOnly(const char* path) {
    uint32_t attributes = GetFileAttributes(path);
    return attributes != kFileAttributesInvalid && (attributes & kFileAttributeReadOnly);
}

}  // namespace platform
