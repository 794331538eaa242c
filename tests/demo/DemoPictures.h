// The demo's PNG pictures as the tests read them back: decoded RGB pixels, and a line that names
// a picture by its size and a SHA-256 of those pixels (the same on every system that draws alike).
#pragma once

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace demo_test {

struct Picture {
    bool read = false;
    unsigned width = 0, height = 0;
    std::vector<unsigned char> rgb;  // rows of r, g, b

    size_t Count(const unsigned char colour[3]) const;
};

Picture ReadPng(const std::filesystem::path& path);

// SHA-256 of `size` bytes, as 64 lower-case hex digits.
std::string Sha256Hex(const unsigned char* data, size_t size);

}  // namespace demo_test
