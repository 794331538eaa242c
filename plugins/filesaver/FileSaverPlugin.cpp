// Entry points of filesaver.dll.
#include "ChannelPlugin.h"
#include "FileSaverChannel.h"

TARNWELL_CHANNEL_PLUGIN(FileSaverChannel, "File Saver", TEV_FILESAVER_TYPE, TEV_FILESAVER_TYPE)
