// Fresh temporary directories, removed with everything in them, on every system the tests run on.
#pragma once

#include <string>

namespace tarnwell_test {

// The system's directory for temporary files, with '/' between names and no separator at the end.
std::string TempRoot();

// path in the system's form, the form the kernel answers: '\' between names on Windows, '/'
// elsewhere.
std::string SystemPath(const std::string& path);

// Makes a new directory named prefix-<random> below parent (the temporary root when ""); answers
// its path with '/' between names, or "" when none could be made.
std::string MakeTempDirectory(const char* prefix, const std::string& parent = "");

// Removes path and everything below it, write-protected entries too; failures are ignored.
void RemoveTree(const std::string& path);

// Takes every write permission from a file (the read-only attribute on Windows); false on failure.
bool MakeReadOnly(const std::string& path);

// A fresh directory below the temporary root (or below parent), removed with everything in it
// at destruction.
class TempDir {
public:
    explicit TempDir(const char* prefix = "tarnwell-test", const std::string& parent = "");
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::string& Path() const { return path; }

private:
    std::string path;
};

}  // namespace tarnwell_test
