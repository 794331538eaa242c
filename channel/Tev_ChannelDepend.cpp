// Channel types and extra DLLs a channel relies on. Every type is listed before its base
// type and the types it names are visited, so a type that names itself, or types that name
// each other, are visited once and the walk ends.
#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "foundation/ListItems.h"

namespace {

ChannelDependency* FindDependency(Tev_List* list, const _GUID& type) {
    for (int i = 0; i < list->GetItemCount(); ++i) {
        ChannelDependency* entry = listitems::At<ChannelDependency>(*list, i);
        if (entry && entry->channelTypeGuid == type) return entry;
    }
    return nullptr;
}

// A channel of the type made only to ask it, outside any group and without children.
void AddDependenciesOfType(EngineInterface* engine, const _GUID& type, Tev_List* list) {
    if (!engine) return;
    Tev_Channel* temporary = engine->InitChannelFromType(type, nullptr, false);
    if (!temporary) return;
    channelInternal.GetChannelDepenency(temporary, list);
    delete temporary;
}

}  // namespace

ChannelDependency::ChannelDependency(const _GUID& type) : channelTypeGuid(type) {}

ChannelDependency::~ChannelDependency() { listitems::DeleteAll<Tev_String>(dllNames); }

void ChannelInternal::GetChannelDepenency(Tev_Channel* channel, Tev_List* list) {
    if (!channel || !list) return;
    ChannelType type = channel->GetChannelType();
    if (FindDependency(list, type.typeGuid)) return;
    list->AddItem(new ChannelDependency(type.typeGuid));
    if (type.typeGuid != type.baseGuid) AddDependenciesOfType(channel->engineInterface, type.baseGuid, list);
    channel->DoDependencyInit(list);
}

void Tev_Channel::AddChannelGuidDepend(_GUID type, Tev_List* list) {
    if (!list || FindDependency(list, type)) return;
    AddDependenciesOfType(engineInterface, type, list);
}

void Tev_Channel::AddDLLDepend(const char* dllName, Tev_List* list) {
    if (!dllName || !list) return;
    ChannelDependency* entry = FindDependency(list, GetChannelType().typeGuid);
    if (!entry) return;
    Tev_String* name = new Tev_String();
    name->SetString(dllName);
    entry->dllNames.AddItem(name);
}
