// Which public calls hold which public channel, and where public channels sit in their groups.
#include "engine/PublicCallIndex.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "ChannelRecords.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "Tev_List.h"
#include "foundation/ListItems.h"
#include "format/GroupNames.h"

namespace {

bool IsPublic(Tev_Channel* channel) {
    const int type = channel->GetChannelInterfaceType();
    return type == PEX_PUBLIC || type == PEX_PUBLICCUSTOMCHANNELGET;
}

const size_t kFirstSweep = 64;
const size_t kRecordNameSize = sizeof(PublicCallInfo::poolName);
static_assert(sizeof(PublicCallInfo::poolName) == sizeof(PublicCallInfo::channelName),
              "one bound for both names");


// The group at its recorded slot of the table, or NULL when it has left it.
Tev_ChannelGroup* GroupInTable(Tev_List& groups, Tev_ChannelGroup* group, int slot) {
    return slot >= 0 && groups.GetItem(slot) == group ? group : nullptr;
}

// A call is known to the engine by its record: the engine's look-up is handed only the record.
// The field is the channel's own; a member pointer named through a derived class reads it.
struct RecordAccess : Tev_Channel {
    static const PublicCallInfo* Of(Tev_Channel* call) {
        constexpr PublicCallInfo* Tev_Channel::*field = &RecordAccess::publicCallInfo;
        return call->*field;
    }
};

}  // namespace

bool PublicCallIndex::CallPlace::Holds(Tev_Channel* channel) const {
    return target == channel ||
           std::find(moreTargets.begin(), moreTargets.end(), channel) != moreTargets.end();
}

void PublicCallIndex::CallPlace::Add(Tev_Channel* channel) {
    if (!target)
        target = channel;
    else
        moreTargets.push_back(channel);
}

void PublicCallIndex::CallPlace::Drop(Tev_Channel* channel) {
    if (target == channel) {
        target = moreTargets.empty() ? nullptr : moreTargets.back();
        if (target) moreTargets.pop_back();
        return;
    }
    moreTargets.erase(std::remove(moreTargets.begin(), moreTargets.end(), channel), moreTargets.end());
}

void PublicCallIndex::Found(Tev_Channel* target, const PublicCallInfo* info) {
    if (!target || !info) return;
    CallPlace& place = calls[info];
    if (place.Holds(target)) return;  // a call that refused it asks again
    place.Add(target);
    std::vector<const PublicCallInfo*>& infos = holders[target];
    infos.push_back(info);
    // Swept whenever the list doubles, so that records forgotten meanwhile cannot pile up
    // under a channel that stays.
    if (infos.size() >= kFirstSweep && (infos.size() & (infos.size() - 1)) == 0) Sweep(target, infos);
}

void PublicCallIndex::Sweep(Tev_Channel* target, std::vector<const PublicCallInfo*>& infos) {
    std::sort(infos.begin(), infos.end());
    infos.erase(std::unique(infos.begin(), infos.end()), infos.end());
    infos.erase(std::remove_if(infos.begin(), infos.end(),
                               [&](const PublicCallInfo* info) {
                                   auto place = calls.find(info);
                                   return place == calls.end() || !place->second.Holds(target);
                               }),
                infos.end());
}

void PublicCallIndex::Answered(Tev_Channel* target, Tev_Channel* call) {
    if (!call) return;
    Found(target, RecordAccess::Of(call));
    Place(call, call->GetChannelGroup());
}

// The answers recorded under the record stay: they were given to this call, or to one that
// is gone, for which a word too many does no harm.
void PublicCallIndex::Place(Tev_Channel* call, Tev_ChannelGroup* group) {
    const PublicCallInfo* info = call ? RecordAccess::Of(call) : nullptr;
    if (!info || !group) return;
    CallPlace& place = calls[info];
    place.call = call;
    place.group = group;
    place.slot = group->GetGroupIndex();
    place.position = call->GetChannelIDIndexNr();
}

void PublicCallIndex::Forget(Tev_Channel* call) {
    const PublicCallInfo* info = call ? RecordAccess::Of(call) : nullptr;
    if (info) calls.erase(info);
}

