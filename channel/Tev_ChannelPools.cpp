// A channel standing for the members of the pools it uses.
#include "ChannelInternal.h"
#include "ChildInfo.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"

Tev_Channel* Tev_Channel::GetChannelFromChannel(Tev_Channel* caller, ChildInfo* entry) {
    if (!usePoolChannel || !caller || !entry) return nullptr;
    if (entry->poolChannelCount == GetPoolChannelCount()) return GetPoolChannel(entry->poolChannelIndex);
    // The pool changed size since the parent's links were expanded: expand them anew next frame.
    if (engineInterface && engineInterface->engineInterfaceExt)
        engineInterface->engineInterfaceExt->DoLinkPoolToChannel(caller);
    return nullptr;
}

// Pool resolution is not built yet: a channel that uses pools finds no members, so it counts
// as one pool channel and stands for itself.
int Tev_Channel::GetPoolChannelCount() { return channelPoolInfo ? 1 : 0; }

Tev_Channel* Tev_Channel::GetPoolChannel(int) { return channelPoolInfo ? this : nullptr; }

void Tev_Channel::LinkPoolToChannel() {}

bool Tev_Channel::GetIfUsePoolChannel() { return usePoolChannel; }

void Tev_Channel::SetIfUsePoolChannel(bool use) { usePoolChannel = use; }
