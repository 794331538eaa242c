// The groups a project runs: its start group and every group reached from there through
// public calls, loaded in an engine the way the kernel loads them on demand.
#pragma once

#include <string>
#include <vector>

class EngineInterface;
class Tev_ChannelGroup;

namespace vtr {

struct GroupWalk {
    std::vector<Tev_ChannelGroup*> groups;  // the start group first; owned by the engine
    std::vector<std::string> files;         // the file of each group
    std::vector<std::string> notes;         // public calls whose target group was not followed
};

// False when the start group or a group a public call names could not be loaded; `error`
// says which.
bool WalkGroups(EngineInterface* engine, const std::string& startGroup, GroupWalk& walk, std::string& error);

// A path the kernel composed ('\' separators) as the file system spells it.
std::string NativePath(const std::string& kernelPath);

}  // namespace vtr
