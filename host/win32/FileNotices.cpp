// Windows: the files are polled (size and write time), which sees every kind of save,
// network shares included.
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "FileNotices.h"

std::unique_ptr<FileNotices> FileNotices::Open() { return nullptr; }

bool FileNotices::WriteTime(const std::string& path, long long& written) {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExA(path.c_str(), GetFileExInfoStandard, &data) ||
        (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return false;
    written =
        static_cast<long long>((static_cast<unsigned long long>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                               data.ftLastWriteTime.dwLowDateTime);
    return true;
}
