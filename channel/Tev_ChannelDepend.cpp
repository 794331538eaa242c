// Channel types and extra DLLs a channel relies on.
#include "ChannelRecords.h"
#include "Tev_Channel.h"
#include "Tev_String.h"

ChannelDependency::ChannelDependency(const _GUID& type) : channelTypeGuid(type) {}

ChannelDependency::~ChannelDependency() {
    for (int i = 0; i < dllNames.GetItemCount(); ++i) delete static_cast<Tev_String*>(dllNames.GetItem(i));
}

// The dependency walk is not built yet: nothing is listed.
void Tev_Channel::AddChannelGuidDepend(_GUID, Tev_List*) {}

void Tev_Channel::AddDLLDepend(const char*, Tev_List*) {}
