// Public call records and the link positions of a public call.
#include <cstring>
#include <vector>

#include "ChannelInternal.h"
#include "ChildCreation.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "platform/Text.h"

namespace {

struct WaitingChild {
    Tev_Channel* channel;
    int linkData;
};

}  // namespace

ChildCreation* ChannelInternal::GetPublicCallCreateType(Tev_Channel* channel, int linkPosition) {
    PublicCallInfo* info = channel->publicCallInfo;
    Tev_Channel* target = GetPublicChannelForPublicCall(channel, false);
    if (!target) {
        if (!info) return nullptr;
        if (!channel->waitingForPublicChannel && channel->children.GetItemCount() > 0) {
            MoveChildrenToPlaceholder(channel);
            return &info->childCreation;
        }
        if (!channel->children.GetItem(0)) {
            ChildInfo* head = new ChildInfo();
            head->linkPosition = 0;
            head->isLinkHead = true;
            head->multipleChildren = true;
            channel->PutLinkEntry(head, 0);
            info->childCreation.childInfo = head;
        }
        channel->waitingForPublicChannel = true;
        return &info->childCreation;
    }

    if (channel->waitingForPublicChannel) {
        // The target is reachable now: child k of the placeholder moves to link position k.
        channel->waitingForPublicChannel = false;
        std::vector<WaitingChild> waiting;
        for (int k = 0; k < channel->children.GetItemCount() - 1; ++k) {
            ChildInfo* entry = GetChildInfo(channel, k);
            waiting.push_back({entry ? entry->channel : nullptr, entry ? entry->linkData : 0});
        }
        ReleaseChilderen(channel);
        for (int k = 0; k < static_cast<int>(waiting.size()); ++k) {
            if (!waiting[k].channel) continue;
            int index = channel->SetChild(waiting[k].channel, k, k);
            ChildInfo* landed = GetChildInfo(channel, index);
            if (landed) landed->linkData = waiting[k].linkData;
        }
    }

    ChildCreation* stored = static_cast<ChildCreation*>(channel->childCreations.GetItem(linkPosition));
    if (stored) return stored;
    if (linkPosition < 0 || !target->channelGroup) return nullptr;
    ParameterInterfaceInfo parameter = target->channelGroup->GetParameterInfo(linkPosition);
    if (IsNullGuid(parameter.typeGuid)) return nullptr;

    ChildCreation* creation = new ChildCreation();
    creation->channelType.typeGuid = parameter.typeGuid;
    creation->channelType.baseGuid = parameter.typeGuid;
    char name[sizeof(parameter.name) + 1];
    std::memcpy(name, parameter.name, sizeof(parameter.name));
    name[sizeof(parameter.name)] = 0;
    platform::CopyText(creation->channelType.typeName, name);
    platform::CopyText(creation->linkName, name);
    creation->createChild = 0;
    creation->requestLink = linkPosition;
    ChildInfo* head = GetChildInfo(channel, linkPosition);
    if (!head) {
        head = new ChildInfo();
        head->isLinkHead = true;
        head->linkPosition = linkPosition;
        head->nodeOffset = linkPosition;
        channel->PutLinkEntry(head, linkPosition);
    }
    creation->childInfo = head;
    channel->childCreations.SetItem(creation, linkPosition);
    return creation;
}

// The target went away after the children took its parameter positions: they wait in the
// placeholder again, the child of position k in slot k, so that all of them (the last one
// included) return to their positions once the target is back.
void ChannelInternal::MoveChildrenToPlaceholder(Tev_Channel* channel) {
    struct Linked {
        Tev_Channel* channel;
        int linkData;
        int linkPosition;
    };
    std::vector<Linked> linked;
    for (int i = 0; i < channel->children.GetItemCount(); ++i) {
        ChildInfo* entry = GetChildInfo(channel, i);
        if (entry && entry->channel && entry->linkPosition >= 0)
            linked.push_back({entry->channel, entry->linkData, entry->linkPosition});
    }
    ReleaseChilderen(channel);
    ChildInfo* head = new ChildInfo();
    head->linkPosition = 0;
    head->isLinkHead = true;
    head->multipleChildren = true;
    channel->PutLinkEntry(head, 0);
    channel->publicCallInfo->childCreation.childInfo = head;
    channel->waitingForPublicChannel = true;
    for (const Linked& child : linked) {
        ChildInfo* landed = GetChildInfo(channel, channel->SetChild(child.channel, -1, child.linkPosition));
        if (landed) landed->linkData = child.linkData;
    }
}

