#include "engine/ModuleDirectory.h"

#include <algorithm>
#include <cstring>

#include "format/FileNames.h"
#include "platform/Text.h"

namespace {

// Start-ups run on the host's thread; another thread starting another engine has its own.
thread_local SharedModuleDirectory* current = nullptr;

}  // namespace

ModuleDirectory::ModuleDirectory(const char* dir)
    : listedDir(dir ? dir : ""), nativeDir(platform::ToNativePath(listedDir.c_str())), listed(false) {
    listed = dir && platform::ListExistingEntries(dir, entries);
}

bool ModuleDirectory::Exists(const char* path) const {
    if (!path) return false;
    const std::string native = platform::ToNativePath(path);
    const size_t slash = native.rfind('/');
    if (!listed || slash == std::string::npos || slash + 1 == native.size() ||
        native.compare(0, slash, nativeDir) != 0 || slash != nativeDir.size())
        return platform::FileExists(path);
    const std::string name = native.substr(slash + 1);
    auto found = std::lower_bound(
        entries.begin(), entries.end(), name,
        [](const platform::DirectoryEntry& entry, const std::string& key) { return entry.name < key; });
    return found != entries.end() && found->name == name;
}

std::vector<std::string> ModuleDirectory::ModuleFiles(const char* extension) const {
    std::vector<std::string> names;
    for (const platform::DirectoryEntry& entry : entries) {
        if (entry.regular && filenames::HasExtension(entry.name.c_str(), extension)) names.push_back(entry.name);
    }
    return names;
}

SharedModuleDirectory::SharedModuleDirectory(ChannelList* list, const char* dir)
    : owner(list), directory(dir), previous(current) {
    current = this;
}

SharedModuleDirectory::~SharedModuleDirectory() { current = previous; }

const ModuleDirectory* SharedModuleDirectory::Find(ChannelList* list, const char* dir) {
    for (SharedModuleDirectory* shared = current; shared; shared = shared->previous)
        if (shared->owner == list && shared->directory.Lists(dir)) return &shared->directory;
    return nullptr;
}
