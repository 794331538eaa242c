// A channel standing for the members of the pools it uses, and a parent's links to such a
// channel expanded to one link per member.
#include <vector>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "ChildInfo.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "channel/PoolManagementOf.h"
#include "foundation/ListItems.h"

namespace {

// The resolution is rebuilt only when the pool tree changed since it was made.
void RefreshPoolChannels(Tev_Channel* channel, ChannelPoolInfo* info, ChannelPoolManagement* pools) {
    uint32_t stamp = pools ? static_cast<uint32_t>(pools->GetTimeStamp()) : 0;
    if (info->timeStamp == stamp && pools) return;
    channelInternal.RecalculateChannelPoolInfo(channel);
    info->timeStamp = stamp;
}

struct PoolChild {
    Tev_Channel* channel;
    int count;
};

}  // namespace

Tev_Channel* Tev_Channel::GetChannelFromChannel(Tev_Channel* caller, ChildInfo* entry) {
    if (!usePoolChannel || !caller || !entry) return nullptr;
    if (entry->poolChannelCount == GetPoolChannelCount()) return GetPoolChannel(entry->poolChannelIndex);
    // The pool changed size since the parent's links were expanded: expand them anew next frame.
    if (engineInterface && engineInterface->engineInterfaceExt)
        engineInterface->engineInterfaceExt->DoLinkPoolToChannel(caller);
    return nullptr;
}

int Tev_Channel::GetPoolChannelCount() {
    if (!channelPoolInfo) return 0;
    RefreshPoolChannels(this, channelPoolInfo, PoolManagementOf(engineInterface));
    int count = channelPoolInfo->poolItems->GetItemCount();
    return count > 0 ? count : 1;
}

Tev_Channel* Tev_Channel::GetPoolChannel(int index) {
    if (!channelPoolInfo) return nullptr;
    ChannelPoolManagement* pools = PoolManagementOf(engineInterface);
    RefreshPoolChannels(this, channelPoolInfo, pools);
    ChannelPoolItemInfo* member = listitems::At<ChannelPoolItemInfo>(*channelPoolInfo->poolItems, index);
    Tev_Channel* channel = member && pools ? pools->GetChannelFromPoolItemInfo(member) : nullptr;
    return channel ? channel : this;
}

void Tev_Channel::LinkPoolToChannel() {
    // Each pool-using child keeps its first link, which stands for member 0; later links to
    // it are earlier expansions and go.
    std::vector<PoolChild> poolChildren;
    for (int i = 0; i < children.GetItemCount(); i++) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        if (!entry || !entry->channel || !entry->channel->usePoolChannel) continue;
        bool met = false;
        for (const PoolChild& known : poolChildren) met = met || known.channel == entry->channel;
        if (met) {
            SetEntryChannel(entry, i, nullptr);
            continue;
        }
        entry->poolChannelCount = entry->channel->GetPoolChannelCount();
        entry->poolChannelIndex = 0;
        poolChildren.push_back({entry->channel, entry->poolChannelCount});
    }
    channelInternal.SortChilderen(this);
    channelInternal.RecalculateNodeOffsets(this);
    for (const PoolChild& child : poolChildren) {
        for (int k = 1; k < child.count; k++) {
            ChildInfo* entry = listitems::At<ChildInfo>(children, SetChild(child.channel, -1, -1));
            if (!entry) break;  // no further position takes the child
            entry->poolChannelCount = child.count;
            entry->poolChannelIndex = k;
        }
    }
}

bool Tev_Channel::GetIfUsePoolChannel() { return usePoolChannel; }

void Tev_Channel::SetIfUsePoolChannel(bool use) { usePoolChannel = use; }
