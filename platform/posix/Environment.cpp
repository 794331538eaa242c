#include "platform/Environment.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>

#include "platform/Files.h"
#include "platform/LastError.h"

namespace platform {

namespace {
constexpr uint32_t kErrorEnvVarNotFound = 203;
}

size_t GetEnvironmentVariable(const char* name, char* buffer, size_t size) {
    const char* value = name ? std::getenv(name) : nullptr;
    if (!value) {
        SetLastError(kErrorEnvVarNotFound, "environment variable not set");
        if (buffer && size > 0) buffer[0] = '\0';
        return 0;
    }
    size_t length = std::strlen(value);
    if (!buffer || length + 1 > size) {
        if (buffer && size > 0) buffer[0] = '\0';
        return length + 1;
    }
    std::memcpy(buffer, value, length + 1);
    return length;
}

bool SetEnvironmentVariable(const char* name, const char* value) {
    if (!name || !*name || std::strchr(name, '=')) {
        SetLastError(kErrorInvalidParameter, "invalid environment variable name");
        return false;
    }
    int result = value ? setenv(name, value, 1) : unsetenv(name);
    if (result != 0) SetLastError(kErrorNotEnoughMemory, std::strerror(errno));
    return result == 0;
}

char PathListSeparator() { return ':'; }

}  // namespace platform
