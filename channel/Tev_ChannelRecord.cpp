// The channel's record in a group file. Reading and writing the record come with the group
// file work; until then a channel neither writes nor reads one.
#include "Tev_Channel.h"

bool Tev_Channel::SaveChannel(TevFileSaver&) { return false; }

bool Tev_Channel::LoadChannel(TevFileLoader&, Tev_ChannelGroup*) { return false; }
