// Private: what a channel group keeps beyond the members plug-ins compile against (one pointer
// in the class holds it).
#pragma once

#include <unordered_map>

#include "channel/KeptBlocks.h"
#include "foundation/LowestFreeSlots.h"
#include "group/ChannelRequestIndex.h"

class GroupRelease;
class Tev_Channel;

struct GroupState {
    ChannelRequestIndex requests;  // requestList by awaited index number
    LowestFreeSlots freeSlots;     // empty positions of channelList
    // True once the array may hold a channel that does not name this group and its position
    // (placed by SetChannel, or added to another group since): only then must AddChannel search
    // the array for a channel that does not claim to be here.
    bool mayHoldStrays = false;
    GroupRelease* release = nullptr;  // the whole-group release under way, if any
    // Blocks of a channel's entry its plug-in left unread (a file from a newer version of it),
    // written back after the channel's own; kept only when the engine keeps unknown channels.
    std::unordered_map<Tev_Channel*, KeptBlocks> unread;
};
