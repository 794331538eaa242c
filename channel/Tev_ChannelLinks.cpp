// The child list of a channel: resolving a child, linking, unlinking.
#include "Tev_Channel.h"

#include <new>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_ChannelGroup.h"
#include "channel/ChannelMessages.h"
#include "channel/ChannelTypeMatch.h"
#include "channel/PlaceholderChannel.h"
#include "foundation/ListItems.h"
#include "foundation/ListStorage.h"

TARNWELL_API std::atomic<int> channelCallTrackers{0};

Tev_Channel* Tev_Channel::GetChildResolved(int index) {
    if (TracksCalls()) return GetChildTracked(index);
    ChildInfo* entry = listitems::At<ChildInfo>(children, index);
    if (!entry || !entry->channel) return nullptr;
    Tev_Channel* child = entry->channel;
    return Resolves(child->channelInterfaceType) ? ResolveChild(child, entry, false) : child;
}

// GetChild while the engine tracks calling: the caller, the child and the resolved channel
// get their calling time updated.
Tev_Channel* Tev_Channel::GetChildTracked(int index) {
    channelInternal.UpdateCallingTime(this);
    ChildInfo* entry = listitems::At<ChildInfo>(children, index);
    if (!entry || !entry->channel) return nullptr;
    Tev_Channel* child = entry->channel;
    channelInternal.UpdateCallingTime(child);
    return Resolves(child->channelInterfaceType) ? ResolveChild(child, entry, true) : child;
}

Tev_Channel* Tev_Channel::ResolveChild(Tev_Channel* child, ChildInfo* entry, bool tracking) {
    Tev_Channel* result = nullptr;
    switch (child->channelInterfaceType) {
        case PEX_PUBLICCALL:
            result = channelInternal.GetPublicChannelForPublicCall(child, true);
            break;
        case PEX_PARAMETER:
            result = ResolveParameterChild(child);
            break;
        default:
            result = child->GetChannelFromChannel(this, entry);
            break;
    }
    if (tracking && result) channelInternal.UpdateCallingTime(result);
    return result;
}

// A parameter child stands for the matching child of the public call that entered our group.
Tev_Channel* Tev_Channel::ResolveParameterChild(Tev_Channel* child) {
    if (!channelGroup || !child->parameterInfo) return nullptr;
    Tev_Channel* candidate = channelGroup->GetParameterChannel(child->parameterInfo->index);
    if (!candidate) return nullptr;
    ChannelType candidateType = candidate->GetChannelType();
    ChannelType parameterType = child->GetChannelType();
    if (candidateType.baseGuid == parameterType.typeGuid || candidateType.baseGuid == parameterType.baseGuid ||
        parameterType.typeGuid == TEV_WILDCARD_GUID)
        return candidate;
    return nullptr;
}

int Tev_Channel::SetChild(Tev_Channel* channel, int targetChannel, int linkPosition) {
    if (!channel) return -1;
    if (channel == this) {
        channelmsg::Error(engineInterface, channelmsg::kSetChildThis);
        return -1;
    }
    if (channelInterfaceType == PEX_PUBLICCUSTOMCHANNELGET && channel->channelInterfaceType != PEX_NORMAL &&
        channel->channelInterfaceType != PEX_PUBLIC) {
        channelmsg::UserInfo(engineInterface, channelmsg::kParameterToPublicSwitch);
        return -1;
    }
    if (targetChannel < -1) channelmsg::UserInfo(engineInterface, channelmsg::kTargetBelowRange);

    bool placeholder = false;
    if (channelInterfaceType == PEX_PUBLICCALL && !channelInternal.GetPublicChannelForPublicCall(this, false)) {
        channelInternal.GetChildCreateType(this, 0);
        if (waitingForPublicChannel) {
            // While the target is unreachable every child waits in placeholder position 0,
            // its intended link position kept as the slot.
            targetChannel = linkPosition;
            linkPosition = 0;
            placeholder = true;
        }
    }
    if (!placeholder && linkPosition < -1) return channelInternal.SetChildByType(this, channel, -1);
    if (linkPosition >= channelInternal.GetChildCreationCount(this))
        return channelInternal.SetChildByType(this, channel, -1);
    if (linkPosition == -1) return channelInternal.SetChildByType(this, channel, targetChannel);

    ChildCreation* creation = channelInternal.GetChildCreateType(this, linkPosition);
    if (!creation) {
        channelmsg::UserInfo(engineInterface, channelmsg::kNoChildCreation);
        return -1;
    }
    // A wildcard position takes every type: the child's type is not asked for, which on a large
    // load saves a visit to a channel read long before.
    const _GUID& accepted = creation->channelType.typeGuid;
    if (!(accepted == TEV_WILDCARD_GUID) && !channelmatch::Accepts(accepted, channel->GetChannelType()) &&
        !PlaceholderChannel::Is(channel)) {
        channelmsg::UserInfo(engineInterface, channelmsg::kTypeNotAccepted);
        return -1;
    }
    ChildInfo* head = creation->childInfo;
    if (!head) {
        channelmsg::UserInfo(engineInterface, channelmsg::kNoHead);
        return -1;
    }
    if (!head->multipleChildren) {
        SetEntryChannel(head, head->nodeOffset, channel);
        return head->nodeOffset;
    }
    if (targetChannel >= 0 && targetChannel < head->nodeCount) {
        int index = head->nodeOffset - head->nodeCount + targetChannel;
        ChildInfo* slot = listitems::At<ChildInfo>(children, index);
        if (!slot) {
            channelmsg::UserInfo(engineInterface, channelmsg::kInvalidTarget);
            channelmsg::UserInfo(engineInterface, channel->GetChannelName());
            channelmsg::UserInfo(engineInterface, targetChannel);
            channelmsg::UserInfo(engineInterface, linkPosition);
            channelmsg::UserInfo(engineInterface, children.GetItemCount());
            channelmsg::UserInfo(engineInterface, GetChannelName());
            return -1;
        }
        SetEntryChannel(slot, index, channel);
        return index;
    }
    return AppendToMultiplePosition(channel, head, targetChannel);
}

