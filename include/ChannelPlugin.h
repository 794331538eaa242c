// The two entry points of a channel plug-in that makes one channel class of one type, and the
// stamp of the class layout it is built against. In one source file of the plug-in:
//     TARNWELL_CHANNEL_PLUGIN(MyChannel, "My Channel", kMyTypeGuid, kMyBaseGuid)
// or, with the plug-in's own version numbers (the first and third of the record):
//     TARNWELL_CHANNEL_PLUGIN_VERSION(MyChannel, "My Channel", kMyTypeGuid, kMyBaseGuid, 2, 7)
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

// The same with the plug-in's own version: major.TEV_CHANNEL_INTERFACE_VERSION.revision.
inline ChannelType TevMakeChannelType(const char* name, const _GUID& typeGuid, const _GUID& baseGuid,
                                      int32_t major, int32_t revision) {
    ChannelType type = TevMakeChannelType(name, typeGuid, baseGuid);
    type.versionInfo[0] = major;
    type.versionInfo[2] = revision;
    return type;
}

// The layout of the exported classes plug-ins derive from and read (Tev_Channel, DllInterface
// and the rest). It is the minor number of the kernel's soname, libTarnwell.so.0.<layout>: a
// change of layout takes a new minor version and a new soname.
#define TARNWELL_CLASS_LAYOUT 3

// The plug-in's stamp: an exported int holding the layout its headers had. The kernel reads it
// before it calls anything in the plug-in and refuses a plug-in of another layout, naming both;
// a plug-in without it (built before the stamp) is loaded as before. TARNWELL_CHANNEL_PLUGIN
// writes it; a plug-in that exports InitDLL and GetType by hand writes it once itself.
#define TARNWELL_LAYOUT_STAMP_NAME "TevClassLayout"
#define TARNWELL_LAYOUT_STAMP TARNWELL_PLUGIN_EXPORT const int TevClassLayout = TARNWELL_CLASS_LAYOUT;

#define TARNWELL_CHANNEL_PLUGIN(ChannelClass, typeName, typeGuid, baseGuid) \
    TARNWELL_CHANNEL_PLUGIN_VERSION(ChannelClass, typeName, typeGuid, baseGuid, 1, 1)

#define TARNWELL_CHANNEL_PLUGIN_VERSION(ChannelClass, typeName, typeGuid, baseGuid, major, revision) \
    TARNWELL_LAYOUT_STAMP                                                                            \
    TARNWELL_PLUGIN_EXPORT void* InitDLL() {                                                         \
        return static_cast<DllInterface*>(new (std::nothrow) ChannelClass());                        \
    }                                                                                                \
    TARNWELL_PLUGIN_EXPORT void* GetType() {                                                         \
        static ChannelType type = TevMakeChannelType(typeName, typeGuid, baseGuid, major, revision); \
        return &type;                                                                                \
    }
