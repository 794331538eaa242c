// The 132-byte record that identifies a channel type.
#pragma once

#include <cstdint>
#include <cstring>

#include "TarnwellTypes.h"

// Interface version of this kernel, the second version number of a type.
#define TEV_CHANNEL_INTERFACE_VERSION 52

struct ChannelType {
    char typeName[80];       // display name, zero-terminated
    _GUID typeGuid;          // the null GUID means no type
    _GUID baseGuid;          // the type's base
    int32_t versionInfo[3];  // compared component by component
    int32_t reserved1;       // carried unchanged
    int32_t reserved2;       // carried unchanged

    ChannelType() {
        std::memset(typeName, 0, sizeof(typeName));
        typeGuid = TEV_NULL_GUID;
        baseGuid = TEV_NULL_GUID;
        versionInfo[0] = 1;
        versionInfo[1] = TEV_CHANNEL_INTERFACE_VERSION;
        versionInfo[2] = 1;
        reserved1 = 0;
        reserved2 = 0;
    }
    ChannelType(const ChannelType&) = default;
    ChannelType& operator=(const ChannelType&) = default;
};

static_assert(sizeof(ChannelType) == 132, "ChannelType must be 132 bytes");
