// The channel plug-ins a set of groups needs, found through the kernel's dependency walk of
// every channel, and the DLLs below 3rd/ those plug-ins declare; each with its file's bytes
// and the kernel's checksum of it.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "TarnwellTypes.h"

class EngineInterface;
class Tev_ChannelGroup;

namespace vtr {

struct NeededPlugin {
    _GUID type = TEV_NULL_GUID;
    std::string typeName;
    std::string fileName;  // the module's name in channels/
    int32_t version[3] = {0, 0, 0};
    uint32_t crc = 0;
    std::string bytes;
};

struct NeededDll {
    std::string name;  // below 3rd/
    uint32_t crc = 0;
    std::string bytes;
    std::string neededBy;  // the first type that declared it
};

struct PluginSet {
    std::vector<NeededPlugin> plugins;  // in the order the walk met them
    std::vector<NeededDll> dlls;
    std::vector<std::string> errors;  // what the install lacks
};

// `backgroundLoads`: the groups load others in the background, which a run does through the
// standard dynamic loading plug-in: that one is needed as well.
PluginSet GatherPlugins(EngineInterface* engine, const std::vector<Tev_ChannelGroup*>& groups,
                        bool backgroundLoads);

}  // namespace vtr
