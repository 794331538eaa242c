// Entry points of compress.dll.
#include "ChannelPlugin.h"
#include "CompressChannel.h"
#include "format/CompressedLayerFormat.h"

TARNWELL_CHANNEL_PLUGIN(CompressChannel, "Group Compression", compressedlayer::kTranslatorGuid,
                        compressedlayer::kTranslatorGuid)
