// The engine's group table: adding, finding and removing channel groups. Slots are stable
// group indices; a deleted group leaves an empty slot that the next group reuses.
//
// Lookups by pool name go through an index (pool name folded to lower case -> slots) so that
// they stay fast in tables of thousands of groups. It only narrows the search: every
// candidate is checked against the group itself, in table order.
#include <algorithm>
#include <new>
#include <string>
#include <unordered_map>
#include <vector>

#include "engine/Engine.h"

#include "EngineInterface.h"
#include "PluginChannels.h"
#include "Tev_ChannelGroup.h"
#include "foundation/ChannelKind.h"
#include "foundation/ListItems.h"
#include "format/GroupNames.h"
#include "group/GroupTableIndex.h"

namespace {

const char* const kMsgNonArraySameName = "Engine::CreateNewGroup non array group created with same name";
const char* const kMsgArrayOfNonArray = "Engine::CreateNewGroup wanted to create an array of a non array group!";
const char* const kMsgLoadIntoNonArrayPool =
    "Engine::LoadChannelGroup wanted to load a channel group in a non array pool";
const char* const kMsgNameExists = "Channel group name already exists can't create group called:";
const char* const kMsgArraysOnlyByCreate = "Arrays can only be made trough CreateGroup (Array_LoadGroup)";
const char* const kMsgLoadError = "Engine::LoadChannelGroup: Error loading channel group";

// Instance numbers asked of CreateNewGroup that are not explicit numbers.
const int kNextInstance = -1;
const int kFirstEmptySlotInstance = -2;

Tev_ChannelGroup* GroupAt(Tev_List& table, int index) { return listitems::At<Tev_ChannelGroup>(table, index); }

}  // namespace

struct Engine::GroupNameIndex {
    std::unordered_map<std::string, std::vector<int>> slotsByName;
};

Engine::GroupNameIndexHolder::~GroupNameIndexHolder() { delete index; }

namespace {

// Slots, in table order, that may hold a group of this name (ignoring case).
std::vector<int> SlotsNamed(Engine::GroupNameIndex* index, const char* poolName) {
    std::vector<int> slots;
    if (!poolName || !index) return slots;
    auto found = index->slotsByName.find(groupnames::Folded(poolName));
    if (found != index->slotsByName.end()) slots = found->second;
    std::sort(slots.begin(), slots.end());
    return slots;
}

}  // namespace

bool Engine::IsInGroupTable(Tev_ChannelGroup* group) {
    return group && group->GetGroupIndex() >= 0 && groupList.GetItem(group->GetGroupIndex()) == group;
}

void Engine::IndexGroup(Tev_ChannelGroup* group) {
    if (!IsInGroupTable(group) || !group->GetPoolName()) return;
    if (!groupNameIndex.index) groupNameIndex.index = new GroupNameIndex();
    std::vector<int>& slots = groupNameIndex.index->slotsByName[groupnames::Folded(group->GetPoolName())];
    int slot = group->GetGroupIndex();
    if (std::find(slots.begin(), slots.end(), slot) == slots.end()) slots.push_back(slot);
}

void Engine::UnindexGroup(Tev_ChannelGroup* group) {
    if (!IsInGroupTable(group) || !group->GetPoolName() || !groupNameIndex.index) return;
    auto& map = groupNameIndex.index->slotsByName;
    auto found = map.find(groupnames::Folded(group->GetPoolName()));
    if (found == map.end()) return;
    std::vector<int>& slots = found->second;
    slots.erase(std::remove(slots.begin(), slots.end(), group->GetGroupIndex()), slots.end());
    if (slots.empty()) map.erase(found);
}

void grouptable::PoolNameLeaving(EngineInterface* engine, Tev_ChannelGroup* group) {
    if (engine && engine->engine) engine->engine->UnindexGroup(group);
}

void grouptable::PoolNameArriving(EngineInterface* engine, Tev_ChannelGroup* group) {
    if (engine && engine->engine) engine->engine->IndexGroup(group);
}

void grouptable::ChannelLeaving(EngineInterface* engine, Tev_Channel* channel) {
    if (engine && engine->engine) engine->engine->ForgetPoolLink(channel);
}

int Engine::GetChannelGroupCount() { return groupList.GetItemCount(); }

Tev_ChannelGroup* Engine::GetChannelGroup(int index) { return GroupAt(groupList, index); }

Tev_ChannelGroup* Engine::GetChannelGroup(const char* fileName, int instance) {
    for (int i = 0; i < groupList.GetItemCount(); i++) {
        Tev_ChannelGroup* group = GroupAt(groupList, i);
        if (group && group->GetPoolNr() == instance &&
            groupnames::EqualNoCase(group->GetChannelGroupFileName(), fileName))
            return group;
    }
    return nullptr;
}

Tev_ChannelGroup* Engine::GetPoolGroup(const char* poolName, int instance) {
    for (int slot : SlotsNamed(groupNameIndex.index, poolName)) {
        Tev_ChannelGroup* group = GroupAt(groupList, slot);
        if (group && group->GetPoolNr() == instance && groupnames::EqualNoCase(group->GetPoolName(), poolName))
            return group;
    }
    return nullptr;
}

int Engine::GetHighInstance(const char* poolName) {
    if (!poolName) return 0;
    int high = -1;
    for (int slot : SlotsNamed(groupNameIndex.index, poolName)) {
        Tev_ChannelGroup* group = GroupAt(groupList, slot);
        if (group && groupnames::EqualSameFirst(group->GetPoolName(), poolName) && group->GetPoolNr() > high)
            high = group->GetPoolNr();
    }
    return high;
}

