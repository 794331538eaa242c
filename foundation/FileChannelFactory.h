// Shared by the two file facades: making their channel and reporting its absence.
#pragma once

#include "DebugMessages.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"
#include "platform/Module.h"

namespace filechannel {

// The channel made for the type, or NULL when none (or one of another class) is made.
// A facade may outlive the engine, which frees its plug-ins when it shuts down; so the
// facade's channel holds its own reference to its module, dropped by Destroy.
template <class ChannelClass>
ChannelClass* Create(EngineInterface* engine, const _GUID& type) {
    if (!engine) return NULL;
    Tev_Channel* made = engine->InitChannelFromType(type, NULL, false);
    ChannelClass* channel = dynamic_cast<ChannelClass*>(made);
    // Without its own reference the channel could not be deleted safely later.
    if (!channel || !platform::ReferenceModule(channel->dllInstance)) {
        delete made;
        return NULL;
    }
    return channel;
}

// Deletes a channel made by Create, then lets its module go: the channel's destructor runs
// in that module.
template <class ChannelClass>
void Destroy(ChannelClass* channel) {
    if (!channel) return;
    HINSTANCE module = channel->dllInstance;
    delete channel;
    if (module) platform::FreeModule(module);
}

// Without an engine the message still reaches the sink, if there is one.
inline void ReportMissing(EngineInterface* engine, const char* text) {
    if (engine) {
        engine->showErrorMessage(text);
    } else {
        ShowErrorMessage fallback;
        fallback(text);
    }
}

}  // namespace filechannel
