// The engine's small services: frame step, events, threads, registry, public
// channel requests and the queue of pooled channels waiting to be linked.
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChannelRecords.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_Tread.h"
#include "engine/Engine.h"
#include "foundation/ListItems.h"
#include "group/PublicCallHooks.h"
#include "foundation/TreeCount.h"
#include "platform/Registry.h"

namespace {

const uint32_t kRegQuerySize = 1200;

}  // namespace

// ------------------------------------------------------------------ frame step

void Engine::IncreaseTreeCount() {
    treeCalculateCount = treecount::Next(treeCalculateCount);
    if (uniqueGroup) uniqueGroup->IncreaseTreeCount();
    // The queue is emptied before the channels are linked: a channel that
    // queues itself again while linking waits for the next frame.
    // A channel deleted by its group since it asked has already left the queue; one deleted
    // while the batch is linked leaves the batch.
    std::vector<Tev_Channel*> waiting;
    for (int i = 0; i < poolLinkList.GetItemCount(); i++)
        if (Tev_Channel* channel = listitems::At<Tev_Channel>(poolLinkList, i)) waiting.push_back(channel);
    poolLinkList.ClearItems();
    poolLinkPositions.clear();
    LinkPoolBatch(waiting);
    CallEvent(TEV_EVENT_FRAME, 0);
}

void Engine::LinkPoolBatch(const std::vector<Tev_Channel*>& waiting) {
    if (waiting.empty()) return;
    std::unordered_set<Tev_Channel*> pending(waiting.begin(), waiting.end());
    relinkBatches.push_back(&pending);
    struct Done {
        std::vector<std::unordered_set<Tev_Channel*>*>& batches;
        ~Done() { batches.pop_back(); }
    } done{relinkBatches};
    for (Tev_Channel* channel : waiting)
        if (pending.erase(channel)) channel->LinkPoolToChannel();
}

void Engine::ForgetPoolLink(Tev_Channel* channel) {
    auto queued = poolLinkPositions.find(channel);
    if (queued != poolLinkPositions.end()) {
        poolLinkList.SetItem(nullptr, queued->second);
        poolLinkPositions.erase(queued);
    }
    for (auto* batch : relinkBatches) batch->erase(channel);
}

void Engine::DoLinkPoolToChannel(Tev_Channel* channel) {
    if (poolLinkPositions.count(channel)) return;
    const int position = poolLinkList.AddItem(channel);
    if (position >= 0) poolLinkPositions.emplace(channel, position);
}

// ---------------------------------------------------------------------- events

void Engine::CallEvent(int event, TevEventData data) {
    if (currentEvent == kEventReleased) return;
    currentEvent = event;
    eventDispatchDepth++;
    // Registrations added by a handler wait for the next dispatch.
    int count = eventList.GetItemCount();
    for (int i = 0; i < count && currentEvent != kEventReleased; i++) {
        EventRegistration* registration = listitems::At<EventRegistration>(eventList, i);
        if (!registration || registration->event != event || !registration->channel) continue;
        registration->channel->DoEvent(event, data);
    }
    eventDispatchDepth--;
    if (eventDispatchDepth == 0) SweepDeadEventRegistrations();
}

void Engine::SweepDeadEventRegistrations() {
    for (int i = eventList.GetItemCount() - 1; i >= 0; i--) {
        EventRegistration* registration = listitems::At<EventRegistration>(eventList, i);
        if (registration && registration->channel) continue;
        delete registration;
        eventList.RemoveItem(i);
    }
}

void Engine::AddChannelToEvent(Tev_Channel* channel, int event) {
    if (!channel || event < 0) return;
    auto* registration = new (std::nothrow) EventRegistration{channel, event};
    if (registration && eventList.AddItem(registration) < 0) delete registration;
}

void Engine::RemoveChannelFromEvent(Tev_Channel* channel, int event) {
    if (!channel) return;
    for (int i = 0; i < eventList.GetItemCount(); i++) {
        EventRegistration* registration = listitems::At<EventRegistration>(eventList, i);
        if (registration && registration->channel == channel && registration->event == event)
            registration->channel = nullptr;  // dead; swept below or after the dispatch
    }
    if (eventDispatchDepth == 0) SweepDeadEventRegistrations();
}

void Engine::ProcessWindowMessage(HWND window, unsigned int message, TevMessageWParam wParam, TevMessageLParam lParam) {
    windowMessage.message = message;
    windowMessage.wParam = wParam;
    windowMessage.lParam = lParam;
    windowMessage.windowHandle = window;
    CallEvent(TEV_EVENT_WINDOW_MESSAGE, reinterpret_cast<TevEventData>(&windowMessage));
}

// --------------------------------------------------------------------- threads

// The handle reports to, and is killed by, this engine: globalEngine may name
// no engine at all, or one that is already gone.
Tev_Tread* Engine::GetNewTread() {
    Tev_Tread* tread = new (std::nothrow) Tev_Tread(engineInterface);
    if (!tread) return nullptr;
    tread->SetClassID(treadList.AddItemOrNULL(tread));
    return tread;
}

Tev_Tread* Engine::GetTreadFromID(int id) { return listitems::At<Tev_Tread>(treadList, id); }

