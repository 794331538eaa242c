// Entry points of fileloader.dll.
#include <cstring>
#include <new>

#include "ChannelType.h"
#include "FileLoaderChannel.h"

namespace {

ChannelType MakeType() {
    ChannelType type;
    std::strncpy(type.typeName, "File Loader", sizeof(type.typeName) - 1);
    type.typeGuid = TEV_FILELOADER_TYPE;
    type.baseGuid = TEV_FILELOADER_TYPE;
    return type;
}

}  // namespace

TARNWELL_PLUGIN_EXPORT void* InitDLL() {
    return static_cast<DllInterface*>(new (std::nothrow) FileLoaderChannel());
}

TARNWELL_PLUGIN_EXPORT void* GetType() {
    static ChannelType type = MakeType();
    return &type;
}
