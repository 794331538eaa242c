// Which file a path names: tells a file replaced by a rename from one written in place.
#pragma once

#include <cstdint>
#include <string>

namespace tarnwell_test {

struct FileIdentity {
    uint64_t volume = 0;
    uint64_t file = 0;
    bool operator==(const FileIdentity& other) const { return volume == other.volume && file == other.file; }
    bool operator!=(const FileIdentity& other) const { return !(*this == other); }
};

// False when nothing can be found at path.
bool IdentifyFile(const std::string& path, FileIdentity& identity);

}  // namespace tarnwell_test