bool ChannelInternal::SetPublicCallInfo(Tev_Channel* channel, PublicCallInfo info) {
    if (!channel || !channel->publicCallInfo) return false;
    // The placeholder head belongs to the child list; a pointer from the caller's copy would
    // name a head that is not there.
    ChildInfo* head = channel->publicCallInfo->childCreation.childInfo;
    *channel->publicCallInfo = info;
    channel->publicCallInfo->childCreation.childInfo = head;
    EngineInterface* engine = channel->engineInterface;
    if (engine && engine->engineInterfaceExt)
        engine->engineInterfaceExt->CheckPublicCallChannelRemoval(channel);
    delete channel->publicChannelRequests;
    channel->publicChannelRequests = nullptr;
    delete channel->publicChannelInstances;
    channel->publicChannelInstances = nullptr;
    return true;
}

PublicCallInfo ChannelInternal::GetPublicCallInfo(Tev_Channel* channel) {
    PublicCallInfo copy;
    if (!channel || !channel->publicCallInfo) return copy;
    const PublicCallInfo& info = *channel->publicCallInfo;
    std::memcpy(copy.channelName, info.channelName, sizeof(copy.channelName));
    std::memcpy(copy.poolName, info.poolName, sizeof(copy.poolName));
    std::memcpy(copy.fileName, info.fileName, sizeof(copy.fileName));
    copy.requestedPublicChannelNr = info.requestedPublicChannelNr;
    copy.autoLoadGroup = info.autoLoadGroup;
    copy.dynamicAutoLoadGroup = info.dynamicAutoLoadGroup;
    return copy;
}

void ChannelInternal::SetAutoLoadGroup(Tev_Channel* channel, bool autoLoad) {
    if (!channel || !channel->publicCallInfo) return;
    channel->publicCallInfo->autoLoadGroup = autoLoad;
    if (autoLoad) channel->publicCallInfo->dynamicAutoLoadGroup = 0;
}

void ChannelInternal::SetDynamicAutoLoadGroup(Tev_Channel* channel, bool dynamicAutoLoad) {
    if (!channel || !channel->publicCallInfo) return;
    channel->publicCallInfo->dynamicAutoLoadGroup = dynamicAutoLoad ? 1 : 0;
    if (dynamicAutoLoad) channel->publicCallInfo->autoLoadGroup = false;
}

bool ChannelInternal::GetAutoLoadGroup(Tev_Channel* channel) {
    return channel && channel->publicCallInfo && channel->publicCallInfo->autoLoadGroup;
}

bool ChannelInternal::GetDynamicAutoLoadGroup(Tev_Channel* channel) {
    return channel && channel->publicCallInfo && channel->publicCallInfo->dynamicAutoLoadGroup != 0;
}

void ChannelInternal::CheckPublicChannelInstanceRemoval(Tev_Channel* publicCall, Tev_Channel* removed, int) {
    if (!publicCall || publicCall->channelInterfaceType != PEX_PUBLICCALL || !publicCall->publicCallInfo ||
        !publicCall->publicChannelInstances || !removed)
        return;
    // Every entry naming the channel goes, not only the one at nr: its group may have changed
    // its pool number since the call found it, and a stale entry would be handed out freed.
    Tev_List* instances = publicCall->publicChannelInstances;
    for (int i = 0; i < instances->GetItemCount(); ++i)
        if (instances->GetItem(i) == removed) instances->SetItem(nullptr, i);
}

void ChannelInternal::SetRequestedPublicChannelNr(Tev_Channel* channel, int nr) {
    if (channel && channel->channelInterfaceType == PEX_PUBLICCALL && channel->publicCallInfo)
        channel->publicCallInfo->requestedPublicChannelNr = nr;
}
