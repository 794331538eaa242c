// The walk of a project's groups: the start group, then what the public calls of each walked
// group load, as a run loads it, with the kernel's own loaders.
#include "project/ProjectGroupWalk.h"

#include <algorithm>
#include <cstring>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "PluginChannels.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "foundation/ChannelKind.h"
#include "foundation/ExceptionBoundary.h"
#include "platform/Files.h"
#include "project/ProjectReport.h"

namespace projectcheck {
namespace {

const char* const kWalkStopped = "TevWalkProjectGroups: the walk stopped:";
const char* const kNoFile = "the file does not exist";

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

class Walker {
public:
    Walker(EngineInterface* engine, GroupWalkVisitor& visitor) : engine(engine), visitor(visitor) {}

    std::vector<Tev_ChannelGroup*> Run(const std::string& startPath) {
        WalkStep step;
        step.path = startPath;
        step.group = Load(step, nullptr);
        visitor.Visit(step);
        // Groups join the list as public calls load them.
        for (size_t i = 0; i < groups.size(); i++) WalkCalls(groups[i]);
        for (Tev_Channel* call : waitingCalls) {
            WalkStep waiting;
            waiting.kind = WalkStep::kWaitingCall;
            waiting.call = call;
            visitor.Visit(waiting);
        }
        return groups;
    }

private:
    Tev_ChannelGroup* Load(WalkStep& step, const char* poolName) {
        if (!platform::FileExists(step.path.c_str())) {
            step.missing = true;
            step.reason = kNoFile;
            return nullptr;
        }
        MessageCapture capture;
        Tev_ChannelGroup* group = engine->LoadChannelGroup(step.path.c_str(), poolName);
        if (group)
            groups.push_back(group);
        else
            step.reason = capture.Text().empty() ? "does not load" : capture.Text();
        return group;
    }

    void WalkCalls(Tev_ChannelGroup* group) {
        for (int i = 0; i < group->GetChannelCount(); i++) {
            Tev_Channel* channel = group->GetChannel(i);
            if (channel && channel->GetChannelInterfaceType() == PEX_PUBLICCALL) WalkCall(channel);
        }
    }

    void WalkCall(Tev_Channel* call) {
        const PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
        char target[TEV_TARGET_FILE_SIZE];
        const bool loads = (info.autoLoadGroup || info.dynamicAutoLoadGroup) &&
                           info.requestedPublicChannelNr == 0 &&
                           TevPublicCallTargetFile(call, target, sizeof(target)) == 1;
        if (!loads) {
            waitingCalls.push_back(call);
            return;
        }
        WalkStep step;
        step.kind = WalkStep::kLoadingCall;
        step.call = call;
        step.path = target;
        const std::string pool = Field(info.poolName, sizeof(info.poolName));
        if (Tev_ChannelGroup* loaded = engine->GetPoolGroup(pool.c_str(), 0)) {
            // The kernel loads what public calls reach while their own group loads: walked as well.
            step.loadedBefore = true;
            step.group = loaded;
            if (std::find(groups.begin(), groups.end(), loaded) == groups.end()) groups.push_back(loaded);
        } else {
            if (auto* loader = channelkind::DynamicLoader(engine)) loader->PrepareGroupLoad(pool.c_str());
            step.group = Load(step, pool.c_str());
        }
        visitor.Visit(step);
    }

    EngineInterface* engine;
    GroupWalkVisitor& visitor;
    std::vector<Tev_ChannelGroup*> groups;   // walked, in load order
    std::vector<Tev_Channel*> waitingCalls;  // public calls that load nothing themselves
};

// Hands each step to the host as a TevWalkItem.
class HostVisitor : public GroupWalkVisitor {
public:
    HostVisitor(TevWalkHandler handler, void* context) : handler(handler), context(context) {}

    void Visit(const WalkStep& step) override {
        if (!handler) return;
        static const int kSteps[] = {TEV_WALK_START_GROUP, TEV_WALK_LOADING_CALL, TEV_WALK_WAITING_CALL};
        TevWalkItem item;
        item.step = kSteps[step.kind];
        item.group = step.group;
        item.call = step.call;
        item.file = step.path.c_str();
        item.loadedBefore = step.loadedBefore ? 1 : 0;
        item.missing = step.missing ? 1 : 0;
        item.reason = step.reason.c_str();
        handler(&item, context);
    }

private:
    TevWalkHandler handler;
    void* context;
};

}  // namespace

std::vector<Tev_ChannelGroup*> WalkProjectGroups(EngineInterface* engine, const std::string& startPath,
                                                 GroupWalkVisitor& visitor) {
    return Walker(engine, visitor).Run(startPath);
}

}  // namespace projectcheck

extern "C" TARNWELL_API int TevWalkProjectGroups(EngineControl* control, const char* startGroupPath,
                                                 TevWalkHandler handler, void* context) {
    EngineInterface* engine = control ? control->GetEngineInterface() : nullptr;
    if (!engine || !startGroupPath) return -1;
    return boundary::Guard(engine, projectcheck::kWalkStopped, -1, [&] {
        projectcheck::HostVisitor visitor(handler, context);
        return static_cast<int>(projectcheck::WalkProjectGroups(engine, startGroupPath, visitor).size());
    });
}
