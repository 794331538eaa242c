// Private: the sink a TevEngineHost puts in front of the engine's own. It stays in place
// through the shutdown, and when the host asks, it is in place from the moment the engine
// publishes its sink, so the handler hears what a start says (the plug-in scan, a module that
// does not load and why).
#pragma once

#include "DebugMessages.h"
#include "TarnwellHost.h"

// Keeps the switch the kernel turns off while a thread close waits, as every sink must.
class HostSink : public DebugOutPut {
public:
    void ShowDebugMessage(DebugMessage* message) override {
        if (!useDebug || !message) return;
        if (handler) {
            const char* text = message->GetDebugMessage();
            handler(message->GetMessageType(), text ? text : "", context);
        }
        if (forward && engineSink) engineSink->ShowDebugMessage(message);
    }
    // Whether it stands in front of the engine's sink at all: without a handler and with
    // forwarding the engine's sink serves unchanged.
    bool Needed() const { return handler || !forward; }

    TevMessageHandler handler = nullptr;
    void* context = nullptr;
    bool forward = true;
    DebugOutPut* engineSink = nullptr;  // not owned: it goes with the engine
};

namespace hostsink {

// The sink of the host whose engine is starting (set around InitEngine on the host's
// thread), or NULL.
extern HostSink* starting;

// What an engine that has just made its sink publishes in debugOutPut: the starting host's
// sink in front of it, or the engine's sink alone.
DebugOutPut* Publish(DebugOutPut* engineSink);

}  // namespace hostsink
