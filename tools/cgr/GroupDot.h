// A loaded channel group as a Graphviz DOT graph: one node per channel (name, type, index,
// role), one edge per link (labelled with link position and slot), public calls pointing out
// of the group to a node for their target group, and pools as clusters of their members.
#pragma once

#include <string>

class EngineInterface;
class Tev_ChannelGroup;

namespace cgrdot {

// Channel nodes carry the class "channel", target group nodes the class "group", so that a
// drawing's channels can be told apart from the groups they call.
std::string GroupToDot(EngineInterface* engine, Tev_ChannelGroup* group, const std::string& title);

}  // namespace cgrdot
