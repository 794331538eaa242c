// Directories on Windows: the current one, listings, creation, and removing files.
#include <algorithm>
#include <cstring>

#include "platform/Files.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

bool IsDotEntry(const char* name) { return std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0; }

// Calls seen(entry) for every entry of dir but "." and ".."; false when dir cannot be read.
template <typename Seen>
bool ForEachEntry(const char* dir, Seen seen) {
    if (!dir) return false;
    std::string native = ToNativePath(dir);
    if (!native.empty() && native.back() != '\\') native += '\\';
    WIN32_FIND_DATAA entry;
    HANDLE search = FindFirstFileA((native + "*").c_str(), &entry);
    if (search == INVALID_HANDLE_VALUE) {
        // The root of a drive has no "." entry: an empty one answers "nothing found".
        return ::GetLastError() == ERROR_FILE_NOT_FOUND && IsDirectory(dir);
    }
    do {
        if (!IsDotEntry(entry.cFileName)) seen(native, entry);
    } while (FindNextFileA(search, &entry));
    FindClose(search);
    return true;
}

// What a link points at, as the file system sees it when following it; false when dangling.
bool FollowLink(const std::string& path, bool& regular) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    bool known = GetFileInformationByHandle(file, &info) != 0;
    regular =
        known && GetFileType(file) == FILE_TYPE_DISK && !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY);
    CloseHandle(file);
    return known;
}

}  // namespace

size_t GetCurrentDirectory(char* buffer, size_t size) {
    // Asked for its length first: the system leaves a too small buffer as it was.
    DWORD needed = GetCurrentDirectoryA(0, nullptr);
    if (needed == 0) return 0;
    if (!buffer || needed > size) {
        if (buffer && size) buffer[0] = '\0';
        return needed;
    }
    DWORD length = GetCurrentDirectoryA(static_cast<DWORD>(size), buffer);
    if (length == 0 || length >= size) {  // changed meanwhile by another thread
        buffer[0] = '\0';
        return length;
    }
    return length;
}

bool SetCurrentDirectory(const char* path) {
    return path && SetCurrentDirectoryA(ToNativePath(path).c_str());
}

bool ListDirectory(const char* dir, std::vector<std::string>& names) {
    names.clear();
    bool ok = ForEachEntry(
        dir, [&](const std::string&, const WIN32_FIND_DATAA& entry) { names.emplace_back(entry.cFileName); });
    std::sort(names.begin(), names.end());
    return ok;
}

bool ListExistingEntries(const char* dir, std::vector<DirectoryEntry>& entries) {
    entries.clear();
    bool ok = ForEachEntry(dir, [&](const std::string& native, const WIN32_FIND_DATAA& entry) {
        const DWORD attributes = entry.dwFileAttributes;
        bool regular = !(attributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_DEVICE));
        if ((attributes & FILE_ATTRIBUTE_REPARSE_POINT) && !FollowLink(native + entry.cFileName, regular))
            return;
        entries.push_back(DirectoryEntry{entry.cFileName, regular});
    });
    std::sort(entries.begin(), entries.end(),
              [](const DirectoryEntry& a, const DirectoryEntry& b) { return a.name < b.name; });
    return ok;
}

bool RemoveFile(const char* path) { return path && DeleteFileA(ToNativePath(path).c_str()); }

bool MakeDirectories(const char* path) {
    if (!path || !*path) return false;
    std::string native = ToNativePath(path);
    // Each parent in turn; those that exist (or are a drive, "C:") refuse harmlessly.
    for (size_t slash = native.find('\\', 1); slash != std::string::npos;
         slash = native.find('\\', slash + 1))
        CreateDirectoryA(native.substr(0, slash).c_str(), nullptr);
    CreateDirectoryA(native.c_str(), nullptr);
    return IsDirectory(native.c_str());
}

}  // namespace platform
