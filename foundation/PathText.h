// Private: the one routine that finds the last path component. Paths may use '\' or '/'.
#pragma once

#include <cstddef>
#include <cstring>

namespace pathtext {

inline bool IsSeparator(char c) { return c == '\\' || c == '/'; }

// The last separator at or after position `from`, or NULL.
inline const char* LastSeparator(const char* path, size_t from = 0) {
    for (size_t i = std::strlen(path); i-- > from;)
        if (IsSeparator(path[i])) return path + i;
    return nullptr;
}
inline char* LastSeparator(char* path, size_t from = 0) {
    return const_cast<char*>(LastSeparator(static_cast<const char*>(path), from));
}

// A path that needs no directory to start from: a drive ("C:"), a POSIX root ("/srv", or the
// kernel's spelling "\srv") or a UNC root.
inline bool IsAbsolute(const char* path) {
    if (!path || !path[0]) return false;
    const char letter = static_cast<char>(path[0] | 0x20);
    return IsSeparator(path[0]) || (letter >= 'a' && letter <= 'z' && path[1] == ':');
}

// The text after the last separator (all of it when there is none).
inline const char* LastComponent(const char* path) {
    const char* separator = LastSeparator(path);
    return separator ? separator + 1 : path;
}

}  // namespace pathtext
