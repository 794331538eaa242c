#include "GroupWalk.h"

#include <algorithm>
#include <cstring>
#include <filesystem>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineControl.h"
#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"

namespace vtr {

namespace {

std::string Field(const char* text, size_t size) { return std::string(text, strnlen(text, size)); }

std::string Text(const char* text) { return text ? text : ""; }

// Collects the kernel's walk: the groups with their files, and what stays unwalked.
class Collector {
public:
    Collector(EngineInterface* engine, GroupWalk& walk) : engine(engine), walk(walk) {}

    static void Step(const TevWalkItem* item, void* context) {
        static_cast<Collector*>(context)->Take(*item);
    }

    std::string error;

private:
    void Take(const TevWalkItem& item) {
        if (item.step == TEV_WALK_WAITING_CALL) return Waiting(item.call);
        if (item.step == TEV_WALK_LOADING_CALL && !channelInternal.GetAutoLoadGroup(item.call))
            walk.loadsInBackground = true;
        if (item.group) {
            // A group the kernel loaded with another one is named by its own file.
            Add(item.group, item.loadedBefore ? Text(item.group->GetChannelGroupFileName()) : item.file);
        } else if (item.step == TEV_WALK_LOADING_CALL && item.missing) {
            Note(item.call, "names group", "\", which is not there");
        } else if (error.empty()) {
            error = "the engine could not load the channel group " + NativePath(item.file);
            walk.failure = item.reason;
        }
    }

    void Add(Tev_ChannelGroup* group, const std::string& path) {
        if (std::find(walk.groups.begin(), walk.groups.end(), group) != walk.groups.end()) return;
        walk.groups.push_back(group);
        walk.files.push_back(NativePath(path));
    }

    // A call that loads nothing itself finds its group only if another call loads it.
    void Waiting(Tev_Channel* call) {
        const PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
        if (!engine->GetPoolGroup(Field(info.poolName, sizeof(info.poolName)).c_str(), 0))
            Note(call, "waits for group", "\", which nothing of the project loads");
    }

    void Note(Tev_Channel* call, const char* what, const char* why) {
        const PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
        Tev_ChannelGroup* own = call->GetChannelGroup();
        walk.notes.push_back("public call \"" + Text(call->GetChannelName()) + "\" in " +
                             NativePath(Text(own ? own->GetChannelGroupFileName() : nullptr)) + " " + what +
                             " \"" + Field(info.poolName, sizeof(info.poolName)) + "\" in \"" +
                             Field(info.fileName, sizeof(info.fileName)) + why +
                             ": that group's plug-ins are not packed");
    }

    EngineInterface* engine;
    GroupWalk& walk;
};

}  // namespace

std::string NativePath(const std::string& kernelPath) {
    std::string path = kernelPath;
    for (char& c : path)
        if (c == '\\' || c == '/') c = static_cast<char>(std::filesystem::path::preferred_separator);
    return path;
}

bool WalkGroups(EngineControl* control, const std::string& startGroup, GroupWalk& walk, std::string& error) {
    Collector collector(control->GetEngineInterface(), walk);
    TevWalkProjectGroups(control, startGroup.c_str(), &Collector::Step, &collector);
    error = collector.error;
    return error.empty();
}

}  // namespace vtr
