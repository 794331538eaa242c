// Private: what a group tells the engine's group table. The table finds its groups by pool
// name through an index; a group in the table reports a rename around the change, so the
// index follows. Implemented by the engine (EngineGroupTable.cpp).
#pragma once

class EngineInterface;
class Tev_ChannelGroup;

namespace grouptable {

void PoolNameLeaving(EngineInterface* engine, Tev_ChannelGroup* group);   // before the rename
void PoolNameArriving(EngineInterface* engine, Tev_ChannelGroup* group);  // after the rename

}  // namespace grouptable
