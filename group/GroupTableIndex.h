// Private: what a group tells the engine. The table finds its groups by pool name through an
// index; a group in the table reports a rename around the change, so the index follows. A
// channel a group deletes leaves the engine's queue of channels waiting to be relinked.
// Implemented by the engine (EngineGroupTable.cpp).
#pragma once

class EngineInterface;
class Tev_Channel;
class Tev_ChannelGroup;

namespace grouptable {

void PoolNameLeaving(EngineInterface* engine, Tev_ChannelGroup* group);   // before the rename
void PoolNameArriving(EngineInterface* engine, Tev_ChannelGroup* group);  // after the rename
void ChannelLeaving(EngineInterface* engine, Tev_Channel* channel);       // before it is deleted

}  // namespace grouptable
