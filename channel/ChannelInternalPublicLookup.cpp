// Resolving a public call to the public channel it stands for: the per-number cache and
// request marks, loading the target's group on demand, and entering the target group.
#include <cstring>
#include <string>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "FilePathFind.h"
#include "PluginChannels.h"
#include "TarnwellHost.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "channel/ChannelMessages.h"
#include "channel/DeferredGroupLoad.h"
#include "foundation/ChannelKind.h"
#include "foundation/ListItems.h"
#include "platform/Text.h"

namespace {

// The cache and the request marks are lists indexed by the wanted pool number. A number
// outside this range (a damaged record) is never looked up, so neither list can be made
// to grow without bound.
const int kPublicChannelNrLimit = 1 << 16;

const int kMinFileNameLength = 2;

// Record fields may come from a file or a caller without their terminator.
std::string FieldText(const char* field, size_t size) { return std::string(field, strnlen(field, size)); }

EngineInterfaceExt* ExtOf(Tev_Channel* channel) {
    return channel->engineInterface ? channel->engineInterface->engineInterfaceExt : nullptr;
}

Pex_DynamicLoadingChannel* DynamicLoader(EngineInterface* engine) {
    return channelkind::DynamicLoader(engine);
}

// Where the call's target group comes from: the record's file name, relative to the public
// call's own group file. False when it names no file a load could read: a name too short, or
// an own group without a file to be relative to (a call outside any group takes the name as
// given). `path` is "" when the name cannot be composed into one.
bool TargetGroupPath(Tev_Channel* publicCall, const PublicCallInfo& info, std::string& path) {
    const std::string fileName = FieldText(info.fileName, sizeof(info.fileName));
    if (fileName.size() < kMinFileNameLength) return false;
    FilePathFind paths(publicCall->engineInterface);
    if (Tev_ChannelGroup* ownGroup = publicCall->GetChannelGroup()) {
        const char* source = ownGroup->GetChannelGroupFileName();
        if (!source || !source[0]) return false;
        paths.SetSourcePath(source);
    }
    const char* complete = paths.GetCompleteFilePath(fileName.c_str());
    path = complete ? complete : "";
    return true;
}

// Names of a request: the first characters identical, the rest equal ignoring case.
bool SameName(const char* a, const char* b) { return a && b && a[0] == b[0] && platform::StrICmp(a, b) == 0; }

}  // namespace

Tev_Channel* ChannelInternal::GetPublicChannelForPublicCall(Tev_Channel* publicCall, bool enter) {
    if (!publicCall || !publicCall->publicCallInfo) return nullptr;
    if (!publicCall->publicChannelInstances) publicCall->publicChannelInstances = new Tev_List();
    const int nr = publicCall->publicCallInfo->requestedPublicChannelNr;
    if (nr < 0 || nr >= kPublicChannelNrLimit) return nullptr;

    if (Tev_Channel* cached = listitems::At<Tev_Channel>(*publicCall->publicChannelInstances, nr))
        return EnterPublicChannel(publicCall, cached, enter);
    // The engine holds a request and answers it when the group arrives.
    if (publicCall->publicChannelRequests && publicCall->publicChannelRequests->GetItem(nr)) return nullptr;

    EngineInterfaceExt* ext = ExtOf(publicCall);
    if (!ext) return nullptr;
    if (Tev_Channel* found = ext->GetPublicChannel(publicCall->publicCallInfo))
        return AcceptPublicChannel(publicCall, found, nr) ? EnterPublicChannel(publicCall, found, enter)
                                                          : nullptr;
    return ResolveMissingPublicChannel(publicCall, nr, enter);
}

// A public channel of another base type is refused, silently and without caching.
bool ChannelInternal::AcceptPublicChannel(Tev_Channel* publicCall, Tev_Channel* found, int nr) {
    if (found->GetChannelType().baseGuid != publicCall->GetChannelType().baseGuid) return false;
    if (!publicCall->publicChannelInstances) publicCall->publicChannelInstances = new Tev_List();
    publicCall->publicChannelInstances->SetItem(found, nr);
    return true;
}

