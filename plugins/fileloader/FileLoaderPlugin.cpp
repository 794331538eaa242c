// Entry points of fileloader.dll.
#include "ChannelPlugin.h"
#include "FileLoaderChannel.h"

TARNWELL_CHANNEL_PLUGIN(FileLoaderChannel, "File Loader", TEV_FILELOADER_TYPE, TEV_FILELOADER_TYPE)
