// Channel pools. The pool tree is not maintained yet: no channel joins a pool, so every
// lookup answers "no pool" and releasing a membership changes nothing.
#include "ChannelPoolManagement.h"

#include <cstdlib>

#include "Tev_List.h"
#include "Tev_String.h"

PoolItem::PoolItem() : subPoolItems(new Tev_List()), channels(new Tev_List()), parent(nullptr), id(-1) {
    name[0] = 0;
}

PoolItem::~PoolItem() {
    // Sub pools belong to the management object's tree; the member channels to their groups.
    delete subPoolItems;
    delete channels;
}

ChannelPoolInfo::ChannelPoolInfo() : poolNames(new Tev_List()), timeStamp(0), poolItems(new Tev_List()) {}

ChannelPoolInfo::~ChannelPoolInfo() {
    for (int i = 0; i < poolNames->GetItemCount(); i++) delete static_cast<Tev_String*>(poolNames->GetItem(i));
    for (int i = 0; i < poolItems->GetItemCount(); i++)
        delete static_cast<ChannelPoolItemInfo*>(poolItems->GetItem(i));
    delete poolNames;
    delete poolItems;
}

ChannelPoolManagement::ChannelPoolManagement()
    : engineInterface(nullptr),
      mainPoolItems(new Tev_List()),
      timeStamp(static_cast<uint32_t>(rand())),
      poolItemRegistry(new Tev_List()) {}

ChannelPoolManagement::~ChannelPoolManagement() {
    // Every pool is in the registry exactly once.
    for (int i = 0; i < poolItemRegistry->GetItemCount(); i++)
        delete static_cast<PoolItem*>(poolItemRegistry->GetItem(i));
    delete mainPoolItems;
    delete poolItemRegistry;
}

void ChannelPoolManagement::SetEngineInterface(EngineInterface* engine) { engineInterface = engine; }

PoolItem* ChannelPoolManagement::CreatePoolItem(const char*, Tev_Channel*) { return nullptr; }

void ChannelPoolManagement::ReleasePoolItem(const char*, Tev_Channel*) {}

PoolItem* ChannelPoolManagement::GetPoolItem(const char*) { return nullptr; }

PoolItem* ChannelPoolManagement::CreateSubPoolItem(const char*, PoolItem*) { return nullptr; }

PoolItem* ChannelPoolManagement::GetSubPoolItem(const char*, PoolItem*) { return nullptr; }

void ChannelPoolManagement::CleanUpItem(PoolItem*) {}

Tev_Channel* ChannelPoolManagement::GetChannelFromPoolItemInfo(ChannelPoolItemInfo*) { return nullptr; }

PoolItem* ChannelPoolManagement::GetMainGroupPoolItem(int index) {
    return static_cast<PoolItem*>(mainPoolItems->GetItem(index));
}

int ChannelPoolManagement::GetMainGroupPoolItemCount() { return mainPoolItems->GetItemCount(); }

unsigned long ChannelPoolManagement::GetTimeStamp() { return timeStamp; }

void ChannelPoolManagement::SetTimeStamp() {}
