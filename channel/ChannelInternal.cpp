// Privileged bookkeeping of a channel's child list, group, index, parameters and timing.
#include "ChannelInternal.h"

#include "ChildCreation.h"
#include "ChildInfo.h"
#include "SmartChannel.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "channel/ChannelTypeMatch.h"
#include "channel/PlaceholderChannel.h"
#include "foundation/ListItems.h"
#include "platform/Clock.h"

TARNWELL_API ChannelInternal channelInternal;

ChannelInternal::ChannelInternal() {}

ChannelInternal::~ChannelInternal() {}

ChildInfo* ChannelInternal::GetChildInfo(Tev_Channel* channel, int index) {
    if (!channel) return nullptr;
    return listitems::At<ChildInfo>(channel->children, index);
}

Tev_Channel* ChannelInternal::GetInternalChild(Tev_Channel* channel, int index) {
    ChildInfo* entry = GetChildInfo(channel, index);
    return entry ? entry->channel : nullptr;
}

bool ChannelInternal::GetIfExternalChild(Tev_Channel* channel, int index) {
    ChildInfo* entry = GetChildInfo(channel, index);
    if (!entry || !entry->channel) return false;
    int type = entry->channel->channelInterfaceType;
    return type >= PEX_PUBLICCALL && type <= PEX_PUBLICCUSTOMCHANNELGET;
}

int ChannelInternal::GetChildLinkPosition(Tev_Channel* channel, int index) {
    ChildInfo* entry = GetChildInfo(channel, index);
    return entry ? entry->linkPosition : -1;
}

int ChannelInternal::GetChildCreationCount(Tev_Channel* channel) {
    if (!channel) return 0;
    if (channel->channelInterfaceType != PEX_PUBLICCALL) return channel->childCreations.GetItemCount();
    Tev_Channel* target = GetPublicChannelForPublicCall(channel, false);
    if (!target) return 1;  // the placeholder position
    return target->channelGroup ? target->channelGroup->GetParameterCount() : 0;
}

ChildCreation* ChannelInternal::GetChildCreateType(Tev_Channel* channel, int linkPosition) {
    if (!channel) return nullptr;
    if (channel->channelInterfaceType == PEX_PUBLICCALL) return GetPublicCallCreateType(channel, linkPosition);
    return listitems::At<ChildCreation>(channel->childCreations, linkPosition);
}

int ChannelInternal::SetChildByType(Tev_Channel* channel, Tev_Channel* child, int targetChannel) {
    if (!channel || !child) return -1;
    ChannelType childType = child->GetChannelType();
    for (int position = 0; position < GetChildCreationCount(channel); ++position) {
        ChildCreation* creation = GetChildCreateType(channel, position);
        if (!creation) continue;
        // A placeholder stood at a position that took its real type: any position takes it.
        if (!channelmatch::Accepts(creation->channelType.typeGuid, childType) && !PlaceholderChannel::Is(child))
            continue;
        ChildInfo* head = creation->childInfo;
        if (!head) continue;
        if (head->multipleChildren) return FillMultiplePosition(channel, child, targetChannel, position);
        if (!head->channel) return channel->SetChild(child, 0, position);
    }
    return -1;
}

// The first empty slot of a multiple position, else an append; an explicit slot is kept.
int ChannelInternal::FillMultiplePosition(Tev_Channel* channel, Tev_Channel* child, int targetChannel,
                                          int position) {
    if (targetChannel != -1) return channel->SetChild(child, targetChannel, position);
    ChildInfo* head = GetChildCreateType(channel, position)->childInfo;
    for (int slot = 0; slot < head->nodeCount; ++slot) {
        ChildInfo* entry = GetChildInfo(channel, head->nodeOffset - head->nodeCount + slot);
        if (entry && !entry->channel) return channel->SetChild(child, slot, position);
    }
    return channel->SetChild(child, -1, position);
}

void ChannelInternal::RemoveChildPosition(Tev_Channel* channel, int index) {
    if (!channel) return;
    ChildInfo* entry = GetChildInfo(channel, index);
    if (entry && entry->isLinkHead)
        channel->SetEntryChannel(entry, index, nullptr);
    else if (entry)
        channel->EraseLinkEntry(index);
    RecalculateNodeOffsets(channel);
}

