// The two entry points of a channel plug-in that makes one channel class of one type.
// In one source file of the plug-in:
//     TARNWELL_CHANNEL_PLUGIN(MyChannel, "My Channel", kMyTypeGuid, kMyBaseGuid)
#pragma once

#include <cstring>
#include <new>

#include "ChannelType.h"
#include "DllInterface.h"
#include "TarnwellExport.h"

// A type record with the default versions (1, 52, 1); the name is cut to fit and terminated.
inline ChannelType TevMakeChannelType(const char* name, const _GUID& typeGuid, const _GUID& baseGuid) {
    ChannelType type;
    if (name) std::strncpy(type.typeName, name, sizeof(type.typeName) - 1);
    type.typeGuid = typeGuid;
    type.baseGuid = baseGuid;
    return type;
}

#define TARNWELL_CHANNEL_PLUGIN(ChannelClass, typeName, typeGuid, baseGuid)                     \
    TARNWELL_PLUGIN_EXPORT void* InitDLL() {                                                     \
        return static_cast<DllInterface*>(new (std::nothrow) ChannelClass());                    \
    }                                                                                            \
    TARNWELL_PLUGIN_EXPORT void* GetType() {                                                     \
        static ChannelType type = TevMakeChannelType(typeName, typeGuid, baseGuid);             \
        return &type;                                                                            \
    }
