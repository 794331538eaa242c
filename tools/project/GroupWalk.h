// The groups a project runs: its start group and every group its public calls load, walked by
// the kernel as its load check walks them (TevWalkProjectGroups).
#pragma once

#include <string>
#include <vector>

class EngineControl;
class Tev_ChannelGroup;

namespace vtr {

struct GroupWalk {
    std::vector<Tev_ChannelGroup*> groups;  // the start group first; owned by the engine
    std::vector<std::string> files;         // the file of each group
    std::vector<std::string> notes;         // public calls whose target group was not walked
    std::string failure;                    // why a group did not load, in the kernel's words
    bool loadsInBackground = false;         // a walked call loads its group through the dynamic loader
};

// False when the start group or a group a public call loads could not be loaded; `error`
// says which.
bool WalkGroups(EngineControl* control, const std::string& startGroup, GroupWalk& walk, std::string& error);

// A path the kernel composed ('\' separators) or a project named ('/') as the system spells it,
// every separator its own: '\' on Windows, '/' elsewhere. The paths the tools show and open.
std::string NativePath(const std::string& kernelPath);

}  // namespace vtr