void ChannelInternal::RemoveChild(Tev_Channel* channel, Tev_Channel* child) {
    if (!channel || !child) return;
    for (int i = 0; i < channel->children.GetItemCount(); ++i) {
        ChildInfo* entry = GetChildInfo(channel, i);
        if (!entry || !entry->channel) continue;
        bool designates = entry->channel == child;
        // Only indirect children can stand for another channel.
        if (!designates && entry->channel->channelInterfaceType >= PEX_PUBLICCALL) {
            SmartChannel handle(channel->engineInterface);
            handle.SetChannel(entry->channel);
            designates = handle.GetChannel() == child;
        }
        if (designates) channel->RemoveChild(i);
    }
}

void ChannelInternal::RecalculateNodeOffsets(Tev_Channel* channel) {
    if (!channel) return;
    int extras = 0;
    for (int i = 0; i < channel->children.GetItemCount(); ++i) {
        ChildInfo* entry = GetChildInfo(channel, i);
        if (!entry) continue;
        entry->nodeOffset = i;
        entry->nodeCount = extras;
        if (entry->multipleChildren)
            extras = 0;
        else
            ++extras;
        if (entry->isLinkHead && !entry->multipleChildren) {
            entry->nodeCount = 0;
            extras = 0;
        }
    }
}

void ChannelInternal::SortChilderen(Tev_Channel* channel) {
    if (!channel) return;
    // Entries in front of a removed one are unchanged by the removal, so the scan may go on
    // at the same index instead of starting over.
    int i = 0;
    while (i < channel->children.GetItemCount()) {
        ChildInfo* entry = GetChildInfo(channel, i);
        if (entry && !entry->channel && !entry->isLinkHead && !entry->multipleChildren)
            RemoveChildPosition(channel, i);
        else
            ++i;
    }
}

void ChannelInternal::ReleaseChilderen(Tev_Channel* channel) {
    if (!channel) return;
    channel->ReleaseLinkEntries();
    channel->SetChildCreationCount(0);
}

bool ChannelInternal::CheckChannelRequest(Tev_Channel* channel, int channelIndex, int targetChannel,
                                          Tev_Channel* child, int linkPosition) {
    if (!channel || !channel->pendingLinks) return false;
    Tev_List* pending = channel->pendingLinks;
    for (int i = 0; i < pending->GetItemCount(); ++i) {
        PendingLink* link = listitems::At<PendingLink>(*pending, i);
        if (!link || link->channelIndex != channelIndex || link->targetChannel != targetChannel) continue;
        if (linkPosition != -1)
            channel->SetChild(child, targetChannel, linkPosition);
        else
            channel->SetChild(child, -1, -1);
        pending->RemoveItem(i);
        delete link;
        if (pending->GetItemCount() == 0) {
            delete pending;
            channel->pendingLinks = nullptr;
        }
        return true;
    }
    return false;
}

void ChannelInternal::SetChannelIDIndexNr(Tev_Channel* channel, int indexNr) {
    if (channel) channel->channelIDIndexNr = indexNr;
}

void ChannelInternal::SetChannelGroup(Tev_Channel* channel, Tev_ChannelGroup* group) {
    if (channel) channel->channelGroup = group;
}

ParameterInfo* ChannelInternal::GetParameterInfo(Tev_Channel* channel) {
    return channel ? channel->parameterInfo : nullptr;
}

void ChannelInternal::SetParameterInfo(Tev_Channel* channel, int index) {
    ParameterInfo info;
    info.index = index;
    SetParameterInfo(channel, info);
}

void ChannelInternal::SetParameterInfo(Tev_Channel* channel, ParameterInfo info) {
    if (channel && channel->parameterInfo) *channel->parameterInfo = info;
}

int ChannelInternal::GetChannelGetChildTime(Tev_Channel* channel) {
    return channel ? static_cast<int>(channel->lastCallTime) : 0;
}

void ChannelInternal::UpdateCallingTime(Tev_Channel* channel) {
    if (!channel || !channel->channelGroup || channel->channelGroup->GetGroupIndex() == -1) return;
    channel->lastCallTime = platform::GetTickCount();
}

bool ChannelInternal::GetIgnoreTreeCount(Tev_Channel* channel) { return channel && channel->ignoreTreeCount; }

void ChannelInternal::SetIgnoreTreeCount(Tev_Channel* channel, bool ignore) {
    if (channel) channel->ignoreTreeCount = ignore;
}

void ChannelInternal::SetTreeCountMode(Tev_Channel* channel, unsigned char mode) {
    if (channel) channel->treeCountMode = mode;
}

unsigned char ChannelInternal::GetTreeCountMode(Tev_Channel* channel) { return channel ? channel->treeCountMode : 0; }

unsigned char ChannelInternal::GetTreeRecalculateCount(Tev_Channel* channel) {
    return channel ? channel->treeRecalculateCount : 0;
}
