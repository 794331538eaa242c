// Channel group: the channel array (position = index number, NULL holes reused).
#include "Tev_ChannelGroup.h"

#include <utility>

#include "ChannelInternal.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "format/GroupNames.h"
#include "foundation/ListItems.h"
#include "group/GroupRelease.h"
#include "group/GroupState.h"
#include "group/GroupTableIndex.h"

int Tev_ChannelGroup::AddChannel(Tev_Channel* channel) {
    if (!channel) return -1;
    const int known = PositionOf(channel);
    if (known >= 0) return known;
    LeaveFormerGroup(channel);
    int position = state->freeSlots.Take(*channelList, channel);
    channelInternal.SetChannelIDIndexNr(channel, position);
    channelInternal.SetChannelGroup(channel, this);
    return position;
}

// A channel that names this group and a position holding it is there; any other is searched
// for only while the array may hold strays.
int Tev_ChannelGroup::PositionOf(Tev_Channel* channel) {
    if (channel->GetChannelGroup() == this && GetChannel(channel->GetChannelIDIndexNr()) == channel)
        return channel->GetChannelIDIndexNr();
    if (!state->mayHoldStrays) return -1;
    for (int i = 0; i < channelList->GetItemCount(); i++)
        if (channelList->GetItem(i) == channel) return i;
    return -1;
}

// A channel added here while its former group still holds it is a stray there from now on.
void Tev_ChannelGroup::LeaveFormerGroup(Tev_Channel* channel) {
    Tev_ChannelGroup* former = channel->GetChannelGroup();
    if (former && former != this && former->state && former->channelList &&
        former->channelList->GetItem(channel->GetChannelIDIndexNr()) == channel)
        former->state->mayHoldStrays = true;
}

bool Tev_ChannelGroup::RemoveChannel(Tev_Channel* channel) {
    if (!channel) return false;
    const int position = PositionOf(channel);
    return position >= 0 && RemoveChannel(position);
}

bool Tev_ChannelGroup::RemoveChannel(int indexNr) {
    Tev_Channel* channel = GetChannel(indexNr);
    if (!channel) return false;
    EngineInterfaceExt* ext = engineInterface ? engineInterface->engineInterfaceExt : nullptr;
    int type = channel->GetChannelInterfaceType();
    if (ext && IsPublicChannel(channel))
        ext->CheckPublicChannelRemoval(channel, poolNr);
    else if (ext && type == PEX_PUBLICCALL)
        ext->CheckPublicCallChannelRemoval(channel);
    // Links to the index go before the channel does (the removed one included).
    if (state->release)
        state->release->TellRemoval(indexNr);
    else if (!destroying)
        for (int i = 0; i < channelList->GetItemCount(); i++) {
            Tev_Channel* member = listitems::At<Tev_Channel>(*channelList, i);
            if (member) member->CheckIndexNrRemoval(indexNr);
        }
    grouptable::ChannelLeaving(engineInterface, channel);
    // The position is emptied first so that nothing reached from the destructor finds a
    // channel that is half destroyed.
    channelList->SetItem(nullptr, indexNr);
    state->freeSlots.Freed(indexNr);
    if (!state->unread.empty()) state->unread.erase(channel);
    delete channel;
    return true;
}

bool Tev_ChannelGroup::TransferChannel(int indexNr, Tev_ChannelGroup* target) {
    Tev_Channel* channel = GetChannel(indexNr);
    if (!channel || !target) return false;
    // Emptying the position after the target "adds" a channel it already holds would lose it.
    if (target == this) return true;
    // The position empties right after: the channel does not stay here as a stray.
    const bool strays = state->mayHoldStrays;
    target->AddChannel(channel);
    // Blocks its plug-in left unread go with it.
    if (!state->unread.empty()) {
        auto kept = state->unread.extract(channel);
        if (kept) target->state->unread.insert(std::move(kept));
    }
    channelList->SetItem(nullptr, indexNr);
    state->freeSlots.Freed(indexNr);
    state->mayHoldStrays = strays;
    return true;
}

int Tev_ChannelGroup::GetChannelCount() { return channelList->GetItemCount(); }

Tev_Channel* Tev_ChannelGroup::GetChannel(const char* name) {
    if (!name) return nullptr;
    for (int i = 0; i < channelList->GetItemCount(); i++) {
        Tev_Channel* channel = listitems::At<Tev_Channel>(*channelList, i);
        if (channel && groupnames::EqualNoCase(channel->GetChannelName(), name)) return channel;
    }
    return nullptr;
}

Tev_Channel* Tev_ChannelGroup::GetChannel(int indexNr) {
    return listitems::At<Tev_Channel>(*channelList, indexNr);
}

void Tev_ChannelGroup::SetChannel(Tev_Channel* channel, int indexNr) {
    channelList->SetItem(channel, indexNr);
    if (!channel)
        state->freeSlots.Freed(indexNr);
    else if (channel->GetChannelGroup() != this || channel->GetChannelIDIndexNr() != indexNr)
        state->mayHoldStrays = true;
}

bool Tev_ChannelGroup::GetIfChannelInGroup(Tev_Channel* channel) { return channel && PositionOf(channel) >= 0; }

bool Tev_ChannelGroup::IsPublicChannel(Tev_Channel* channel) {
    int type = channel->GetChannelInterfaceType();
    return type == PEX_PUBLIC || type == PEX_PUBLICCUSTOMCHANNELGET;
}
