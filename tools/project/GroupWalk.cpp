#include "GroupWalk.h"

#include <cstring>
#include <filesystem>
#include <unordered_set>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"

namespace vtr {

namespace {

namespace fs = std::filesystem;

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

class Walker {
public:
    Walker(EngineInterface* engine, GroupWalk& walk) : engine(engine), walk(walk) {}

    bool Load(const std::string& path, const char* poolName, std::string& error) {
        Tev_ChannelGroup* group = engine->LoadChannelGroup(path.c_str(), poolName);
        if (!group) {
            error = "the engine could not load the channel group " + NativePath(path);
            return false;
        }
        Add(group, path);
        return true;
    }

    void Add(Tev_ChannelGroup* group, const std::string& path) {
        if (!walked.insert(group).second) return;
        walk.groups.push_back(group);
        walk.files.push_back(NativePath(path));
    }

    // Follows a public call as an autoload would: the target group's file relative to the
    // call's own group file, loaded under the call's pool name unless that group is in.
    bool Follow(Tev_ChannelGroup* group, Tev_Channel* call, std::string& error) {
        const PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
        const std::string pool = Field(info.poolName, sizeof(info.poolName));
        // The kernel loads the groups that public calls reach while their own group loads: those
        // are walked as well, or their plug-ins would go unpacked.
        if (Tev_ChannelGroup* loaded = engine->GetPoolGroup(pool.c_str(), 0)) {
            const char* file = loaded->GetChannelGroupFileName();
            Add(loaded, file ? file : "");
            return true;
        }
        const std::string file = Field(info.fileName, sizeof(info.fileName));
        char complete[TEV_TARGET_FILE_SIZE];
        std::error_code failed;
        if (TevPublicCallTargetFile(call, complete, sizeof(complete)) != 1 || !complete[0] ||
            !fs::is_regular_file(NativePath(complete), failed)) {
            const char* name = call->GetChannelName();
            walk.notes.push_back("public call \"" + std::string(name ? name : "") + "\" in " +
                                 NativePath(group->GetChannelGroupFileName()) + " names group \"" + pool +
                                 "\" in \"" + file +
                                 "\", which is not there: that group's plug-ins are not packed");
            return true;
        }
        return Load(complete, pool.c_str(), error);
    }

private:
    EngineInterface* engine;
    GroupWalk& walk;
    std::unordered_set<Tev_ChannelGroup*> walked;
};

}  // namespace

std::string NativePath(const std::string& kernelPath) {
    std::string path = kernelPath;
    for (char& c : path)
        if (c == '\\') c = '/';
    return path;
}

bool WalkGroups(EngineInterface* engine, const std::string& startGroup, GroupWalk& walk, std::string& error) {
    Walker walker(engine, walk);
    if (!walker.Load(startGroup, nullptr, error)) return false;
    // The list grows while it is walked: every group loaded is searched in turn.
    for (size_t g = 0; g < walk.groups.size(); ++g) {
        Tev_ChannelGroup* group = walk.groups[g];
        for (int i = 0; i < group->GetChannelCount(); ++i) {
            Tev_Channel* channel = group->GetChannel(i);
            if (channel && channel->GetChannelInterfaceType() == PEX_PUBLICCALL &&
                !walker.Follow(group, channel, error))
                return false;
        }
    }
    return true;
}

}  // namespace vtr
