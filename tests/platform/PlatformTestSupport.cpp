#include "PlatformTestSupport.h"

#include <fstream>
#include <sstream>
#include <stdexcept>

#include "support/TempDir.h"

TemporaryDirectory::TemporaryDirectory() : path_(tarnwell_test::MakeTempDirectory("tarnwell-platform")) {
    if (path_.empty()) throw std::runtime_error("cannot create a temporary directory");
}

TemporaryDirectory::~TemporaryDirectory() { tarnwell_test::RemoveTree(path_); }

void WriteText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

std::string ReadText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream content;
    content << in.rdbuf();
    return content.str();
}

ScopedEnvironment::ScopedEnvironment(const char* name, const std::string& value)
    : variable_(name, value.c_str()) {}
