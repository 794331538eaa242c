// Private: the groups a run of a project loads, walked the way the run reaches them. The load
// check and vantor-project pack (through TevWalkProjectGroups) both walk with it.
#pragma once

#include <string>
#include <vector>

class EngineInterface;
class Tev_Channel;
class Tev_ChannelGroup;

namespace projectcheck {

// One step of the walk; texts "" when there is nothing to say.
struct WalkStep {
    enum Kind { kStartGroup, kLoadingCall, kWaitingCall };
    Kind kind = kStartGroup;
    Tev_ChannelGroup* group = nullptr;  // the group reached; NULL when it did not load or waits
    Tev_Channel* call = nullptr;        // the public call; NULL for the start group
    std::string path;                   // the file the group is loaded from
    bool loadedBefore = false;          // the group was in already (loaded with another one)
    bool missing = false;               // no file at `path`
    std::string reason;                 // why it did not load, in the kernel's words
};

class GroupWalkVisitor {
public:
    virtual ~GroupWalkVisitor() = default;
    virtual void Visit(const WalkStep& step) = 0;
};

// Loads the start group, then the target group of every public call of a walked group that
// loads its group (at once or in the background), each for real and left loaded; the calls
// that load nothing themselves come last, once every group is in. Answers the groups walked,
// in load order.
std::vector<Tev_ChannelGroup*> WalkProjectGroups(EngineInterface* engine, const std::string& startPath,
                                                 GroupWalkVisitor& visitor);

}  // namespace projectcheck
