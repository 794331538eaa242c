// Private: the rule for file names a stored file carries and a reader writes to disk (the
// plug-ins and DLLs a project embeds): the name must name an entry of the one directory it is
// written to, never a path that leaves it.
#pragma once

#include <cstring>

namespace filenames {

// No separator ('/' or '\'), no drive (':'), not empty, "." or "..".
inline bool IsDirectoryEntryName(const char* name) {
    if (!name || !name[0]) return false;
    if (std::strcmp(name, ".") == 0 || std::strcmp(name, "..") == 0) return false;
    return std::strpbrk(name, "\\/:") == nullptr;
}

}  // namespace filenames
