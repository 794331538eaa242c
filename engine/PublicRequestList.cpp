#include "engine/PublicRequestList.h"

#include <cstring>
#include <new>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "format/GroupNames.h"

std::string PublicRequestList::Key(const char* poolName) {
    return groupnames::Folded(poolName ? poolName : "");
}

// A channel without a public call record waits under the empty name: no group answers it,
// but it is dropped like the others.
std::string PublicRequestList::KeyOf(Tev_Channel* call) {
    const PublicCallInfo info = channelInternal.GetPublicCallInfo(call);
    return Key(std::string(info.poolName, strnlen(info.poolName, sizeof(info.poolName))).c_str());
}

bool PublicRequestList::Add(Tev_Channel* call) noexcept {
    try {
        std::string key = KeyOf(call);
        Waiting& waiting = byPool[key];
        waiting.push_back(call);
        places.emplace(call, Place{std::move(key), std::prev(waiting.end())});
        requests++;
        return true;
    } catch (const std::bad_alloc&) {
        return false;
    }
}

// Drops one request; the pool's list stays even when empty, for Answer to finish its walk.
void PublicRequestList::Erase(std::unordered_map<std::string, Waiting>::iterator pool, Waiting::iterator at) {
    auto range = places.equal_range(*at);
    for (auto place = range.first; place != range.second; ++place)
        if (place->second.at == at) {
            places.erase(place);
            break;
        }
    pool->second.erase(at);
    requests--;
}

void PublicRequestList::Drop(Tev_Channel* call) {
    auto range = places.equal_range(call);
    for (auto place = range.first; place != range.second; ++place) {
        auto pool = byPool.find(place->second.key);
        if (pool == byPool.end()) continue;
        pool->second.erase(place->second.at);
        requests--;
        if (pool->second.empty()) byPool.erase(pool);
    }
    places.erase(range.first, range.second);
}

void PublicRequestList::Clear() {
    byPool.clear();
    places.clear();
    requests = 0;
}