// Slots are inserted in front of the head; a child lands at slot max(slot count, targetChannel).
int Tev_Channel::AppendToMultiplePosition(Tev_Channel* channel, ChildInfo* head, int targetChannel) {
    while (head->nodeCount < targetChannel) {
        ChildInfo* empty = new (std::nothrow) ChildInfo();
        if (!empty) return -1;
        empty->linkPosition = head->linkPosition;
        ReserveForInsertion();
        if (!InsertLinkEntry(empty, head->nodeOffset)) return -1;
    }
    ChildInfo* entry = new (std::nothrow) ChildInfo();
    if (!entry) return -1;
    entry->channel = channel;
    entry->linkPosition = head->linkPosition;
    int index = head->nodeOffset;
    ReserveForInsertion();
    return InsertLinkEntry(entry, index) ? index : -1;
}

// InsertItem wants a slot beyond the one it fills; the list grows by doubling rather than by the
// public rule's 32 slots, which most channels, with a handful of children, would never use. When
// memory runs out the public growth gets its chance.
void Tev_Channel::ReserveForInsertion() {
    TevListStorage::ReserveGrowing(children, children.GetItemCount() + 2);
}

// What RecalculateNodeOffsets gives after an insertion at index: the entries in front of it keep
// their place and their count, so the running count is taken up from the last of them. Linking
// to a position with many slots then costs the entries behind the slot, not the whole list.
void Tev_Channel::RecalculateNodeOffsetsFrom(int index) {
    int extras = 0;
    for (int i = index - 1; i >= 0; --i) {
        ChildInfo* previous = listitems::At<ChildInfo>(children, i);
        if (!previous) continue;
        extras = previous->multipleChildren || previous->isLinkHead ? 0 : previous->nodeCount + 1;
        break;
    }
    for (int i = index; i < children.GetItemCount(); ++i) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        if (!entry) continue;
        entry->nodeOffset = i;
        entry->nodeCount = extras;
        extras = entry->multipleChildren ? 0 : extras + 1;
        if (entry->isLinkHead && !entry->multipleChildren) {
            entry->nodeCount = 0;
            extras = 0;
        }
    }
}

void Tev_Channel::RemoveChild(int index) {
    SetEntryChannel(listitems::At<ChildInfo>(children, index), index, nullptr);
}

void Tev_Channel::RemoveChildren() {
    // Removing non-heads from the back gives the same list as restarting from the front
    // after each removal, without the quadratic walk.
    for (int i = children.GetItemCount() - 1; i >= 0; --i) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        if (!entry) continue;
        if (entry->isLinkHead)
            SetEntryChannel(entry, i, nullptr);
        else
            EraseLinkEntry(i);
    }
    channelInternal.RecalculateNodeOffsets(this);
}

void Tev_Channel::SetChildCreationCount(int) { ReleaseLinkRecords(); }
