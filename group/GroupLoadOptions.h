// Private: what a host asked of group loads on its engine. Implemented by the engine
// (EngineOptions.cpp), which keeps the answers.
#pragma once

class EngineInterface;

namespace grouploadoptions {

// Channels of types no installed plug-in makes load as placeholders, and blocks a plug-in
// leaves unread are kept; both are written back unchanged.
bool KeepUnknownChannels(EngineInterface* engine);

}  // namespace grouploadoptions
