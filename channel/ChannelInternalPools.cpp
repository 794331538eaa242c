// A channel's own pool lists. Pools are not built yet: these leave the lists alone.
#include "ChannelInternal.h"
#include "Tev_Channel.h"

void ChannelInternal::AddChannelToPool(Tev_Channel*, const char*) {}

void ChannelInternal::RemoveChannelFromPool(Tev_Channel*, const char*) {}

void ChannelInternal::RemovePoolFromChannel(Tev_Channel*, const char*) {}

ChannelPoolInfo* ChannelInternal::GetChannelPoolInfo(Tev_Channel* channel) {
    return channel ? channel->channelPoolInfo : nullptr;
}

void ChannelInternal::AddChannelsFromPoolToPoolInfo(Tev_Channel*, PoolItem*) {}

void ChannelInternal::AddPoolToChannel(Tev_Channel*, const char*) {}

void ChannelInternal::RecalculateChannelPoolInfo(Tev_Channel*) {}
