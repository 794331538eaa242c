// The one way hosts start an engine: a control made and started in an install directory, the
// kernel's messages passed to the host through a sink in front of the engine's own, and the
// reason of a refused start kept in the kernel's words.
#include <string>

#include "DebugMessages.h"
#include "EngineControl.h"
#include "TarnwellHost.h"
#include "platform/MessageBox.h"

namespace {

const char* const kNoControl = "no engine control object (out of memory)";
const char* const kNotStarted = "the engine did not start in ";

// Sits in front of the engine's sink while the engine runs. It keeps the switch the kernel
// turns off while a thread close waits, as every sink must.
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

    TevMessageHandler handler = nullptr;
    void* context = nullptr;
    bool forward = true;
    DebugOutPut* engineSink = nullptr;  // not owned: it goes with the engine
};

// The boxes a start shows, kept for the failure text and passed on to the handler in place.
// Starts run on the host's thread; the box handler has no context, hence the one collector.
class BoxCollector {
public:
    BoxCollector() : previous(platform::SetMessageBoxHandler(&Collect)) { active = this; }
    ~BoxCollector() {
        platform::SetMessageBoxHandler(previous);
        active = nullptr;
    }
    BoxCollector(const BoxCollector&) = delete;
    BoxCollector& operator=(const BoxCollector&) = delete;

    std::string first;

private:
    static void Collect(const char* caption, const char* text, unsigned style) {
        if (!active) return;
        if (active->first.empty()) active->first = text ? text : "";
        platform::MessageBoxHandler next =
            active->previous ? active->previous : platform::DefaultMessageBoxHandler();
        next(caption, text, style);
    }

    static BoxCollector* active;
    platform::MessageBoxHandler previous;
};

BoxCollector* BoxCollector::active = nullptr;

}  // namespace

struct TevEngineHost::State {
    EngineControl* control = nullptr;
    HostSink sink;
    std::string failure;
};

TevEngineHost::TevEngineHost() : state(new State()) {}

TevEngineHost::~TevEngineHost() {
    Stop();
    delete state;
}

void TevEngineHost::SetMessageHandler(TevMessageHandler handler, void* context, bool forward) {
    state->sink.handler = handler;
    state->sink.context = context;
    state->sink.forward = forward;
}

int TevEngineHost::Start(const char* installDir, const char* registryKey, const char* className) {
    if (state->control) return TEV_HOST_STARTED;
    state->failure.clear();
    EngineControl* control = GetEngineControlInstance();
    if (!control) {
        state->failure = kNoControl;
        return TEV_HOST_NO_CONTROL;
    }
    control->SetInstallDir(installDir ? installDir : "");
    control->SetVantorRegKey(registryKey ? registryKey : "");
    std::string windowClass = className ? className : "";
    BoxCollector boxes;
    if (!control->InitEngine(nullptr, &windowClass[0], nullptr)) {
        state->failure = std::string(kNotStarted) + (installDir ? installDir : "");
        if (!boxes.first.empty()) state->failure += ": " + boxes.first;
        delete control;
        return TEV_HOST_NOT_STARTED;
    }
    state->control = control;
    HostSink& sink = state->sink;
    sink.engineSink = debugOutPut;
    sink.SetUseDebug(true);
    // Without a handler and with forwarding the engine's own sink serves unchanged.
    if (sink.handler || !sink.forward) debugOutPut = &sink;
    return TEV_HOST_STARTED;
}

void TevEngineHost::Stop() {
    if (!state->control) return;
    // The engine's sink goes with the engine: it is published again before, so that the
    // engine clears the global it knows.
    if (debugOutPut == &state->sink) debugOutPut = state->sink.engineSink;
    delete state->control;
    state->control = nullptr;
    state->sink.engineSink = nullptr;
}

EngineControl* TevEngineHost::Control() const { return state->control; }

EngineInterface* TevEngineHost::Engine() const {
    return state->control ? state->control->GetEngineInterface() : nullptr;
}

DebugOutPut* TevEngineHost::EngineSink() const { return state->sink.engineSink; }

const char* TevEngineHost::Failure() const { return state->failure.c_str(); }
