// Private: what a group tells the engine about its public calls, so that the engine knows
// where the calls sit that it answered. Implemented by the engine (EngineServices.cpp).
#pragma once

class EngineInterface;
class Tev_Channel;
class Tev_ChannelGroup;

namespace publicindex {

// A public call of a group that offers its public channels.
void CallArriving(EngineInterface* engine, Tev_ChannelGroup* group, Tev_Channel* call);

}  // namespace publicindex
