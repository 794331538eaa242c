// The channel plug-in of the walk benchmark: what a plug-in's CallChannel typically does with
// its children. It has one multiple link position accepting every type; CallChannel counts
// the call and calls every child it gets through GetChild. CallPlain walks the same children
// through a std::vector the benchmark fills, the yardstick over the very same objects;
// CallPlainVirtual does the same but keeps a virtual call per child.
#pragma once

#include <vector>

#include "Tev_Channel.h"

inline constexpr _GUID kWalkChannelGuid = {0x3A1C0E55, 0x7A1C, 0x4B00, {0x80, 0, 0, 0, 0, 0, 0, 0x01}};
#define WALK_CHANNEL_DLL "walkchannel.dll"

// Operations after the 13 of Tev_Channel, in this slot order.
class WalkChannelCalls : public Tev_Channel {
public:
    virtual void CallPlain() = 0;
    virtual long GetCallCount() = 0;
    virtual void CallPlainVirtual() = 0;

    std::vector<WalkChannelCalls*> plainChildren;
};
