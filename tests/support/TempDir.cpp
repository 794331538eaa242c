#include "support/TempDir.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <random>

namespace fs = std::filesystem;

namespace tarnwell_test {

std::string TempRoot() {
    std::error_code error;
    std::string root = fs::temp_directory_path(error).generic_string();
    while (root.size() > 1 && root.back() == '/') root.pop_back();
    return root.empty() ? std::string(".") : root;
}

std::string SystemPath(const std::string& path) { return fs::path(path).make_preferred().string(); }

std::string MakeTempDirectory(const char* prefix, const std::string& parent) {
    static std::mt19937_64 random{std::random_device{}()};
    const std::string base = parent.empty() ? TempRoot() : parent;
    static const char kLetters[] = "abcdefghijklmnopqrstuvwxyz0123456789";
    // create_directory answers false for a name that exists: try another one.
    for (int attempt = 0; attempt < 100; attempt++) {
        std::string name = std::string(prefix) + "-";
        for (int i = 0; i < 8; i++) name += kLetters[random() % (sizeof(kLetters) - 1)];
        const std::string path = base + "/" + name;
        std::error_code error;
        if (fs::create_directory(path, error)) return path;
        if (error) return "";
    }
    return "";
}

void RemoveTree(const std::string& path) {
    if (path.empty()) return;
    std::error_code ignored;
    // A test may have taken write permission away from the directory or its files.
    fs::permissions(path, fs::perms::owner_all, fs::perm_options::add, ignored);
    for (auto it = fs::recursive_directory_iterator(path, ignored); !ignored && it != fs::end(it);
         it.increment(ignored))
        if (!it->is_symlink(ignored))
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, ignored);
    ignored.clear();
    fs::remove_all(path, ignored);
}

bool MakeReadOnly(const std::string& path) {
    std::error_code error;
    fs::permissions(path, fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    fs::perm_options::remove, error);
    return !error;
}

TempDir::TempDir(const char* prefix, const std::string& parent) : path(MakeTempDirectory(prefix, parent)) {
    EXPECT_FALSE(path.empty()) << "cannot create a temporary directory";
}

TempDir::~TempDir() { RemoveTree(path); }

}  // namespace tarnwell_test
