#include "DynamicLoadingChannel.h"

#include <strings.h>

#include <algorithm>
#include <chrono>
#include <thread>

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "GroupFileRead.h"
#include "Tev_ChannelGroup.h"
#include "Tev_Tread.h"

namespace {

using Clock = std::chrono::steady_clock;

const char kLoadFailed[] = "DynamicLoading: couldn't load group file";
// Reading is mostly waiting for the disk: two workers keep it busy however many loads wait.
const size_t kWorkerCount = 2;
// A frame makes at least one arrived group, and more while it has spent less than this.
const std::chrono::microseconds kMakeBudget(4000);
// A worker with nothing left to read returns at once; this long is waited for it to do so
// before the engine's close takes over, which polls in steps of 10 ms.
const std::chrono::milliseconds kReturnWait(50);

bool SamePool(const std::string& a, const char* b) { return strcasecmp(a.c_str(), b) == 0; }

}  // namespace

DynamicLoadingChannel::DynamicLoadingChannel()
    : queue(std::make_shared<ReadQueue>()), followingFrames(false) {}

// The engine closes and deletes its worker handles before its unique channels; a handle it no
// longer lists is gone and is not touched. The queue stays alive for bodies still running.
DynamicLoadingChannel::~DynamicLoadingChannel() {
    queue->Clear();
    for (Load& load : pending) load.job->cancelled = true;
    pending.clear();
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    for (Worker& worker : workers)
        if (ext && ext->GetTreadFromID(worker.treadID) == worker.tread) Join(worker);
    workers.clear();
    if (followingFrames && engineInterface) engineInterface->RemoveChannelFromEvent(this, TEV_EVENT_FRAME);
}

bool DynamicLoadingChannel::StartDynamicLoading(const char* groupPath, const char* poolName) {
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (!groupPath || !groupPath[0] || !poolName || !poolName[0] || !ext) return false;
    for (const Load& load : pending)
        if (SamePool(load.poolName, poolName)) return true;

    pending.push_back(Load{poolName, JobFor(groupPath)});
    if (!StartWorkers()) {
        Report(pending.back(), "no worker thread");
        Drop(pending.size() - 1);
        return false;
    }
    FollowFrames();
    return true;
}

void DynamicLoadingChannel::PrepareGroupLoad(const char* poolName) {
    if (!poolName) return;
    for (size_t i = 0; i < pending.size(); ++i) {
        if (!SamePool(pending[i].poolName, poolName)) continue;
        Drop(i);
        return;
    }
}

void DynamicLoadingChannel::ResetDynamicLoading() {
    queue->Clear();
    for (Load& load : pending) load.job->cancelled = true;
    pending.clear();
    ReapWorkers(true);
}

void DynamicLoadingChannel::DoEvent(int event, TevEventData) {
    if (event != TEV_EVENT_FRAME) return;
    ReapWorkers(false);
    // A file queued while the last worker was on its way out still needs one.
    StartWorkers();
    const Clock::time_point start = Clock::now();
    while (MakeArrivedGroup() && Clock::now() - start < kMakeBudget) {
    }
    if (pending.empty() && workers.empty() && followingFrames) {
        followingFrames = false;
        engineInterface->RemoveChannelFromEvent(this, TEV_EVENT_FRAME);
    }
}

void DynamicLoadingChannel::FollowFrames() {
    if (followingFrames || !engineInterface) return;
    followingFrames = true;
    engineInterface->AddChannelToEvent(this, TEV_EVENT_FRAME);
}

// The pending read of that file, or a new one in the queue.
std::shared_ptr<GroupFileJob> DynamicLoadingChannel::JobFor(const std::string& path) {
    for (const Load& load : pending)
        if (load.job->path == path && !load.job->cancelled) return load.job;
    auto job = std::make_shared<GroupFileJob>(path);
    queue->Push(job);
    return job;
}

