// Private: the rule for file names a stored file carries and a reader writes to disk (the
// plug-ins and DLLs a project embeds): the name must name an entry of the one directory it is
// written to, never a path that leaves it, and print as what it is. Also which files of the
// channels directory are plug-in modules.
#pragma once

#include <cctype>
#include <cstring>

namespace filenames {

// The extension of channel plug-in modules (an editor also scans "DLE").
inline constexpr char kModuleExtension[] = "DLL";

// Whether the extension (after the last '.') of the file name is `extension`, ignoring case.
inline bool HasExtension(const char* name, const char* extension) {
    const char* dot = name ? std::strrchr(name, '.') : nullptr;
    if (!dot || !extension) return false;
    for (const char* a = dot + 1;; ++a, ++extension) {
        if (std::tolower(static_cast<unsigned char>(*a)) !=
            std::tolower(static_cast<unsigned char>(*extension)))
            return false;
        if (!*a) return true;
    }
}

// Not empty, "." or ".."; no separator ('/' or '\'), no drive (':'), no control character.
inline bool IsDirectoryEntryName(const char* name) {
    if (!name || !name[0]) return false;
    if (name[0] == '.' && (!name[1] || (name[1] == '.' && !name[2]))) return false;
    for (const char* c = name; *c; ++c) {
        const unsigned char byte = static_cast<unsigned char>(*c);
        if (byte < 0x20 || byte == 0x7F || byte == '/' || byte == '\\' || byte == ':') return false;
    }
    return true;
}

}  // namespace filenames
