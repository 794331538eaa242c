#include "platform/win32/SystemError.h"

#include <cerrno>

#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {

struct ErrnoOf {
    DWORD error;
    int number;
};

constexpr ErrnoOf kErrnoOf[] = {
    {ERROR_FILE_NOT_FOUND, ENOENT},
    {ERROR_PATH_NOT_FOUND, ENOENT},
    {ERROR_INVALID_DRIVE, ENOENT},
    {ERROR_BAD_NETPATH, ENOENT},
    {ERROR_BAD_PATHNAME, ENOENT},
    {ERROR_INVALID_NAME, ENOENT},
    {ERROR_ACCESS_DENIED, EACCES},
    {ERROR_SHARING_VIOLATION, EACCES},
    {ERROR_LOCK_VIOLATION, EACCES},
    {ERROR_WRITE_PROTECT, EROFS},
    {ERROR_FILE_EXISTS, EEXIST},
    {ERROR_ALREADY_EXISTS, EEXIST},
    {ERROR_DISK_FULL, ENOSPC},
    {ERROR_HANDLE_DISK_FULL, ENOSPC},
    {ERROR_NOT_ENOUGH_MEMORY, ENOMEM},
    {ERROR_OUTOFMEMORY, ENOMEM},
    {ERROR_DIRECTORY, ENOTDIR},
    {ERROR_DIR_NOT_EMPTY, ENOTEMPTY},
    {ERROR_FILENAME_EXCED_RANGE, ENAMETOOLONG},
    {ERROR_INVALID_PARAMETER, EINVAL},
    {ERROR_INVALID_HANDLE, EBADF},
    {ERROR_NOT_SAME_DEVICE, EXDEV},
    {ERROR_TOO_MANY_OPEN_FILES, EMFILE},
};

}  // namespace

std::string SystemErrorText(uint32_t error) {
    char* text = nullptr;
    const DWORD flags =
        FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS;
    DWORD length = FormatMessageA(flags, nullptr, error, 0, reinterpret_cast<char*>(&text), 0, nullptr);
    std::string out = length && text ? std::string(text, length) : "error " + std::to_string(error);
    if (text) LocalFree(text);
    while (!out.empty() && (out.back() == '\n' || out.back() == '\r' || out.back() == ' ')) out.pop_back();
    return out;
}

int ErrnoFromSystemError(uint32_t error) {
    for (const ErrnoOf& entry : kErrnoOf)
        if (entry.error == error) return entry.number;
    return EIO;
}

}  // namespace platform
