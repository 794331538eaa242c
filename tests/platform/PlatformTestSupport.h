// Helpers for the platform tests: a temporary directory and small file utilities.
#pragma once

#include <string>

#include "support/TestEnvironment.h"

class TemporaryDirectory {
public:
    TemporaryDirectory();
    ~TemporaryDirectory();
    TemporaryDirectory(const TemporaryDirectory&) = delete;
    TemporaryDirectory& operator=(const TemporaryDirectory&) = delete;

    const std::string& Path() const { return path_; }
    std::string File(const std::string& name) const { return path_ + "/" + name; }

private:
    std::string path_;
};

void WriteText(const std::string& path, const std::string& text);
std::string ReadText(const std::string& path);

// Sets an environment variable for the scope and restores the previous state afterwards.
class ScopedEnvironment {
public:
    ScopedEnvironment(const char* name, const std::string& value);

private:
    tarnwell_test::ScopedEnv variable_;
};
