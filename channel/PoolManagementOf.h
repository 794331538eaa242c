// Private: the pool manager a channel reaches through its engine interface, or NULL for a
// channel made outside an engine.
#pragma once

#include "EngineInterface.h"
#include "EngineInterfaceExt.h"

class ChannelPoolManagement;

inline ChannelPoolManagement* PoolManagementOf(EngineInterface* engine) {
    return engine && engine->engineInterfaceExt ? engine->engineInterfaceExt->GetChannelPoolManagement()
                                                : nullptr;
}
