#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>

#include "support/FileIdentity.h"

namespace tarnwell_test {

// The C runtime's stat has no file numbers on Windows; the file's own information has.
bool IdentifyFile(const std::string& path, FileIdentity& identity) {
    HANDLE file = CreateFileA(path.c_str(), 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    BY_HANDLE_FILE_INFORMATION info;
    const bool known = GetFileInformationByHandle(file, &info) != 0;
    CloseHandle(file);
    if (!known) return false;
    identity.volume = info.dwVolumeSerialNumber;
    identity.file = (static_cast<uint64_t>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

}  // namespace tarnwell_test