Tev_Channel* ChannelInternal::EnterPublicChannel(Tev_Channel* publicCall, Tev_Channel* target, bool enter) {
    publicCall->dynamicLoadPending = false;
    Tev_ChannelGroup* group = target->channelGroup;
    if (enter && group) {
        // The target group's channels work once per pass; a new set of parameters is a new pass.
        const bool hasChildren = publicCall->children.GetItemCount() > 0;
        if (publicCall->treeCountMode == 2 || (publicCall->treeCountMode == 1 && hasChildren))
            group->IncreaseTreeCount();
        group->SetParameterChannel(hasChildren ? publicCall : nullptr);
    }
    if (target->channelInterfaceType == PEX_PUBLICCUSTOMCHANNELGET)
        return target->GetChannelFromChannel(nullptr, nullptr);
    return target;
}

void ChannelInternal::RegisterPublicChannelRequest(Tev_Channel* publicCall, int nr) {
    EngineInterfaceExt* ext = ExtOf(publicCall);
    if (!ext || !ext->AddChannelRequest(nr, publicCall)) return;
    if (!publicCall->publicChannelRequests) publicCall->publicChannelRequests = new Tev_List();
    publicCall->publicChannelRequests->SetItem(publicCall, nr);  // any non-null mark
}

Tev_Channel* ChannelInternal::ResolveMissingPublicChannel(Tev_Channel* publicCall, int nr, bool enter) {
    PublicCallInfo* info = publicCall->publicCallInfo;
    if (!info->autoLoadGroup) RegisterPublicChannelRequest(publicCall, nr);
    if (info->autoLoadGroup && nr == 0) {
        Tev_Channel* loaded = AutoLoadPublicChannel(publicCall);
        return loaded ? EnterPublicChannel(publicCall, loaded, enter) : nullptr;
    }
    if (info->dynamicAutoLoadGroup && nr == 0 && !publicCall->dynamicLoadPending &&
        strnlen(info->fileName, sizeof(info->fileName)) >= kMinFileNameLength)
        StartDynamicAutoLoad(publicCall);
    return nullptr;
}

// Loads the target's group at once. Every failure switches autoload off, so it is told once.
Tev_Channel* ChannelInternal::AutoLoadPublicChannel(Tev_Channel* publicCall) {
    PublicCallInfo* info = publicCall->publicCallInfo;
    EngineInterface* engine = publicCall->engineInterface;
    if (publicCall->publicChannelRequests && publicCall->publicChannelRequests->GetItem(0)) return nullptr;
    std::string path;
    if (!TargetGroupPath(publicCall, *info, path)) return nullptr;
    const std::string fileName = FieldText(info->fileName, sizeof(info->fileName));
    Tev_ChannelGroup* ownGroup = publicCall->channelGroup;
    const std::string poolName = FieldText(info->poolName, sizeof(info->poolName));
    if (engine->GetPoolGroup(poolName.c_str(), 0)) {
        ReportMissingPublicChannel(publicCall);
        info->autoLoadGroup = false;
        return nullptr;
    }

    if (Pex_DynamicLoadingChannel* loader = DynamicLoader(engine)) loader->PrepareGroupLoad(poolName.c_str());
    const char* callerFile = ownGroup ? ownGroup->GetChannelGroupFileName() : nullptr;
    if (!path.empty() && grouploads::DeferWhileLoading(
                             engine, {path.c_str(), poolName.c_str(), fileName.c_str(), callerFile})) {
        // Linked while a group loads: the target's group follows that load and answers the request.
        RegisterPublicChannelRequest(publicCall, 0);
        return nullptr;
    }
    Tev_ChannelGroup* loaded =
        path.empty() ? nullptr : engine->LoadChannelGroup(path.c_str(), poolName.c_str());
    if (!loaded) {
        channelmsg::AutoloadFailed(engine, fileName.c_str(), callerFile, path.c_str());
        info->autoLoadGroup = false;
        return nullptr;
    }

    EngineInterfaceExt* ext = ExtOf(publicCall);
    Tev_Channel* found = ext ? ext->GetPublicChannel(info) : nullptr;
    if (found) return AcceptPublicChannel(publicCall, found, 0) ? found : nullptr;
    RegisterPublicChannelRequest(publicCall, 0);
    return nullptr;
}

