// Channel pools: a tree of named pools whose paths join components with '@'. Every pool is
// also kept in a registry whose positions are the pools' ids, so a channel's resolution can
// name a member by (pool id, member position) and is checked against one time stamp.
#include "ChannelPoolManagement.h"

#include <cstdlib>
#include <cstring>
#include <functional>
#include <mutex>
#include <queue>
#include <unordered_map>
#include <vector>

#include "ChannelInternal.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "foundation/ListItems.h"
#include "platform/Clock.h"
#include "platform/Text.h"

namespace {

const char* const kMsgNotGroupChannel =
    "Error non channel group channel is not allowed to be a pool channel!";
const char* const kMsgEmptyPoolName = "Error pool path with an empty pool name is not allowed:";
const char kPathSeparator = '@';

// Every component names a pool. An empty one ("A@@B", "A@", "") would make one nameless
// level per separator: a short text could nest pools a million deep.
bool HasEmptyComponent(const char* poolPath) {
    const char* start = poolPath;
    for (;;) {
        const char* separator = std::strchr(start, kPathSeparator);
        if (separator == start || (!separator && !*start)) return true;
        if (!separator) return false;
        start = separator + 1;
    }
}

// Registry positions freed by deleted pools, lowest first, per management object: the
// exported object has no room for them, and finding the lowest free position by a walk
// over the registry made every new pool cost as much as all the pools there are.
struct FreeIds {
    std::priority_queue<int, std::vector<int>, std::greater<int>> ids;
};
std::mutex freeIdLock;  // management objects of several engines may live on several threads
std::unordered_map<const ChannelPoolManagement*, FreeIds> freeIdsOf;

// The lowest free position, as a walk from the start would find it.
int TakeFreeId(const ChannelPoolManagement* owner, Tev_List* registry, PoolItem* item) {
    {
        std::lock_guard<std::mutex> guard(freeIdLock);
        auto found = freeIdsOf.find(owner);
        while (found != freeIdsOf.end() && !found->second.ids.empty()) {
            const int id = found->second.ids.top();
            found->second.ids.pop();
            if (id >= registry->GetItemCount() || registry->GetItem(id)) continue;
            registry->SetItem(item, id);
            return id;
        }
    }
    return registry->AddItem(item);
}

void GiveBackId(const ChannelPoolManagement* owner, int id) {
    std::lock_guard<std::mutex> guard(freeIdLock);
    freeIdsOf[owner].ids.push(id);
}

// A component is cut to the size of the name field both when a pool is made and when it is
// looked for, so a pool made from a long component is found again by the same path.
void ComponentName(char (&name)[POOL_ITEM_NAME_SIZE], const char* start, size_t length) {
    platform::CopyTextN(name, start, length);
}

bool NameMatches(PoolItem* item, const char* name) {
    char wanted[POOL_ITEM_NAME_SIZE];
    ComponentName(wanted, name, std::strlen(name));
    return platform::StrICmp(item->name, wanted) == 0;
}

bool RemoveFromList(Tev_List* list, void* item) {
    for (int i = 0; i < list->GetItemCount(); i++) {
        if (list->GetItem(i) != item) continue;
        list->RemoveItem(i);
        return true;
    }
    return false;
}

bool IsEmpty(PoolItem* item) {
    return item->channels->GetItemCount() == 0 && item->subPoolItems->GetItemCount() == 0;
}

}  // namespace

ChannelPoolManagement::ChannelPoolManagement()
    : engineInterface(nullptr),
      mainPoolItems(new Tev_List()),
      timeStamp(static_cast<uint32_t>(rand())),
      poolItemRegistry(new Tev_List()) {}

ChannelPoolManagement::~ChannelPoolManagement() {
    {
        std::lock_guard<std::mutex> guard(freeIdLock);
        freeIdsOf.erase(this);
    }
    listitems::DeleteAll<PoolItem>(*poolItemRegistry);  // every pool is in it exactly once
    delete mainPoolItems;
    delete poolItemRegistry;
}

void ChannelPoolManagement::SetEngineInterface(EngineInterface* engine) { engineInterface = engine; }

bool ChannelPoolManagement::IsGroupChannel(Tev_Channel* channel) {
    Tev_ChannelGroup* group = channel->GetChannelGroup();
    if (group && group->GetGroupIndex() != -1) return true;
    if (engineInterface) engineInterface->showErrorMessage(kMsgNotGroupChannel);
    return false;
}

