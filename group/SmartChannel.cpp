// Channel handles: remember where a channel was and hand it out only while it is still there.
#include "SmartChannel.h"

#include "ChannelInternal.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"

GChannel::GChannel() : groupIndex(-1), channelIndexNr(-1), channel(nullptr), engineInterface(nullptr) {}

void GChannel::SetChannel(Tev_Channel* newChannel) {
    groupIndex = -1;
    channelIndexNr = -1;
    channel = nullptr;
    engineInterface = nullptr;
    if (!newChannel || !newChannel->GetChannelGroup()) return;
    groupIndex = newChannel->GetChannelGroup()->GetGroupIndex();
    channelIndexNr = newChannel->GetChannelIDIndexNr();
    channel = newChannel;
    engineInterface = newChannel->engineInterface;
}

Tev_Channel* GChannel::GetChannel() {
    if (groupIndex == -1 || channelIndexNr == -1 || !engineInterface) return nullptr;
    Tev_ChannelGroup* group = engineInterface->GetChannelGroup(groupIndex);
    if (!group || group->GetChannel(channelIndexNr) != channel) return nullptr;
    return channel;
}

SmartChannel::SmartChannel()
    : groupGuid(TEV_NULL_GUID), groupIndex(-1), channelIndexNr(-1), channel(nullptr), engineInterface(globalEngine) {}

SmartChannel::SmartChannel(EngineInterface* engine)
    : groupGuid(TEV_NULL_GUID), groupIndex(-1), channelIndexNr(-1), channel(nullptr), engineInterface(engine) {}

SmartChannel::~SmartChannel() { channel = nullptr; }

bool SmartChannel::SetChannel(Tev_Channel* newChannel) {
    channel = nullptr;
    groupIndex = -1;
    if (!newChannel) return false;
    channel = newChannel;
    Tev_ChannelGroup* group = newChannel->GetChannelGroup();
    if (!group) return false;
    groupGuid = group->GetUniqueGroupGuid();
    groupIndex = group->GetGroupIndex();
    channelIndexNr = newChannel->GetChannelIDIndexNr();
    return true;
}

Tev_Channel* SmartChannel::GetInternalChannel() {
    if (!engineInterface) engineInterface = globalEngine;
    if (!channel || !engineInterface) return nullptr;
    Tev_ChannelGroup* group = engineInterface->GetChannelGroup(groupIndex);
    if (!group) return groupIndex == -1 ? channel : nullptr;
    if (group->GetUniqueGroupGuid() != groupGuid) return nullptr;
    return group->GetChannel(channelIndexNr) == channel ? channel : nullptr;
}

Tev_Channel* SmartChannel::GetChannel() {
    Tev_Channel* internal = GetInternalChannel();
    if (!internal) return nullptr;
    switch (internal->GetChannelInterfaceType()) {
        case PEX_NORMAL:
        case PEX_PUBLIC:
            return internal;
        case PEX_PUBLICCALL:
            return channelInternal.GetPublicChannelForPublicCall(internal, false);
        case PEX_CUSTOMCHANNELGET:
        case PEX_PUBLICCUSTOMCHANNELGET:
            return internal->GetChannelFromChannel(nullptr, nullptr);
        default:
            return nullptr;
    }
}
