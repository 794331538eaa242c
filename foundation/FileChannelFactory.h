// Shared by the two file facades: making their channel and reporting its absence.
#pragma once

#include "DebugMessages.h"
#include "EngineInterface.h"
#include "Tev_Channel.h"

namespace filechannel {

// The channel made for the type, or NULL when none (or one of another class) is made.
template <class ChannelClass>
ChannelClass* Create(EngineInterface* engine, const _GUID& type) {
    if (!engine) return NULL;
    Tev_Channel* made = engine->InitChannelFromType(type, NULL, false);
    ChannelClass* channel = dynamic_cast<ChannelClass*>(made);
    if (!channel) delete made;
    return channel;
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