PoolItem* ChannelPoolManagement::CreatePoolItem(const char* poolPath, Tev_Channel* channel) {
    if (!channel || !IsGroupChannel(channel) || !poolPath) return nullptr;
    if (HasEmptyComponent(poolPath)) {
        if (engineInterface) engineInterface->showErrorMessage(kMsgEmptyPoolName, poolPath);
        return nullptr;
    }
    PoolItem* item = WalkPath(poolPath, true);
    if (!item) return nullptr;
    for (int i = 0; i < item->channels->GetItemCount(); i++)
        if (item->channels->GetItem(i) == channel) return item;
    item->channels->AddItem(channel);
    channelInternal.AddChannelToPool(channel, poolPath);
    SetTimeStamp();
    return item;
}

void ChannelPoolManagement::ReleasePoolItem(const char* poolPath, Tev_Channel* channel) {
    if (!channel || !IsGroupChannel(channel) || !poolPath) return;
    PoolItem* item = GetPoolItem(poolPath);
    if (item) {
        RemoveFromList(item->channels, channel);
        if (IsEmpty(item)) CleanUpItem(item);
    }
    channelInternal.RemoveChannelFromPool(channel, poolPath);
    SetTimeStamp();
}

PoolItem* ChannelPoolManagement::GetPoolItem(const char* poolPath) {
    return poolPath ? WalkPath(poolPath, false) : nullptr;
}

// Each component names a sub pool of the one before; the first a top-level pool.
PoolItem* ChannelPoolManagement::WalkPath(const char* poolPath, bool create) {
    PoolItem* item = nullptr;
    const char* start = poolPath;
    for (;;) {
        const char* separator = std::strchr(start, kPathSeparator);
        size_t length = separator ? static_cast<size_t>(separator - start) : std::strlen(start);
        char name[POOL_ITEM_NAME_SIZE];
        ComponentName(name, start, length);
        item = create ? CreateSubPoolItem(name, item) : GetSubPoolItem(name, item);
        if (!item || !separator) return item;
        start = separator + 1;
    }
}

PoolItem* ChannelPoolManagement::CreateSubPoolItem(const char* name, PoolItem* parent) {
    if (!name) return nullptr;
    if (PoolItem* existing = GetSubPoolItem(name, parent)) return existing;
    PoolItem* item = new PoolItem();
    ComponentName(item->name, name, std::strlen(name));
    item->parent = parent;
    item->id = TakeFreeId(this, poolItemRegistry, item);
    (parent ? parent->subPoolItems : mainPoolItems)->AddItem(item);
    return item;
}

PoolItem* ChannelPoolManagement::GetSubPoolItem(const char* name, PoolItem* parent) {
    if (!name) return nullptr;
    Tev_List* candidates = parent ? parent->subPoolItems : mainPoolItems;
    for (int i = 0; i < candidates->GetItemCount(); i++) {
        PoolItem* item = listitems::At<PoolItem>(*candidates, i);
        if (item && NameMatches(item, name)) return item;
    }
    return nullptr;
}

void ChannelPoolManagement::DeletePoolItem(PoolItem* item, Tev_List* siblings) {
    if (poolItemRegistry->GetItem(item->id) == item) {
        poolItemRegistry->SetItem(nullptr, item->id);
        GiveBackId(this, item->id);
    }
    RemoveFromList(siblings, item);
    delete item;
}

void ChannelPoolManagement::CleanUpItem(PoolItem* item) {
    // Only an empty pool of this tree goes: its sub pools would be left without a parent.
    if (!item || poolItemRegistry->GetItem(item->id) != item || !IsEmpty(item)) return;
    while (item->parent) {
        PoolItem* parent = item->parent;
        DeletePoolItem(item, parent->subPoolItems);
        if (!IsEmpty(parent)) return;
        item = parent;
    }
    DeletePoolItem(item, mainPoolItems);
}

Tev_Channel* ChannelPoolManagement::GetChannelFromPoolItemInfo(ChannelPoolItemInfo* info) {
    if (!info) return nullptr;
    PoolItem* item = listitems::At<PoolItem>(*poolItemRegistry, info->poolItemId);
    return item ? listitems::At<Tev_Channel>(*item->channels, info->memberIndex) : nullptr;
}

PoolItem* ChannelPoolManagement::GetMainGroupPoolItem(int index) {
    return listitems::At<PoolItem>(*mainPoolItems, index);
}

int ChannelPoolManagement::GetMainGroupPoolItemCount() { return mainPoolItems->GetItemCount(); }

unsigned long ChannelPoolManagement::GetTimeStamp() { return timeStamp; }

// Unsigned arithmetic wraps; adding at least 1 means the stamp moves on every change.
void ChannelPoolManagement::SetTimeStamp() { timeStamp += platform::GetTickCount() + 1; }
