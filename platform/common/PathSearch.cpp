#include "platform/common/PathSearch.h"

#include <cstring>

#include "platform/Environment.h"
#include "platform/Files.h"

namespace platform {

namespace {

std::string PathVariable() {
    size_t needed = GetEnvironmentVariable("PATH", nullptr, 0);
    if (needed == 0) return std::string();
    std::string value(needed, '\0');
    size_t length = GetEnvironmentVariable("PATH", &value[0], value.size());
    value.resize(length < value.size() ? length : 0);
    return value;
}

}  // namespace

bool HasDirectoryPart(const char* name) { return std::strchr(name, '/') || std::strchr(name, '\\'); }

std::string FindOnPath(const char* name) {
    const std::string list = PathVariable();
    const char separator = PathListSeparator();
    size_t start = 0;
    while (start <= list.size()) {
        size_t end = list.find(separator, start);
        if (end == std::string::npos) end = list.size();
        std::string dir = list.substr(start, end - start);
        start = end + 1;
        if (dir.empty()) continue;
        std::string candidate = ToNativePath(dir.c_str());
        if (candidate.back() != NativeSeparator()) candidate += NativeSeparator();
        candidate += name;
        uint32_t attributes = GetFileAttributes(candidate.c_str());
        if (attributes != kFileAttributesInvalid && !(attributes & kFileAttributeDirectory)) return candidate;
    }
    return std::string();
}

}  // namespace platform
