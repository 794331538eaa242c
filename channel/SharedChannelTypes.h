// One copy of a module's channel type for all the channels it makes, instead of one per channel.
#pragma once

#include "ChannelType.h"
#include "TarnwellTypes.h"

class EngineInterface;

namespace sharedtypes {

// The module's type as the engine reads it, kept while the module stays loaded and handed out
// again while the module answers the same. Only a channel whose code (channelCode, its virtual
// table) lies in the module shares it: nothing else is sure to be gone before the module is
// unloaded, which frees the copies. A type without GUID (what an engine that is not running
// answers), or one for a channel outside the module, is not kept: the caller gets a copy of its
// own. Null without an engine or without room.
ChannelType* For(EngineInterface* engine, HINSTANCE module, const void* channelCode);

// Whether type is one of those copies, which no channel owns.
bool IsShared(const ChannelType* type);

}  // namespace sharedtypes
