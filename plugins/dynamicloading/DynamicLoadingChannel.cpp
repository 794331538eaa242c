#include "DynamicLoadingChannel.h"

#include <strings.h>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "GroupFileRead.h"
#include "Tev_ChannelGroup.h"
#include "Tev_Tread.h"

namespace {

const char kLoadFailed[] = "DynamicLoading: couldn't load group file";

bool SamePool(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

DynamicLoadingChannel::DynamicLoadingChannel() : followingFrames(false) {}

// The engine closes and deletes its worker handles before its unique channels; a handle it no
// longer lists is gone and is not touched. The jobs stay alive for bodies still running.
DynamicLoadingChannel::~DynamicLoadingChannel() {
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    for (std::vector<Load>* loads : {&pending, &discarded}) {
        for (Load& load : *loads) {
            load.job->cancelled = true;
            if (ext && ext->GetTreadFromID(load.treadID) == load.tread) Join(load);
        }
        loads->clear();
    }
    if (followingFrames && engineInterface) engineInterface->RemoveChannelFromEvent(this, TEV_EVENT_FRAME);
}

bool DynamicLoadingChannel::StartDynamicLoading(const char* groupPath, const char* poolName) {
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (!groupPath || !groupPath[0] || !poolName || !poolName[0] || !ext) return false;
    for (const Load& load : pending)
        if (SamePool(load.poolName, poolName)) return true;

    Load load{poolName, std::make_shared<GroupFileJob>(groupPath), nullptr, -1, nullptr};
    load.tread = ext->GetNewTread();
    if (!load.tread) {
        Report(load, "no worker thread");
        return false;
    }
    load.treadID = load.tread->GetClassID();
    load.body = new GroupFileRead(load.job);
    if (!load.tread->StartTread(load.body)) {
        // The handle keeps the body; killing it disposes of both.
        ext->KillTread(load.tread);
        Report(load, "worker thread not started");
        return false;
    }
    pending.push_back(load);
    FollowFrames();
    return true;
}

void DynamicLoadingChannel::PrepareGroupLoad(const char* poolName) {
    if (!poolName) return;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!SamePool(pending[i].poolName, poolName)) continue;
        Cancel(pending[i]);
        discarded.push_back(pending[i]);
        pending.erase(pending.begin() + static_cast<long>(i));
        return;
    }
}

void DynamicLoadingChannel::ResetDynamicLoading() {
    // Detached first: joining lets no one else see a half-emptied list.
    std::vector<Load> loads;
    loads.swap(pending);
    loads.insert(loads.end(), discarded.begin(), discarded.end());
    discarded.clear();
    for (Load& load : loads) Cancel(load);
    for (Load& load : loads) Join(load);
}

void DynamicLoadingChannel::DoEvent(int event, unsigned long) {
    if (event != TEV_EVENT_FRAME) return;
    ReapDiscarded();
    // Making a group may start or drop loads (its channels, waiting public calls), so every
    // finished load leaves the list before its group is made.
    for (bool found = true; found;) {
        found = false;
        for (size_t i = 0; i < pending.size(); ++i) {
            if (!TakeFinished(pending[i])) continue;
            Load load = pending[i];
            pending.erase(pending.begin() + static_cast<long>(i));
            MakeGroup(load);
            found = true;
            break;
        }
    }
    if (pending.empty() && discarded.empty() && followingFrames) {
        followingFrames = false;
        engineInterface->RemoveChannelFromEvent(this, TEV_EVENT_FRAME);
    }
}

void DynamicLoadingChannel::FollowFrames() {
    if (followingFrames || !engineInterface) return;
    followingFrames = true;
    engineInterface->AddChannelToEvent(this, TEV_EVENT_FRAME);
}

// Finished, and its worker past the body, so that killing the handle never waits.
bool DynamicLoadingChannel::TakeFinished(Load& load) {
    {
        std::lock_guard<std::mutex> guard(load.job->lock);
        if (!load.job->finished) return false;
    }
    if (!load.body->GetIfTreadReady()) return false;
    Join(load);
    return true;
}

void DynamicLoadingChannel::MakeGroup(Load& load) {
    GroupFileJob& job = *load.job;
    if (!job.error.empty()) {
        Report(load, job.error);
        return;
    }
    // A group of that pool loaded meanwhile (by hand or synchronously) is never replaced.
    if (engineInterface->GetPoolGroup(load.poolName.c_str(), 0)) return;
    Tev_ChannelGroup* group = engineInterface->CreateNewGroup(load.poolName.c_str(), false, 0);
    if (!group) {
        Report(load, "group not created");
        return;
    }
    if (!group->LoadChannelGroupFromBuffer(job.path.c_str(), static_cast<int>(job.bytes.size()),
                                           job.bytes.data(), false)) {
        engineInterface->DeleteChannelGroup(group->GetGroupIndex());
        Report(load, "not a readable channel group");
        return;
    }
    std::vector<char>().swap(job.bytes);
    const char* fileName = group->GetChannelGroupFileName();
    if (!fileName || !fileName[0]) group->SetChannelGroupFileName(job.path.c_str());
    group->SetPoolName(load.poolName.c_str());
    group->SetPoolNr(0);
    group->CheckPublicChannels();
}

void DynamicLoadingChannel::Report(const Load& load, const std::string& reason) {
    if (!engineInterface) return;
    std::string text = std::string(kLoadFailed) + " (" + reason + ") :";
    engineInterface->showErrorMessage(text.c_str(), load.job->path.c_str());
}

void DynamicLoadingChannel::Cancel(Load& load) {
    load.job->cancelled = true;
    if (load.tread) load.tread->ExitThread();
}

// Waits for the worker when it still reads; the engine then deletes the handle.
void DynamicLoadingChannel::Join(Load& load) {
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (ext && load.tread) ext->KillTread(load.tread);
    load.tread = nullptr;
    load.body = nullptr;
}

void DynamicLoadingChannel::ReapDiscarded() {
    for (size_t i = 0; i < discarded.size();) {
        if (discarded[i].body && !discarded[i].body->GetIfTreadReady()) {
            ++i;
            continue;
        }
        Join(discarded[i]);
        discarded.erase(discarded.begin() + static_cast<long>(i));
    }
}