int Engine::AddGroupToTable(Tev_ChannelGroup* group) {
    int slot = groupSlots.Take(groupList, group);
    group->SetGroupIndex(slot);
    IndexGroup(group);
    return slot;
}

int Engine::FirstEmptySlotInstance(const char* poolName) {
    const int slot = groupSlots.Lowest(groupList);
    return slot < groupList.GetItemCount() ? slot : GetHighInstance(poolName) + 1;
}

Tev_ChannelGroup* Engine::CreateNewGroup(const char* poolName, bool arrayGroup, int instance) {
    if (!poolName || !poolName[0]) return nullptr;

    int number = instance;
    Tev_ChannelGroup* replaced = nullptr;
    if (instance == kNextInstance)
        number = GetHighInstance(poolName) + 1;
    else if (instance == kFirstEmptySlotInstance)
        number = FirstEmptySlotInstance(poolName);
    else
        replaced = GetPoolGroup(poolName, instance);

    // Both refusals come before the replaced group is deleted: a refused call destroys nothing.
    if (!arrayGroup && number > 0) {
        engineInterface->showErrorMessage(kMsgNonArraySameName);
        return nullptr;
    }
    if (arrayGroup && number > 0) {
        Tev_ChannelGroup* first = GetChannelGroup(poolName, 0);
        if (first && !first->GetIfArrayGroup()) {
            engineInterface->showErrorMessage(kMsgArrayOfNonArray);
            return nullptr;
        }
    }
    if (replaced) DeleteChannelGroup(replaced->GetGroupIndex());

    Tev_ChannelGroup* group = new (std::nothrow) Tev_ChannelGroup(engineInterface);
    if (!group) return nullptr;
    group->SetPoolNr(number);
    group->SetPoolName(poolName);
    group->SetIfArrayGroup(arrayGroup);
    AddGroupToTable(group);
    return group;
}

bool Engine::PoolNameFreeForLoading(const char* poolName) {
    int nextInstance = 0;
    for (int slot : SlotsNamed(groupNameIndex.index, poolName)) {
        Tev_ChannelGroup* group = GroupAt(groupList, slot);
        if (!group || !groupnames::EqualSameFirst(group->GetPoolName(), poolName)) continue;
        if (group->GetPoolNr() == -1) return false;
        if (group->GetPoolNr() >= nextInstance) {
            if (!group->GetIfArrayGroup()) {
                engineInterface->showErrorMessage(kMsgLoadIntoNonArrayPool);
                return false;
            }
            nextInstance = group->GetPoolNr() + 1;
        }
    }
    if (nextInstance > 0) {
        engineInterface->showUserErrorMessage(kMsgNameExists, poolName);
        engineInterface->showErrorMessage(kMsgArraysOnlyByCreate);
        return false;
    }
    return true;
}

// One group into the table, from its file; EngineGroupLoads.cpp orders the loads around it.
Tev_ChannelGroup* Engine::LoadGroupIntoTable(const char* fileName, const char* poolName) {
    if (poolName && !PoolNameFreeForLoading(poolName)) return nullptr;

    Tev_ChannelGroup* group = new (std::nothrow) Tev_ChannelGroup(engineInterface);
    if (!group) return nullptr;
    int slot = AddGroupToTable(group);
    if (poolName) group->SetPoolName(poolName);
    // Without a pool name of its own the group adopts the one stored in the file.
    if (!group->LoadChannelGroupFromFile(fileName, poolName == nullptr)) {
        DeleteChannelGroup(slot);
        engineInterface->showErrorMessage(kMsgLoadError);
        return nullptr;
    }
    if (poolName) {
        group->SetPoolName(poolName);
        group->SetPoolNr(0);
        group->CheckPublicChannels();
        return group;
    }
    if (group->GetPoolNr() == 0) {
        group->CheckPublicChannels();
        return group;
    }
    // A file that stores no pool name has been reported by the reader; no name is in use.
    const char* stored = group->GetPoolName();
    if (!stored || !stored[0]) {
        DeleteChannelGroup(slot);
        engineInterface->showErrorMessage(kMsgLoadError);
        return nullptr;
    }
    engineInterface->showUserErrorMessage(kMsgNameExists, stored);
    DeleteChannelGroup(slot);
    engineInterface->showErrorMessage(kMsgArraysOnlyByCreate);
    return nullptr;
}

void Engine::DeleteChannelGroup(int index) {
    Tev_ChannelGroup* group = GetChannelGroup(index);
    if (!group) return;
    UnindexGroup(group);
    groupList.SetItem(nullptr, index);  // the dying group is no longer found in the table
    groupSlots.Freed(index);
    delete group;
}

void Engine::ReleaseGroups() {
    publicRequestList.Clear();
    ForgetQueuedGroupLoads(0);  // the public calls that asked for them are going

    for (int i = 0; i < groupList.GetItemCount(); i++) DeleteChannelGroup(i);
    groupList.ClearItems();  // the next group loaded gets index 0, the default start group
    groupSlots.Reset();
    if (groupNameIndex.index) groupNameIndex.index->slotsByName.clear();

    // Not every installation has the dynamic loading plug-in; then there is nothing to reset.
    Tev_Channel* dynamicLoading = GetUniqueChannel(TEV_DYNAMICLOADING_GUID, nullptr);
    if (auto* loader = channelkind::As<Pex_DynamicLoadingChannel>(dynamicLoading)) loader->ResetDynamicLoading();
}