void Engine::KillTread(Tev_Tread* tread) {
    if (!tread) return;
    if (tread->GetIfTreadRunning()) {
        tread->CloseTread();  // comes back here once the body is gone; tread may be deleted now
        return;
    }
    // Release closes and deletes every handle itself; handles that are not
    // in the list belong to whoever made them.
    if (currentEvent == kEventReleased) return;
    for (int i = 0; i < treadList.GetItemCount(); i++) {
        if (treadList.GetItem(i) != tread) continue;
        treadList.SetItem(nullptr, i);
        delete tread;
        return;
    }
}

// -------------------------------------------------------------------- registry

bool Engine::GetRegData(const char* valueName, char* buffer, int size) {
    if (!buffer || size <= 0) return false;
    platform::RegistryKey* key = nullptr;
    if (platform::RegOpenKey(regKey, &key) != 0) return false;
    char data[kRegQuerySize];
    uint32_t type = platform::REG_NONE;
    uint32_t stored = sizeof(data);
    long result = platform::RegQueryValue(key, valueName, &type, data, &stored);
    platform::RegCloseKey(key);
    if (stored > static_cast<uint32_t>(size)) return false;  // buffer left as it was
    if (result != 0 || type != platform::REG_SZ) return false;
    data[sizeof(data) - 1] = '\0';
    std::memset(buffer, 0, static_cast<size_t>(size));
    std::strncpy(buffer, data, static_cast<size_t>(size));
    return true;
}

bool Engine::SetRegData(const char* valueName, const char* text) {
    if (!text) return false;
    platform::RegistryKey* key = nullptr;
    if (platform::RegCreateKey(regKey, &key) != 0) return false;
    long result = platform::RegSetValue(key, valueName, platform::REG_SZ, text,
                                        static_cast<uint32_t>(std::strlen(text)));
    platform::RegCloseKey(key);
    return result == 0;
}

// ---------------------------------------------------- public channel requests

bool Engine::AddChannelRequest(int, Tev_Channel* channel) { return channel && publicRequestList.Add(channel); }

// Only calls waiting for the group's pool name are asked.
void Engine::CheckChannelRequest(Tev_ChannelGroup* group, int number, Tev_Channel* channel) {
    if (!group || !channel) return;
    const char* poolName = group->GetPoolName();
    publicRequestList.Answer(poolName, [&](Tev_Channel* call) {
        if (!channelInternal.CheckPublicChannelRequest(call, channel, number, poolName)) return false;
        publicCallIndex.Answered(channel, call);
        return true;
    });
}

// Every request of the channel goes: a public call may wait for several
// instances, and a request left behind would name a deleted channel.
void Engine::CheckPublicCallChannelRemoval(Tev_Channel* channel) {
    publicCallIndex.Forget(channel);
    publicRequestList.Drop(channel);
}

// Only groups of the wanted pool name and number can answer, and the table's name index
// finds them; a walk over the table is left for a group that shares its name and number
// with another (set by hand), which the index alone would not tell apart. The answer for a
// record is remembered, for the many calls that ask for the same channel.
Tev_Channel* Engine::GetPublicChannel(PublicCallInfo* info) {
    if (!info) return nullptr;
    Tev_Channel* found = publicCallIndex.Known(info, groupList);
    if (!found) found = LookUpPublicChannel(info);
    // The call caches what it is answered with; it must hear when that channel leaves.
    publicCallIndex.Found(found, info);
    return found;
}

Tev_Channel* Engine::LookUpPublicChannel(PublicCallInfo* info) {
    const std::string poolName(info->poolName, strnlen(info->poolName, sizeof(info->poolName)));
    Tev_ChannelGroup* named = GetPoolGroup(poolName.c_str(), info->requestedPublicChannelNr);
    if (!named) return nullptr;
    if (Tev_Channel* found = named->GetPublicChannel(info)) {
        publicCallIndex.Remember(info, named, found);
        return found;
    }
    for (int i = 0; i < groupList.GetItemCount(); i++) {
        Tev_ChannelGroup* group = listitems::At<Tev_ChannelGroup>(groupList, i);
        if (group && group != named && group->GetPoolNr() == info->requestedPublicChannelNr)
            if (Tev_Channel* found = group->GetPublicChannel(info)) return found;
    }
    return nullptr;
}

// Told only to the calls that hold the channel: asking every channel of every group made
// removing many public channels quadratic.
void Engine::CheckPublicChannelRemoval(Tev_Channel* channel, int nr) {
    if (!channel) return;
    publicCallIndex.ForgetPublicChannel(channel);
    for (Tev_Channel* call : publicCallIndex.TakeHolders(channel, groupList))
        channelInternal.CheckPublicChannelInstanceRemoval(call, channel, nr);
}

void Engine::PlacePublicCall(Tev_ChannelGroup* group, Tev_Channel* call) {
    publicCallIndex.Place(call, group);
}

void publicindex::CallArriving(EngineInterface* engine, Tev_ChannelGroup* group, Tev_Channel* call) {
    if (engine && engine->engine) engine->engine->PlacePublicCall(group, call);
}

void Engine::CheckInterfaceChange(const char* poolName) {
    for (int i = 0; i < groupList.GetItemCount(); i++)
        if (Tev_ChannelGroup* group = listitems::At<Tev_ChannelGroup>(groupList, i))
            group->CheckInterfaceChange(poolName);
}
