// Entry points of Directory.dll.
#include "ChannelPlugin.h"
#include "DirectoryChannel.h"

namespace {

// {6F1C2A55-3B7E-4D2A-9C41-2E8D5B0A7F13}
constexpr _GUID kDirectoryGuid = {0x6F1C2A55, 0x3B7E, 0x4D2A, {0x9C, 0x41, 0x2E, 0x8D, 0x5B, 0x0A, 0x7F, 0x13}};

}  // namespace

TARNWELL_CHANNEL_PLUGIN(DirectoryChannel, "Directory Lister", kDirectoryGuid, kDirectoryGuid)