// Hands the load to the dynamic loading plug-in; a later look-up finds the target once the
// group is in, or the engine answers the request registered meanwhile.
void ChannelInternal::StartDynamicAutoLoad(Tev_Channel* publicCall) {
    PublicCallInfo* info = publicCall->publicCallInfo;
    EngineInterface* engine = publicCall->engineInterface;
    if (!engine) return;
    std::string path;
    if (!TargetGroupPath(publicCall, *info, path)) return;
    const std::string poolName = FieldText(info->poolName, sizeof(info->poolName));
    if (engine->GetPoolGroup(poolName.c_str(), 0)) {
        info->dynamicAutoLoadGroup = 0;
        channelmsg::Error(engine, channelmsg::kDynamicLoadOff);
        return;
    }
    Pex_DynamicLoadingChannel* loader = DynamicLoader(engine);
    if (!loader || path.empty()) return;
    publicCall->dynamicLoadPending = true;
    loader->StartDynamicLoading(path.c_str(), poolName.c_str());
}

void ChannelInternal::ReportMissingPublicChannel(Tev_Channel* publicCall) {
    PublicCallInfo* info = publicCall->publicCallInfo;
    EngineInterface* engine = publicCall->engineInterface;
    const std::string fileName = FieldText(info->fileName, sizeof(info->fileName));
    const std::string channelName = FieldText(info->channelName, sizeof(info->channelName));
    const std::string poolName = FieldText(info->poolName, sizeof(info->poolName));
    Tev_ChannelGroup* ownGroup = publicCall->channelGroup;

    channelmsg::Error(engine, channelmsg::kPublicLookupError);
    channelmsg::Error(engine, publicCall->channelName, channelmsg::kPublicNonExisting);
    if (ownGroup && ownGroup->GetPoolName())
        channelmsg::Error(engine, channelmsg::kOriginalPoolname, ownGroup->GetPoolName());
    if (ownGroup && ownGroup->GetChannelGroupFileName())
        channelmsg::Error(engine, channelmsg::kOriginalFilename, ownGroup->GetChannelGroupFileName());
    channelmsg::Error(engine, channelmsg::kTargetFilename, fileName.c_str());
    channelmsg::Error(engine, channelmsg::kNonExistingChannel, channelName.c_str());
    channelmsg::Error(engine, channelmsg::kTargetPoolname, poolName.c_str());
    channelmsg::Error(engine, channelmsg::kTargetFilename, fileName.c_str());
    channelmsg::Error(engine, channelmsg::kAutoloadOff);
    channelmsg::Error(engine, channelmsg::kRenamedOrDeleted);
}

bool ChannelInternal::CheckPublicChannelRequest(Tev_Channel* publicCall, Tev_Channel* candidate, int nr,
                                                const char* poolName) {
    if (!publicCall || !candidate || !poolName) return false;
    PublicCallInfo* info = publicCall->publicCallInfo;
    if (!info || !publicCall->publicChannelRequests) return false;
    if (nr < 0 || nr >= kPublicChannelNrLimit) return false;
    if (publicCall->publicChannelInstances && publicCall->publicChannelInstances->GetItem(nr)) return false;
    if (!publicCall->publicChannelRequests->GetItem(nr)) return false;

    const std::string wantedPool = FieldText(info->poolName, sizeof(info->poolName));
    const std::string wantedChannel = FieldText(info->channelName, sizeof(info->channelName));
    if (!SameName(poolName, wantedPool.c_str())) return false;
    if (!SameName(candidate->channelName, wantedChannel.c_str())) return false;
    if (!AcceptPublicChannel(publicCall, candidate, nr)) return false;
    publicCall->publicChannelRequests->SetItem(nullptr, nr);
    return true;
}

extern "C" TARNWELL_API int TevPublicCallTargetFile(Tev_Channel* call, char* path, unsigned size) {
    if (!call || call->GetChannelInterfaceType() != PEX_PUBLICCALL || !path || size < TEV_TARGET_FILE_SIZE)
        return -1;
    std::string target;
    if (!TargetGroupPath(call, channelInternal.GetPublicCallInfo(call), target)) return 0;
    return platform::CopyText(path, size, target.c_str()) ? 1 : -1;
}
