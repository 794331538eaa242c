#include "DirectoryChannel.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>

#include <algorithm>

#include "Wildcard.h"

namespace {

std::string ToSlashes(const char* text) {
    std::string s(text);
    std::replace(s.begin(), s.end(), '\\', '/');
    return s;
}

// A name in a directory; "/" and "C:/" end in their separator already.
std::string InDirectory(const std::string& dir, const std::string& name) {
    return dir.back() == '/' ? dir + name : dir + "/" + name;
}

bool IsRegularFile(const std::string& path) {
    struct stat info;
    return stat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode);  // follows links
}

}  // namespace

DirectoryChannel::DirectoryChannel() {}

DirectoryChannel::~DirectoryChannel() {}

int DirectoryChannel::GetListedFileCount() { return static_cast<int>(names.size()); }

void DirectoryChannel::ClearList() {
    names.clear();
    listedDir.clear();
}

void DirectoryChannel::SetExtensionFilter(const char* extension) {
    extensionFilter = extension ? extension : "";
}

bool DirectoryChannel::Matches(const std::string& name, const std::string& wildcard) const {
    if (wildcard != "*.*" && !wildcard::Matches(wildcard.c_str(), name.c_str())) return false;
    if (extensionFilter.empty()) return true;
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && strcasecmp(name.c_str() + dot + 1, extensionFilter.c_str()) == 0;
}

bool DirectoryChannel::ListDirectory(const char* pattern) {
    ClearList();
    if (!pattern || !pattern[0]) return false;
    const std::string full = ToSlashes(pattern);
    const size_t slash = full.rfind('/');
    std::string dir = slash == std::string::npos ? "." : full.substr(0, slash);
    if (dir.empty() || dir.back() == ':') dir += '/';  // the root; a drive's root, not its current directory
    const std::string wildcard = slash == std::string::npos ? full : full.substr(slash + 1);

    DIR* handle = opendir(dir.c_str());
    if (!handle) return false;
    while (const dirent* entry = readdir(handle)) {
        const std::string name = entry->d_name;
        if (name == "." || name == "..") continue;
        if (Matches(name, wildcard.empty() ? "*.*" : wildcard) && IsRegularFile(InDirectory(dir, name)))
            names.push_back(name);
    }
    closedir(handle);
    std::sort(names.begin(), names.end());
    listedDir = dir;
    return true;
}

const char* DirectoryChannel::GetListedFilePath(int nr) {
    if (nr < 0 || nr >= GetListedFileCount()) return nullptr;
    pathBuffer = InDirectory(listedDir, names[nr]);
    return pathBuffer.c_str();
}

const char* DirectoryChannel::GetListedFileName(int nr) {
    if (nr < 0 || nr >= GetListedFileCount()) return nullptr;
    return names[nr].c_str();
}