// A read nobody waits for any more is stopped.
void DynamicLoadingChannel::Drop(size_t index) {
    std::shared_ptr<GroupFileJob> job = pending[index].job;
    pending.erase(pending.begin() + static_cast<long>(index));
    for (const Load& load : pending)
        if (load.job == job) return;
    job->cancelled = true;
}

// Workers for the queued files, at most kWorkerCount in all. False when there is none.
bool DynamicLoadingChannel::StartWorkers() {
    const size_t wanted = std::min(kWorkerCount, workers.size() + queue->Size());
    while (workers.size() < wanted)
        if (!StartWorker()) break;
    return !workers.empty() || queue->Size() == 0;
}

bool DynamicLoadingChannel::StartWorker() {
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    Tev_Tread* tread = ext ? ext->GetNewTread() : nullptr;
    if (!tread) return false;
    GroupFileRead* body = new GroupFileRead(queue);
    if (!tread->StartTread(body)) {
        // The handle keeps the body; killing it disposes of both.
        ext->KillTread(tread);
        return false;
    }
    workers.push_back(Worker{tread, tread->GetClassID(), body});
    return true;
}

// Joins the workers that are done; with wait, all of them.
void DynamicLoadingChannel::ReapWorkers(bool wait) {
    for (size_t i = 0; i < workers.size();) {
        if (!wait && !workers[i].body->GetIfTreadReady()) {
            ++i;
            continue;
        }
        Join(workers[i]);
        workers.erase(workers.begin() + static_cast<long>(i));
    }
}

// Waits for the worker when it still runs; the engine then deletes the handle.
void DynamicLoadingChannel::Join(Worker& worker) {
    const Clock::time_point deadline = Clock::now() + kReturnWait;
    while (!worker.body->GetIfTreadReady() && Clock::now() < deadline) std::this_thread::yield();
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (ext) ext->KillTread(worker.tread);
    worker.tread = nullptr;
    worker.body = nullptr;
}

// Makes the group of the first load whose file has been read. Once every read is over, the
// workers are joined first, so a reported load leaves no worker behind.
bool DynamicLoadingChannel::MakeArrivedGroup() {
    auto arrived =
        std::find_if(pending.begin(), pending.end(), [](const Load& load) { return load.job->IsFinished(); });
    if (arrived == pending.end()) return false;
    const bool allRead =
        queue->Size() == 0 &&
        std::all_of(pending.begin(), pending.end(), [](const Load& load) { return load.job->IsFinished(); });
    if (allRead) ReapWorkers(true);
    // Making a group may start or drop loads (its channels, waiting public calls), so the
    // load leaves the list first.
    Load load = *arrived;
    pending.erase(arrived);
    MakeGroup(load);
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
    if (!LoadGroup(group, job, load.job.use_count() > 1)) {
        engineInterface->DeleteChannelGroup(group->GetGroupIndex());
        Report(load, "not a readable channel group");
        return;
    }
    const char* fileName = group->GetChannelGroupFileName();
    if (!fileName || !fileName[0]) group->SetChannelGroupFileName(job.path.c_str());
    group->SetPoolName(load.poolName.c_str());
    group->SetPoolNr(0);
    group->CheckPublicChannels();
}

// Reading may rewrite the bytes in place (translators), so a file other pools still wait
// for is read from a copy; the last pool takes the bytes themselves.
bool DynamicLoadingChannel::LoadGroup(Tev_ChannelGroup* group, GroupFileJob& job, bool shared) {
    std::vector<char> bytes;
    if (shared)
        bytes = job.bytes;
    else
        bytes.swap(job.bytes);
    return group->LoadChannelGroupFromBuffer(job.path.c_str(), static_cast<int>(bytes.size()), bytes.data(),
                                             false);
}

void DynamicLoadingChannel::Report(const Load& load, const std::string& reason) {
    if (!engineInterface) return;
    std::string text = std::string(kLoadFailed) + " (" + reason + ") :";
    engineInterface->showErrorMessage(text.c_str(), load.job->path.c_str());
}