// `home` is a group known to be alive though it may have left the table: the one whose
// channel is leaving, which may be dying itself.
PublicCallIndex::CallPlace* PublicCallIndex::LivePlace(const PublicCallInfo* info, Tev_List& groups,
                                                       Tev_ChannelGroup* home) {
    auto found = calls.find(info);
    if (found == calls.end() || !found->second.call) return nullptr;
    CallPlace& place = found->second;
    Tev_ChannelGroup* group = place.group == home ? home : GroupInTable(groups, place.group, place.slot);
    if (!group || group->GetChannel(place.position) != place.call) return nullptr;
    return RecordAccess::Of(place.call) == info ? &place : nullptr;
}

void PublicCallIndex::PlaceAll(Tev_List& groups) {
    for (int slot = 0; slot < groups.GetItemCount(); slot++) {
        Tev_ChannelGroup* group = listitems::At<Tev_ChannelGroup>(groups, slot);
        for (int i = 0; group && i < group->GetChannelCount(); i++) {
            Tev_Channel* member = group->GetChannel(i);
            if (member && member->GetChannelInterfaceType() == PEX_PUBLICCALL) Place(member, group);
        }
    }
}

std::vector<Tev_Channel*> PublicCallIndex::TakeHolders(Tev_Channel* target, Tev_List& groups) {
    std::vector<Tev_Channel*> found;
    auto held = holders.find(target);
    if (held == holders.end()) return found;
    std::vector<const PublicCallInfo*> infos;
    infos.swap(held->second);
    holders.erase(held);

    Tev_ChannelGroup* home = target->GetChannelGroup();
    bool walked = false;
    for (const PublicCallInfo* info : infos) {
        auto record = calls.find(info);
        if (record == calls.end() || !record->second.Holds(target)) continue;  // forgotten, or met before
        record->second.Drop(target);
        CallPlace* place = LivePlace(info, groups, home);
        if (!place && !walked) {
            // Calls of groups made in memory, or moved since, are found by one walk.
            PlaceAll(groups);
            walked = true;
            place = LivePlace(info, groups, home);
        }
        // A call outside the table is not told, as it never was.
        if (place) found.push_back(place->call);
    }
    return found;
}

// Pool name and channel name folded to lower case, as the table compares them, and the number.
std::string PublicCallIndex::Key(const PublicCallInfo* info) {
    std::string key = std::to_string(info->requestedPublicChannelNr);
    for (const char* field : {info->poolName, info->channelName}) {
        key += '\0';
        key += groupnames::Folded(std::string(field, strnlen(field, kRecordNameSize)));
    }
    return key;
}

Tev_Channel* PublicCallIndex::Known(const PublicCallInfo* info, Tev_List& groups) {
    auto found = publicChannels.find(Key(info));
    if (found == publicChannels.end()) return nullptr;
    const ChannelPlace& place = found->second;
    Tev_ChannelGroup* group = GroupInTable(groups, place.group, place.slot);
    // A group renamed or renumbered, a channel renamed, gone or no longer public: looked up anew.
    if (!group || group->GetPoolNr() != info->requestedPublicChannelNr ||
        !groupnames::FieldEqualNoCase(info->poolName, sizeof(info->poolName), group->GetPoolName()) ||
        group->GetChannel(place.position) != place.channel || !IsPublic(place.channel) ||
        !groupnames::FieldEqualNoCase(info->channelName, sizeof(info->channelName),
                                      place.channel->GetChannelName()))
        return nullptr;
    return place.channel;
}

void PublicCallIndex::Remember(const PublicCallInfo* info, Tev_ChannelGroup* group, Tev_Channel* channel) {
    if (!info || !group || !channel) return;
    std::string key = Key(info);
    publicChannels[key] =
        ChannelPlace{group, group->GetGroupIndex(), channel, channel->GetChannelIDIndexNr()};
    publicChannelKeys[channel] = std::move(key);
}

void PublicCallIndex::ForgetPublicChannel(Tev_Channel* channel) {
    auto key = publicChannelKeys.find(channel);
    if (key == publicChannelKeys.end()) return;
    auto found = publicChannels.find(key->second);
    if (found != publicChannels.end() && found->second.channel == channel) publicChannels.erase(found);
    publicChannelKeys.erase(key);
}

void PublicCallIndex::Clear() {
    calls.clear();
    holders.clear();
    publicChannels.clear();
    publicChannelKeys.clear();
}
