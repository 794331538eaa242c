// Loads channel groups in the background. A small fixed set of worker threads reads the
// queued group files; each group is made on the engine's thread at a frame event, so no
// frame waits for a file and no worker touches the engine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PluginChannels.h"
#include "ReadQueue.h"

class GroupFileRead;
class Tev_Tread;

class DynamicLoadingChannel : public Pex_DynamicLoadingChannel {
public:
    DynamicLoadingChannel();
    ~DynamicLoadingChannel() override;

    void DoEvent(int event, TevEventData data) override;

    // A pool already being loaded is not started again; pools that want the same file
    // while it is pending share one read of it.
    bool StartDynamicLoading(const char* groupPath, const char* poolName) override;
    // Discards every load and waits for the workers.
    void ResetDynamicLoading() override;
    // The synchronous load wins: a background load of that pool is dropped.
    void PrepareGroupLoad(const char* poolName) override;

private:
    struct Load {
        std::string poolName;
        std::shared_ptr<GroupFileJob> job;  // shared with every pool that wants the same file
    };
    struct Worker {
        Tev_Tread* tread;     // the engine's handle; gone once killed
        int treadID;          // to tell whether the engine still holds the handle
        GroupFileRead* body;  // owned by tread
    };

    std::shared_ptr<GroupFileJob> JobFor(const std::string& path);
    void Drop(size_t index);
    bool StartWorkers();
    bool StartWorker();
    void ReapWorkers(bool wait);
    void Join(Worker& worker);
    bool MakeArrivedGroup();
    void MakeGroup(Load& load);
    bool LoadGroup(Tev_ChannelGroup* group, GroupFileJob& job, bool shared);
    void Report(const Load& load, const std::string& reason);
    void FollowFrames();

    std::shared_ptr<ReadQueue> queue;
    std::vector<Load> pending;    // queued, reading, or read and waiting for a frame
    std::vector<Worker> workers;  // at most kWorkerCount
    bool followingFrames;
};
