// The life of a plug-in's channel in a started engine: made with its children and deleted,
// its record saved and read back by a fresh channel (every block read, the same bytes saved
// again), and a group holding it saved to a file and loaded.
#pragma once

#include <string>
#include <vector>

#include "TarnwellTypes.h"

class Tev_ChannelGroup;

namespace toolengine {
class ToolEngine;
}

namespace plugintool {

class ChannelLifecycle {
public:
    // `workDir`: where the group file is written.
    ChannelLifecycle(toolengine::ToolEngine& engine, const _GUID& type, const std::string& workDir)
        : engine(engine), type(type), workDir(workDir) {}

    // Appends a line per step to `passed` or `faults`.
    void Run(std::vector<std::string>& passed, std::vector<std::string>& faults);

private:
    bool MakeAndDelete(Tev_ChannelGroup* group, std::string& fault);
    bool RecordRoundTrip(Tev_ChannelGroup* group, std::string& fault);
    bool GroupRoundTrip(std::string& fault);
    // The kernel's messages since the last call, joined into one line (empty: none).
    std::string KernelSaid();

    toolengine::ToolEngine& engine;
    _GUID type;
    std::string workDir;
};

}  // namespace plugintool
