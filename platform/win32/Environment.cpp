#include "platform/Environment.h"

#include <cstdlib>
#include <cstring>

#include "platform/LastError.h"
#include "platform/win32/SystemError.h"
#include "platform/win32/WindowsApi.h"

namespace platform {

namespace {
constexpr uint32_t kErrorEnvVarNotFound = 203;
constexpr DWORD kLargestBuffer = 0x7FFFFFFF;
}  // namespace

size_t GetEnvironmentVariable(const char* name, char* buffer, size_t size) {
    const DWORD capacity = buffer ? static_cast<DWORD>(size < kLargestBuffer ? size : kLargestBuffer) : 0;
    ::SetLastError(ERROR_SUCCESS);
    DWORD length = name ? GetEnvironmentVariableA(name, buffer, capacity) : 0;
    if (length == 0) {
        if (buffer && size > 0) buffer[0] = '\0';
        // A variable set to "" also answers 0, without an error.
        if (!name || ::GetLastError() == ERROR_ENVVAR_NOT_FOUND)
            SetLastError(kErrorEnvVarNotFound, "environment variable not set");
        return 0;
    }
    if (length >= capacity) {  // did not fit: the size needed, terminator included
        if (buffer && size > 0) buffer[0] = '\0';
        return length;
    }
    return length;
}

bool SetEnvironmentVariable(const char* name, const char* value) {
    if (!name || !*name || std::strchr(name, '=')) {
        SetLastError(kErrorInvalidParameter, "invalid environment variable name");
        return false;
    }
    // The runtime keeps its own copy for getenv: both are changed, the runtime's first
    // (it passes the change on to the system's as well; "" removes it there).
    if (_putenv_s(name, value ? value : "") != 0) {
        SetLastError(kErrorInvalidParameter, "the runtime refused the environment variable");
        return false;
    }
    if (!SetEnvironmentVariableA(name, value)) {
        const DWORD error = ::GetLastError();
        SetLastError(error, SystemErrorText(error).c_str());
        return false;
    }
    return true;
}

char PathListSeparator() { return ';'; }

}  // namespace platform
