// The order of group loads. Loading a group runs its channels' code, and a public call linked
// while its group loads wants its target's group: loaded at once, every group of a chain would
// load inside the one before it, a few kilobytes of stack each. Such loads are queued instead
// and run one after another once the outermost load is complete, so a caller outside any load
// still has its group, and every group it reaches, when LoadChannelGroup returns.
#include <string>

#include "engine/Engine.h"

#include "EngineInterface.h"
#include "Tev_ChannelGroup.h"
#include "channel/ChannelMessages.h"
#include "channel/DeferredGroupLoad.h"
#include "format/GroupNames.h"

namespace {

// Loads nested by plug-ins that load groups themselves while theirs loads; far beyond any
// real project, far below what the stack holds.
constexpr size_t kMaxNestedGroupLoads = 64;

const char* const kMsgNestedTooDeep = "Engine::LoadChannelGroup: group loads nested too deeply, refused:";
const char* const kChainSeparator = " -> ";

}  // namespace

Tev_ChannelGroup* Engine::LoadChannelGroup(const char* fileName, const char* poolName) {
    if (!engineInitialized) return nullptr;
    if (LoadNestedTooDeep(fileName)) return nullptr;
    const bool outermost = groupLoadChain.empty();
    Tev_ChannelGroup* group = LoadKeepingQueue(fileName, poolName);
    if (outermost) RunQueuedGroupLoads();
    return group;
}

// A load that fails takes back what its channels queued: the public calls that asked are gone
// with its group.
Tev_ChannelGroup* Engine::LoadKeepingQueue(const char* fileName, const char* poolName) {
    const size_t queuedBefore = queuedGroupLoads.size();
    groupLoadChain.push_back(fileName ? fileName : "");
    Tev_ChannelGroup* group = LoadGroupIntoTable(fileName, poolName);
    groupLoadChain.pop_back();
    if (!group) ForgetQueuedGroupLoads(queuedBefore);
    return group;
}

void Engine::ForgetQueuedGroupLoads(size_t from) {
    while (queuedGroupLoads.size() > from) {
        queuedPools.erase(groupnames::FoldedSameFirst(queuedGroupLoads.back().poolName));
        queuedGroupLoads.pop_back();
    }
}

bool Engine::LoadNestedTooDeep(const char* fileName) {
    if (groupLoadChain.size() < kMaxNestedGroupLoads) return false;
    std::string chain;
    for (const std::string& file : groupLoadChain) chain += file + kChainSeparator;
    chain += fileName ? fileName : "";
    engineInterface->showErrorMessage(kMsgNestedTooDeep);
    engineInterface->showErrorMessage(chain.c_str());
    return true;
}

bool Engine::DeferGroupLoad(const QueuedGroupLoad& load) {
    if (groupLoadChain.empty()) return false;
    // Every call of a group that loads itself under many names asks: a look at each queued
    // load would make the queue quadratic.
    if (!queuedPools.insert(groupnames::FoldedSameFirst(load.poolName)).second) return true;
    queuedGroupLoads.push_back(load);
    return true;
}

// Loads queued meanwhile join the back of the queue, so a chain of any length is walked here,
// one group at a time.
void Engine::RunQueuedGroupLoads() {
    while (!queuedGroupLoads.empty()) {
        QueuedGroupLoad load = queuedGroupLoads.front();
        queuedGroupLoads.pop_front();
        queuedPools.erase(groupnames::FoldedSameFirst(load.poolName));
        // A group of that pool that came in meanwhile answered the waiting calls when it did.
        if (GetPoolGroup(load.poolName.c_str(), 0)) continue;
        if (!LoadKeepingQueue(load.path.c_str(), load.poolName.c_str()))
            channelmsg::AutoloadFailed(engineInterface, load.fileName.c_str(),
                                       load.callerFile.empty() ? nullptr : load.callerFile.c_str(),
                                       load.path.c_str());
    }
}

bool grouploads::DeferWhileLoading(EngineInterface* engine, const Request& request) {
    if (!engine || !engine->engine || !request.path || !request.poolName) return false;
    return engine->engine->DeferGroupLoad({request.path, request.poolName,
                                           request.fileName ? request.fileName : "",
                                           request.callerFile ? request.callerFile : ""});
}
