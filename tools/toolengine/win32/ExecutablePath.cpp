#include "ExecutablePath.h"

#define WIN32_LEAN_AND_MEAN
#ifndef NOMINMAX  // the C++ runtime may have defined it already
#define NOMINMAX
#endif
#include <windows.h>

#include <vector>

namespace toolengine {

// The buffer grows until the path fits: a truncated answer fills it exactly.
std::string ExecutablePath() {
    for (DWORD size = MAX_PATH; size <= 32768; size *= 2) {
        std::vector<char> buffer(size);
        const DWORD length = GetModuleFileNameA(nullptr, buffer.data(), size);
        if (length == 0) return "";
        if (length < size) return std::string(buffer.data(), length);
    }
    return "";
}

}  // namespace toolengine
