// The child list of a channel: resolving a child, linking, unlinking.
#include "Tev_Channel.h"

#include <cstring>
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
#include "foundation/ListItems.h"

TARNWELL_API std::atomic<int> channelCallTrackers{0};

namespace {

// The block of every channel whose entries are all empty (one with link positions and no
// links yet, as most leaves are): shared and never written, so a frame walk over such channels
// reads one cached line instead of a block of each one's own. Used while a channel owns no
// block (childChannelCapacity 0); its last slot is the one GetChild reads past the last entry.
constexpr int kSharedEmptySlots = 15;
Tev_Channel* sharedEmptyChildChannels[kSharedEmptySlots + 1] = {};

bool AllEntriesEmpty(const Tev_List& children) {
    for (int i = 0; i < children.GetItemCount(); ++i) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        if (entry && entry->channel) return false;
    }
    return true;
}

}  // namespace

// childChannels mirrors children: the whole of it after an operation that reorders or replaces
// entries, one slot after a link or an unlink, so that linking stays linear.
void Tev_Channel::SyncChildChannels() {
    const int count = children.GetItemCount();
    if (childChannelCapacity == 0 && count <= kSharedEmptySlots && AllEntriesEmpty(children)) {
        childChannels = count > 0 ? sharedEmptyChildChannels : nullptr;
        childChannelCount = count;
        return;
    }
    // Like the entries those operations make with new, the mirror cannot be left short.
    if (!ReserveChildChannels(count)) throw std::bad_alloc();
    for (int i = 0; i < count; ++i) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        childChannels[i] = entry ? entry->channel : nullptr;
    }
    childChannelCount = count;
}

void Tev_Channel::SyncChildChannel(int index) {
    if (childChannelCount != children.GetItemCount()) return SyncChildChannels();
    if (index < 0 || index >= childChannelCount) return;
    ChildInfo* entry = listitems::At<ChildInfo>(children, index);
    Tev_Channel* channel = entry ? entry->channel : nullptr;
    if (childChannelCapacity > 0)
        childChannels[index] = channel;
    else if (channel)
        SyncChildChannels();  // the first link: the channel needs a block of its own
}

// After children took a new entry at index; InsertLinkEntry reserved the room.
void Tev_Channel::InsertChildChannel(int index) {
    const int count = children.GetItemCount();
    if (childChannelCount != count - 1 || index < 0 || index >= count || count > childChannelCapacity)
        return SyncChildChannels();
    std::memmove(childChannels + index + 1, childChannels + index,
                 static_cast<size_t>(childChannelCount - index) * sizeof(Tev_Channel*));
    ChildInfo* entry = listitems::At<ChildInfo>(children, index);
    childChannels[index] = entry ? entry->channel : nullptr;
    childChannelCount = count;
}

bool Tev_Channel::ReserveChildChannels(int count) {
    if (count <= childChannelCapacity) return true;
    int capacity = childChannelCapacity > 0 ? childChannelCapacity : 4;
    while (capacity < count) capacity *= 2;
    // One slot more than the capacity: GetChild reads the slot after the last entry.
    auto* grown = new (std::nothrow) Tev_Channel*[capacity + 1]();
    if (!grown) return false;
    if (childChannelCount > 0)
        std::memcpy(grown, childChannels, static_cast<size_t>(childChannelCount) * sizeof(Tev_Channel*));
    FreeChildChannels();
    childChannels = grown;
    childChannelCapacity = capacity;
    return true;
}

void Tev_Channel::FreeChildChannels() {
    if (childChannelCapacity > 0) delete[] childChannels;
    childChannels = nullptr;
    childChannelCapacity = 0;
}

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
    if (!channelmatch::Accepts(creation->channelType.typeGuid, channel->GetChannelType())) {
        channelmsg::UserInfo(engineInterface, channelmsg::kTypeNotAccepted);
        return -1;
    }
    ChildInfo* head = creation->childInfo;
    if (!head) {
        channelmsg::UserInfo(engineInterface, channelmsg::kNoHead);
        return -1;
    }
    if (!head->multipleChildren) {
        head->channel = channel;
        SyncChildChannel(head->nodeOffset);
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
        slot->channel = channel;
        SyncChildChannel(index);
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
        if (!InsertLinkEntry(empty, head->nodeOffset)) return -1;
    }
    ChildInfo* entry = new (std::nothrow) ChildInfo();
    if (!entry) return -1;
    entry->channel = channel;
    entry->linkPosition = head->linkPosition;
    int index = head->nodeOffset;
    return InsertLinkEntry(entry, index) ? index : -1;
}

// Takes the entry over, or frees it when the list cannot grow.
bool Tev_Channel::InsertLinkEntry(ChildInfo* entry, int index) {
    if (!ReserveChildChannels(children.GetItemCount() + 1) || !children.InsertItem(entry, index)) {
        delete entry;
        return false;
    }
    RecalculateNodeOffsetsFrom(index);
    InsertChildChannel(index);
    return true;
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
    ChildInfo* entry = listitems::At<ChildInfo>(children, index);
    if (entry) entry->channel = nullptr;
    SyncChildChannel(index);
}

void Tev_Channel::RemoveChildren() {
    // Removing non-heads from the back gives the same list as restarting from the front
    // after each removal, without the quadratic walk.
    for (int i = children.GetItemCount() - 1; i >= 0; --i) {
        ChildInfo* entry = listitems::At<ChildInfo>(children, i);
        if (!entry) continue;
        entry->channel = nullptr;
        if (entry->isLinkHead) continue;
        delete entry;
        children.RemoveItem(i);
    }
    channelInternal.RecalculateNodeOffsets(this);
    SyncChildChannels();
}

void Tev_Channel::SetChildCreationCount(int) { ReleaseLinkRecords(); }
