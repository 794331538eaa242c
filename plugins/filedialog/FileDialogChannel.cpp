#include "FileDialogChannel.h"

#include <dirent.h>
#include <strings.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <iostream>

#include "Console.h"

namespace {

bool HasExtension(const std::string& name, const char* extension) {
    if (!extension || !extension[0]) return true;
    const size_t dot = name.rfind('.');
    return dot != std::string::npos && strcasecmp(name.c_str() + dot + 1, extension) == 0;
}

bool IsRegularFile(const char* path) {
    struct stat info;
    return stat(path, &info) == 0 && S_ISREG(info.st_mode);
}

std::string CurrentDirectory() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof(buffer)) ? std::string(buffer) : std::string();
}

std::string Trim(const std::string& text) {
    const size_t begin = text.find_first_not_of(" \t\r\n");
    if (begin == std::string::npos) return std::string();
    const size_t end = text.find_last_not_of(" \t\r\n");
    return text.substr(begin, end - begin + 1);
}

}  // namespace

FileDialogChannel::FileDialogChannel() {}

FileDialogChannel::~FileDialogChannel() {}

std::vector<std::string> FileDialogChannel::MatchingFiles(const char* extension) const {
    std::vector<std::string> files;
    DIR* dir = opendir(".");
    if (!dir) return files;
    while (const dirent* entry = readdir(dir)) {
        const std::string name = entry->d_name;
        if (name[0] != '.' && HasExtension(name, extension) && IsRegularFile(name.c_str()))
            files.push_back(name);
    }
    closedir(dir);
    std::sort(files.begin(), files.end());
    return files;
}

// A listed number picks that file; any other text is taken as a path. Relative answers are
// made absolute, so the choice stays valid whatever directory the engine works in later.
std::string FileDialogChannel::Resolve(const std::string& line, const std::vector<std::string>& files) const {
    const std::string choice = Trim(line);
    if (choice.empty()) return std::string();
    std::string name = choice;
    char* end = nullptr;
    const long number = std::strtol(choice.c_str(), &end, 10);
    if (end && *end == 0) {
        if (number < 1 || number > static_cast<long>(files.size())) return std::string();
        name = files[static_cast<size_t>(number - 1)];
    }
    if (std::filesystem::path(name).has_root_directory()) return name;  // rooted: "/p", "C:\p", "\p"
    const std::string dir = CurrentDirectory();
    return dir.empty() ? name : dir + "/" + name;
}

bool FileDialogChannel::ChooseFile(const char* filter, const char* extension, char* path) {
    if (!path) return false;
    path[0] = 0;
    if (!console::Interactive()) return false;

    const std::vector<std::string> files = MatchingFiles(extension);
    std::cout << (filter && filter[0] ? filter : "Choose a file") << "\n";
    for (size_t i = 0; i < files.size(); i++) std::cout << "  " << (i + 1) << ") " << files[i] << "\n";
    std::cout << "Number or path (empty to cancel): " << std::flush;

    std::string line;
    if (!console::ReadLine(line)) return false;
    const std::string chosen = Resolve(line, files);
    // A path that does not fit is refused whole: a cut path would name another file.
    if (chosen.empty() || chosen.size() > kMaxPath) {
        if (chosen.size() > kMaxPath) std::cout << "Path too long\n";
        return false;
    }
    std::memcpy(path, chosen.c_str(), chosen.size() + 1);
    return true;
}
