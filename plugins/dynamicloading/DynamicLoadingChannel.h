// Loads channel groups in the background. A worker thread reads the group file; the group is
// made on the engine's thread at the next frame event, so no frame waits for a file and no
// worker touches the engine.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "PluginChannels.h"

struct GroupFileJob;
class GroupFileRead;
class Tev_Tread;

class DynamicLoadingChannel : public Pex_DynamicLoadingChannel {
public:
    DynamicLoadingChannel();
    ~DynamicLoadingChannel() override;

    void DoEvent(int event, unsigned long data) override;

    // A pool already being loaded is not started again.
    bool StartDynamicLoading(const char* groupPath, const char* poolName) override;
    // Discards every load and waits for its worker.
    void ResetDynamicLoading() override;
    // The synchronous load wins: a background load of that pool is dropped.
    void PrepareGroupLoad(const char* poolName) override;

private:
    struct Load {
        std::string poolName;
        std::shared_ptr<GroupFileJob> job;
        Tev_Tread* tread;     // the engine's handle; gone once killed
        int treadID;          // to tell whether the engine still holds the handle
        GroupFileRead* body;  // owned by tread
    };

    bool TakeFinished(Load& load);
    void MakeGroup(Load& load);
    void Report(const Load& load, const std::string& reason);
    void Join(Load& load);
    void Cancel(Load& load);
    void ReapDiscarded();
    void FollowFrames();

    std::vector<Load> pending;    // reading, or read and waiting for a frame
    std::vector<Load> discarded;  // told to stop; killed once their worker is done
    bool followingFrames;
};
