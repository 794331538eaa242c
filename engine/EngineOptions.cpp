// What a host asks of the engine's group loads.
#include "EngineInterface.h"
#include "TarnwellHost.h"
#include "engine/Engine.h"
#include "group/GroupLoadOptions.h"

bool grouploadoptions::KeepUnknownChannels(EngineInterface* engine) {
    return engine && engine->engine && engine->engine->keepUnknownChannels;
}

int TevSetKeepUnknownChannels(EngineInterface* engine, int keep) {
    if (!engine || !engine->engine) return -1;
    const int previous = engine->engine->keepUnknownChannels ? 1 : 0;
    engine->engine->keepUnknownChannels = keep != 0;
    return previous;
}
