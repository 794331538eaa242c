// A channel's own pool lists: the pools it is a member of, the pools it uses, and the
// resolution of the latter into the members that fit it.
#include "ChannelInternal.h"

#include <vector>

#include "ChannelPoolManagement.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "channel/PoolManagementOf.h"
#include "foundation/ListItems.h"
#include "platform/Text.h"

namespace {

int FindName(Tev_List* names, const char* name) {
    for (int i = 0; i < names->GetItemCount(); i++) {
        Tev_String* entry = listitems::At<Tev_String>(*names, i);
        if (entry && entry->GetString() && platform::StrICmp(entry->GetString(), name) == 0) return i;
    }
    return -1;
}

void AddName(Tev_List* names, const char* name) {
    if (FindName(names, name) != -1) return;
    Tev_String* entry = new Tev_String();
    entry->SetString(name);
    names->AddItem(entry);
}

void RemoveName(Tev_List* names, const char* name) {
    int index = FindName(names, name);
    if (index == -1) return;
    delete listitems::At<Tev_String>(*names, index);
    names->RemoveItem(index);
}

// A member stands in for the channel when it shares the channel's base type or is of it.
bool Fits(const ChannelType& channelType, const ChannelType& memberType) {
    return channelType.baseGuid == memberType.baseGuid || channelType.baseGuid == memberType.typeGuid;
}

void AddFittingMembers(ChannelPoolInfo* info, const ChannelType& channelType, PoolItem* pool) {
    for (int j = 0; j < pool->channels->GetItemCount(); j++) {
        Tev_Channel* member = listitems::At<Tev_Channel>(*pool->channels, j);
        if (member && Fits(channelType, member->GetChannelType()))
            info->poolItems->AddItem(new ChannelPoolItemInfo{pool->id, j});
    }
}

}  // namespace

void ChannelInternal::AddChannelToPool(Tev_Channel* channel, const char* poolName) {
    if (!channel || !poolName) return;
    if (!channel->poolItemNames) channel->poolItemNames = new Tev_List();
    AddName(channel->poolItemNames, poolName);
}

void ChannelInternal::RemoveChannelFromPool(Tev_Channel* channel, const char* poolName) {
    if (!channel || !poolName || !channel->poolItemNames) return;
    RemoveName(channel->poolItemNames, poolName);
}

void ChannelInternal::AddPoolToChannel(Tev_Channel* channel, const char* poolName) {
    if (!channel) return;
    if (!channel->channelPoolInfo) channel->channelPoolInfo = new ChannelPoolInfo();
    if (poolName) AddName(channel->channelPoolInfo->poolNames, poolName);
    channel->channelPoolInfo->timeStamp = 0;
}

void ChannelInternal::RemovePoolFromChannel(Tev_Channel* channel, const char* poolName) {
    if (!channel || !channel->channelPoolInfo) return;
    if (poolName) RemoveName(channel->channelPoolInfo->poolNames, poolName);
    channel->channelPoolInfo->timeStamp = 0;
}

ChannelPoolInfo* ChannelInternal::GetChannelPoolInfo(Tev_Channel* channel) {
    return channel ? channel->channelPoolInfo : nullptr;
}

void ChannelInternal::RecalculateChannelPoolInfo(Tev_Channel* channel) {
    ChannelPoolInfo* info = GetChannelPoolInfo(channel);
    if (!info) return;
    listitems::DeleteAll<ChannelPoolItemInfo>(*info->poolItems);
    ChannelPoolManagement* pools = PoolManagementOf(channel->engineInterface);
    if (!pools) return;
    for (int i = 0; i < info->poolNames->GetItemCount(); i++) {
        Tev_String* name = listitems::At<Tev_String>(*info->poolNames, i);
        PoolItem* pool = name ? pools->GetPoolItem(name->GetString()) : nullptr;
        if (pool) AddChannelsFromPoolToPoolInfo(channel, pool);
    }
}

// Depth first: a pool's own members before those of its sub pools. Walked with a stack of
// its own, as pool paths nest as deep as their text is long.
void ChannelInternal::AddChannelsFromPoolToPoolInfo(Tev_Channel* channel, PoolItem* pool) {
    ChannelPoolInfo* info = GetChannelPoolInfo(channel);
    if (!info || !pool) return;
    ChannelType channelType = channel->GetChannelType();
    struct Visit {
        PoolItem* pool;
        int nextSubPool;
    };
    std::vector<Visit> stack;
    AddFittingMembers(info, channelType, pool);
    stack.push_back({pool, 0});
    while (!stack.empty()) {
        Visit& visit = stack.back();
        if (visit.nextSubPool >= visit.pool->subPoolItems->GetItemCount()) {
            stack.pop_back();
            continue;
        }
        PoolItem* sub = listitems::At<PoolItem>(*visit.pool->subPoolItems, visit.nextSubPool++);
        if (!sub) continue;
        AddFittingMembers(info, channelType, sub);
        stack.push_back({sub, 0});
    }
}
