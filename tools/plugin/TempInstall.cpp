#include "TempInstall.h"

#include <algorithm>
#include <filesystem>
#include <random>
#include <system_error>

namespace fs = std::filesystem;

namespace plugintool {

namespace {

bool Listed(const std::vector<std::string>& names, const std::string& name) {
    return std::find(names.begin(), names.end(), name) != names.end();
}

// A new directory of its own below the system's temporary one, made only by this call
// (creating a directory that exists fails); "" when none could be made.
std::string MakeOwnDirectory() {
    std::error_code failed;
    const fs::path temporary = fs::temp_directory_path(failed);
    if (failed) return "";
    std::random_device seed;
    std::mt19937_64 random(seed());
    const char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    for (int attempt = 0; attempt < 100; ++attempt) {
        std::string name = "vantor-plugin-";
        for (int i = 0; i < 6; ++i) name += kLetters[random() % (sizeof(kLetters) - 1)];
        const fs::path dir = temporary / name;
        if (fs::create_directory(dir, failed)) {
            fs::permissions(dir, fs::perms::owner_all, failed);  // as private as mkdtemp's
            return dir.string();
        }
        if (failed) return "";
    }
    return "";
}

// A link to `target` at `at`; a copy where the system refuses links (Windows without the
// privilege to make them).
void LinkOrCopy(const fs::path& target, const fs::path& at, std::error_code& failed) {
    fs::create_symlink(target, at, failed);
    if (failed) fs::copy(target, at, fs::copy_options::recursive, failed);
}

// Links every file of `from` into `to` that `to` does not hold yet.
void LinkEach(const fs::path& from, const fs::path& to, std::error_code& failed) {
    std::error_code absent;
    for (const fs::directory_entry& entry : fs::directory_iterator(from, absent)) {
        if (fs::exists(to / entry.path().filename(), failed)) continue;
        LinkOrCopy(fs::absolute(entry.path()), to / entry.path().filename(), failed);
        if (failed) return;
    }
}

// Links every module of the real channels/ except those left out and one named as the plug-in.
void LinkChannels(const fs::path& from, const fs::path& to, const std::vector<std::string>& leaveOut,
                  const std::string& pluginName, std::error_code& failed) {
    for (const fs::directory_entry& entry : fs::directory_iterator(from, failed)) {
        const std::string name = entry.path().filename().string();
        if (Listed(leaveOut, name) || name == pluginName) continue;
        LinkOrCopy(fs::absolute(entry.path()), to / name, failed);
        if (failed) return;
    }
}

}  // namespace

TempInstall::~TempInstall() {
    std::error_code ignored;
    if (!dir.empty()) fs::remove_all(dir, ignored);
}

bool TempInstall::Make(const std::string& realInstall, const std::string& plugin,
                       const std::vector<std::string>& leaveOut, std::string& error) {
    dir = MakeOwnDirectory();
    if (dir.empty()) {
        error = "cannot make a temporary directory";
        return false;
    }
    const fs::path channels = fs::path(dir) / "channels";
    const std::string pluginName = fs::path(plugin).filename().string();
    std::error_code failed;
    fs::create_directory(channels, failed);
    if (!failed) LinkChannels(fs::path(realInstall) / "channels", channels, leaveOut, pluginName, failed);
    // 3rd/: the install's libraries, and those the plug-in keeps in a 3rd/ beside its own folder,
    // as an install would hold them once the plug-in is installed with them.
    const fs::path third = fs::path(dir) / "3rd";
    if (!failed) fs::create_directory(third, failed);
    if (!failed) LinkEach(fs::path(realInstall) / "3rd", third, failed);
    if (!failed) LinkEach(fs::absolute(plugin).parent_path().parent_path() / "3rd", third, failed);
    // A copy, not a link: the engine loads it from channels/ as it would after installing.
    pluginPath = (channels / pluginName).string();
    if (!failed) fs::copy_file(plugin, pluginPath, failed);
    if (failed) error = "cannot prepare a temporary install in " + dir + ": " + failed.message();
    return !failed;
}

}  // namespace plugintool
