// vantor-plugin list: every channel type of an install with its module, version and checksum,
// and the modules of channels/ the engine ignores, each with the reason.
#pragma once

#include <string>
#include <vector>

namespace toolengine {
class Diagnostics;
}

namespace plugintool {

struct ListedType {
    std::string name;
    std::string guid;
    std::string version;         // "1.52.1"
    std::string module;          // path of the module file
    unsigned long checksum = 0;  // the file reader's checksum of the module (what projects record)
    bool onDisk = true;          // false: known from channel.lst only, its module is gone
};

struct IgnoredModule {
    std::string module;
    std::string reason;
};

struct Listing {
    std::vector<ListedType> types;
    std::vector<IgnoredModule> ignored;
};

// False with a reason when no engine started in `installDir`. The engine's messages also go to
// `diagnostics` when given.
bool ListInstall(const std::string& installDir, const std::string& registryKey, Listing& listing,
                 std::string& error, toolengine::Diagnostics* diagnostics = nullptr);

std::string ListingText(const Listing& listing);
std::string ListingJson(const Listing& listing);

}  // namespace plugintool
