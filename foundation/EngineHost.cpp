// The one way hosts start an engine: a control made and started in an install directory, the
// kernel's messages passed to the host through a sink in front of the engine's own, and the
// reason of a refused start kept in the kernel's words.
#include <string>

#include "DebugMessages.h"
#include "EngineControl.h"
#include "TarnwellHost.h"
#include "foundation/HostSink.h"
#include "platform/MessageBox.h"

namespace {

const char* const kNoControl = "no engine control object (out of memory)";
const char* const kNotStarted = "the engine did not start in ";

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

namespace hostsink {

HostSink* starting = nullptr;

DebugOutPut* Publish(DebugOutPut* engineSink) {
    if (!starting || !engineSink) return engineSink;
    starting->engineSink = engineSink;
    starting->SetUseDebug(true);
    return starting;
}

}  // namespace hostsink

struct TevEngineHost::State {
    EngineControl* control = nullptr;
    HostSink sink;
    bool hearStart = false;
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

void TevEngineHost::SetHearStart(bool hear) { state->hearStart = hear; }

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
    HostSink& sink = state->sink;
    hostsink::starting = sink.Needed() && state->hearStart ? &sink : nullptr;
    const bool started = control->InitEngine(nullptr, &windowClass[0], nullptr);
    hostsink::starting = nullptr;
    if (!started) {
        state->failure = std::string(kNotStarted) + (installDir ? installDir : "");
        if (!boxes.first.empty()) state->failure += ": " + boxes.first;
        delete control;
        sink.engineSink = nullptr;
        return TEV_HOST_NOT_STARTED;
    }
    state->control = control;
    if (sink.Needed() && debugOutPut != &sink) {
        sink.engineSink = debugOutPut;
        sink.SetUseDebug(true);
        debugOutPut = &sink;
    }
    return TEV_HOST_STARTED;
}

void TevEngineHost::Stop() {
    if (!state->control) return;
    // The host's sink stays in front while the engine shuts down, so the handler hears what
    // the shutdown says; the engine unpublishes the global together with its own sink.
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
