// The one spelling of a type record's three version numbers in text, shared by the kernel and
// the tools.
#pragma once

#include <cstdint>
#include <string>

// "1.52.1".
inline std::string VersionText(const int32_t* version) {
    return std::to_string(version[0]) + "." + std::to_string(version[1]) + "." + std::to_string(version[2]);
}
