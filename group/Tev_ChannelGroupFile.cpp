// Channel group: saving and loading the group file. Groups are not read from or written to
// files yet; every operation answers false. A pool name read from a file must be set with
// SetPoolName: the engine's table follows pool names through it.
#include "Tev_ChannelGroup.h"

bool Tev_ChannelGroup::SaveChannelGroup(TevFileSaver&) { return false; }

bool Tev_ChannelGroup::SaveChannelGroup(const char*) { return false; }

bool Tev_ChannelGroup::LoadChannelGroupFromFile(const char*, bool) { return false; }

bool Tev_ChannelGroup::LoadChannelGroupFromBuffer(const char*, int, void*, bool) { return false; }

bool Tev_ChannelGroup::LoadChannelGroup(TevFileLoader&, bool) { return false; }
