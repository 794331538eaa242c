// Channel group: public channels offered to other groups and public calls into them.
#include "Tev_ChannelGroup.h"

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "foundation/ListItems.h"
#include "format/GroupNames.h"
#include "group/PublicCallHooks.h"

Tev_Channel* Tev_ChannelGroup::GetPublicChannel(PublicCallInfo* info) {
    if (!info || info->requestedPublicChannelNr != poolNr) return nullptr;
    if (!groupnames::FieldEqualNoCase(info->poolName, sizeof(info->poolName), GetPoolName())) return nullptr;
    for (int i = 0; i < channelList->GetItemCount(); i++) {
        Tev_Channel* channel = listitems::At<Tev_Channel>(*channelList, i);
        if (!channel || !IsPublicChannel(channel)) continue;
        if (groupnames::FieldEqualNoCase(info->channelName, sizeof(info->channelName),
                                         channel->GetChannelName()))
            return channel;
    }
    return nullptr;
}

void Tev_ChannelGroup::CheckPublicChannels() {
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    if (!ext) return;
    for (int i = 0; i < channelList->GetItemCount(); i++) {
        Tev_Channel* channel = listitems::At<Tev_Channel>(*channelList, i);
        if (!channel) continue;
        if (IsPublicChannel(channel))
            ext->CheckChannelRequest(this, poolNr, channel);
        else if (channel->GetChannelInterfaceType() == PEX_PUBLICCALL)
            publicindex::CallArriving(engineInterface, this, channel);  // told when its target leaves
    }
}

void Tev_ChannelGroup::CheckPublicChannelRemoval(Tev_Channel* channel, int nr) {
    for (int i = 0; i < channelList->GetItemCount(); i++) {
        Tev_Channel* member = listitems::At<Tev_Channel>(*channelList, i);
        if (member) channelInternal.CheckPublicChannelInstanceRemoval(member, channel, nr);
    }
}

bool Tev_ChannelGroup::CheckDuplicatePublicChannelName(Tev_Channel* channel) {
    if (!channel || !channel->GetChannelName()) return false;
    for (int i = 0; i < channelList->GetItemCount(); i++) {
        Tev_Channel* member = listitems::At<Tev_Channel>(*channelList, i);
        if (!member || member == channel || !IsPublicChannel(member)) continue;
        if (groupnames::EqualNoCase(member->GetChannelName(), channel->GetChannelName())) return true;
    }
    return false;
}

void Tev_ChannelGroup::CheckInterfaceChange(const char* changedPoolName) {
    if (!changedPoolName) return;
    for (int i = 0; i < channelList->GetItemCount(); i++) {
        Tev_Channel* member = listitems::At<Tev_Channel>(*channelList, i);
        if (!member || member->GetChannelInterfaceType() != PEX_PUBLICCALL) continue;
        PublicCallInfo info = channelInternal.GetPublicCallInfo(member);
        if (!groupnames::FieldEqualNoCase(info.poolName, sizeof(info.poolName), changedPoolName)) continue;
        // The call rebuilds its link positions from the new interface.
        member->SetChildCreationCount(0);
        member->RemoveChildren();
    }
}
