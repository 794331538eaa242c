// Entry points of filedialog.dll.
#include "ChannelPlugin.h"
#include "FileDialogChannel.h"

TARNWELL_CHANNEL_PLUGIN(FileDialogChannel, "File Dialog", TEV_FILEDIALOG_GUID, TEV_FILEDIALOG_GUID)
