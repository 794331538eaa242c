// Entry points of filesaver.dll.
#include <cstring>
#include <new>

#include "ChannelType.h"
#include "FileSaverChannel.h"

namespace {

ChannelType MakeType() {
    ChannelType type;
    std::strncpy(type.typeName, "File Saver", sizeof(type.typeName) - 1);
    type.typeGuid = TEV_FILESAVER_TYPE;
    type.baseGuid = TEV_FILESAVER_TYPE;
    return type;
}

}  // namespace

TARNWELL_PLUGIN_EXPORT void* InitDLL() {
    return static_cast<DllInterface*>(new (std::nothrow) FileSaverChannel());
}

TARNWELL_PLUGIN_EXPORT void* GetType() {
    static ChannelType type = MakeType();
    return &type;
}
