// Channel group: construction, destruction, Release, accessors, start channel and tree count.
#include "Tev_ChannelGroup.h"

#include <string>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "SmartChannel.h"
#include "Tev_Channel.h"
#include "Tev_List.h"
#include "Tev_String.h"
#include "foundation/ListItems.h"
#include "group/GroupRelease.h"
#include "group/GroupState.h"
#include "group/GroupTableIndex.h"
#include "foundation/TreeCount.h"
#include "platform/Threads.h"


namespace {

// Tev_String frees its old text before copying, and callers pass the group's own text back
// (reloading a group from its own file name), so the copy is taken first.
void SetText(Tev_String* target, const char* text) {
    if (!text) {
        target->SetString(nullptr);
        return;
    }
    std::string copy(text);
    target->SetString(copy.c_str());
}

}  // namespace

Tev_ChannelGroup::Tev_ChannelGroup() { Construct(globalEngine); }

Tev_ChannelGroup::Tev_ChannelGroup(EngineInterface* engine) { Construct(engine); }

void Tev_ChannelGroup::Construct(EngineInterface* engine) {
    readOnly = false;
    channelList = new Tev_List();
    requestList = new Tev_List();
    state = new GroupState();
    fileName = new Tev_String();
    poolName = new Tev_String();
    groupIndex = -1;
    startChannel = 0;
    poolNr = -1;
    parameterChannel = new SmartChannel(engine);
    parameterInfoList = new Tev_List();
    treeCount = -1;
    uniqueGroupGuid = TEV_NULL_GUID;
    platform::CreateGuid(&uniqueGroupGuid);
    ifArrayGroup = false;
    destroying = false;
    engineInterface = engine;
    parentWindow = nullptr;
}

Tev_ChannelGroup::~Tev_ChannelGroup() {
    // Siblings are not told of removals while the whole group goes; the engine still hears
    // of public channels and public calls leaving.
    destroying = true;
    Tev_ChannelGroup::Release();
    delete parameterChannel;
    parameterChannel = nullptr;
    delete fileName;
    fileName = nullptr;
    delete poolName;
    poolName = nullptr;
    delete channelList;
    channelList = nullptr;
    delete requestList;
    requestList = nullptr;
    delete state;
    state = nullptr;
    delete parameterInfoList;
    parameterInfoList = nullptr;
}

void Tev_ChannelGroup::Release() {
    // Every channel goes through the full removal path; the array keeps its length.
    if (destroying || state->release) {
        for (int i = 0; i < channelList->GetItemCount(); i++) RemoveChannel(i);
    } else {
        GroupRelease release(*channelList);
        struct Telling {
            GroupState* state;
            ~Telling() { state->release = nullptr; }
        } telling{state};
        state->release = &release;
        for (int i = 0; i < channelList->GetItemCount(); i++) RemoveChannel(i);
    }
    state->freeSlots.Reset();
    state->mayHoldStrays = false;
    parameterChannel->SetChannel(nullptr);
    startChannel = 0;
    DeleteRequests();
    DeleteParameterInfos();
}

void Tev_ChannelGroup::DeleteRequests() {
    listitems::DeleteAll<ChannelRequestInfo>(*requestList);
    state->requests.Clear();
}

void Tev_ChannelGroup::DeleteParameterInfos() {
    listitems::DeleteAll<ParameterInterfaceInfo>(*parameterInfoList);
}

int Tev_ChannelGroup::GetGroupIndex() { return groupIndex; }

void Tev_ChannelGroup::SetGroupIndex(int index) { groupIndex = index; }

void Tev_ChannelGroup::CallStartChannel() {
    IncreaseTreeCount();
    Tev_Channel* channel = GetChannel(startChannel == -1 ? 0 : startChannel);
    if (channel) channel->CallChannel();
}

void Tev_ChannelGroup::SetStartChannel(int indexNr) { startChannel = indexNr; }

int Tev_ChannelGroup::GetStartChannel() { return startChannel; }

int Tev_ChannelGroup::GetPoolNr() { return poolNr; }

void Tev_ChannelGroup::SetPoolNr(int nr) { poolNr = nr; }

const char* Tev_ChannelGroup::GetPoolName() { return poolName->GetString(); }

void Tev_ChannelGroup::SetPoolName(const char* name) {
    // The engine's table finds its groups by pool name through an index that must follow.
    const bool inTable = groupIndex >= 0;
    if (inTable) grouptable::PoolNameLeaving(engineInterface, this);
    SetText(poolName, name);
    if (inTable) grouptable::PoolNameArriving(engineInterface, this);
}

const char* Tev_ChannelGroup::GetChannelGroupFileName() { return fileName->GetString(); }

void Tev_ChannelGroup::SetChannelGroupFileName(const char* name) { SetText(fileName, name); }

_GUID Tev_ChannelGroup::GetUniqueGroupGuid() { return uniqueGroupGuid; }

bool Tev_ChannelGroup::GetIfArrayGroup() { return ifArrayGroup; }

void Tev_ChannelGroup::SetIfArrayGroup(bool arrayGroup) { ifArrayGroup = arrayGroup; }

HWND Tev_ChannelGroup::GetParentWindow() {
    if (parentWindow || !engineInterface) return parentWindow;
    return engineInterface->GetWindowHandle();
}

void Tev_ChannelGroup::SetParentWindow(HWND window) { parentWindow = window; }

bool Tev_ChannelGroup::GetReadOnly() { return readOnly; }

void Tev_ChannelGroup::SetReadOnly(bool value) { readOnly = value; }

int Tev_ChannelGroup::GetTreeCalculateCount() {
    if (!engineInterface) return treeCount;
    return engineInterface->GetTreeCalculateCount() + treeCount;
}

void Tev_ChannelGroup::IncreaseTreeCount() {
    treeCount = treecount::Next(treeCount);
}
