// Direct reads for the per-frame path (GetChild, GetChildCount). The fields read here are
// part of the plug-in contract and cannot move; a call per read cost more than the walk
// itself. A member pointer formed through a derived class is the legal way to reach a
// protected field of another object.
#pragma once

#include "EngineInterfaceExt.h"
#include "Tev_List.h"

namespace channelfast {

struct ListFields : Tev_List {
    static constexpr void** Tev_List::*kItems = &ListFields::items;
    static constexpr int Tev_List::*kItemCount = &ListFields::itemCount;
};

struct ExtFields : EngineInterfaceExt {
    static constexpr bool EngineInterfaceExt::*kTrack = &ExtFields::trackChannelCalling;
};

// Tev_List::GetItem without the call: NULL outside the list.
inline void* ItemAt(const Tev_List& list, int index) {
    if (index < 0 || index >= list.*ListFields::kItemCount) return nullptr;
    return (list.*ListFields::kItems)[index];
}

inline int ItemCount(const Tev_List& list) { return list.*ListFields::kItemCount; }

// EngineInterfaceExt::GetIfTrackChannelCalling without the call.
inline bool Tracking(EngineInterfaceExt* ext) { return ext && ext->*ExtFields::kTrack; }

}  // namespace channelfast
