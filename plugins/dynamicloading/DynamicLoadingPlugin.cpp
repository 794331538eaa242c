// Entry points of dynamicloading.dll.
#include "ChannelPlugin.h"
#include "DynamicLoadingChannel.h"
#include "PluginChannels.h"

TARNWELL_CHANNEL_PLUGIN(DynamicLoadingChannel, "Dynamic Loading", TEV_DYNAMICLOADING_GUID,
                        TEV_DYNAMICLOADING_GUID)
