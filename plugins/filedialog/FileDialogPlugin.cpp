// Entry points of filedialog.dll.
#include <cstring>
#include <new>

#include "ChannelType.h"
#include "FileDialogChannel.h"

namespace {

ChannelType MakeType() {
    ChannelType type;
    std::strncpy(type.typeName, "File Dialog", sizeof(type.typeName) - 1);
    type.typeGuid = TEV_FILEDIALOG_GUID;
    type.baseGuid = TEV_FILEDIALOG_GUID;
    return type;
}

}  // namespace

TARNWELL_PLUGIN_EXPORT void* InitDLL() { return static_cast<DllInterface*>(new (std::nothrow) FileDialogChannel()); }

TARNWELL_PLUGIN_EXPORT void* GetType() {
    static ChannelType type = MakeType();
    return &type;
}
