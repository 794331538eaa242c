#include "Player.h"

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cstdio>
#include <memory>
#include <thread>
#include <vector>

#include "EngineControl.h"
#include "GroupReload.h"
#include "MessageRelay.h"
#include "PlayerCheck.h"
#include "PlayerRestores.h"
#include "PlayerStats.h"
#include "PlayerTrace.h"
#include "StopSignals.h"
#include "TarnwellHost.h"
#include "ToolDiagnostics.h"

namespace {

// Set by a signal handler (POSIX) or on the console's event thread (Windows): lock-free atomics
// serve both.
std::atomic<bool> stopRequested{false};
std::atomic<bool> inFrameLoop{false};
static_assert(std::atomic<bool>::is_always_lock_free);

// In the frame loop a stop signal ends the loop after the current frame. A second one, or
// one that arrives anywhere else (start-up, project load, shutdown: steps that may wait on
// the system), ends the process as the signal would have without a handler. Two events at
// once on Windows' event threads: one takes the stop, the other is the second.
void RequestStop(int signalNumber) {
    if (!inFrameLoop || stopRequested.exchange(true)) {
        EndAsWithoutHandler(signalNumber);
        return;
    }
    KeepCatchingStopSignal(signalNumber, &RequestStop);
}

// Waits until `until`, or less when a stop is requested meanwhile.
template <class Clock>
void WaitUntil(typename Clock::time_point until) {
    const auto slice = std::chrono::milliseconds(50);
    for (auto now = Clock::now(); !stopRequested && now < until; now = Clock::now())
        std::this_thread::sleep_for(std::min<typename Clock::duration>(until - now, slice));
}

std::string ProjectCodeText(int code, const std::string& path) {
    switch (code) {
        case TEV_PROJECT_LOADED:
            return "project loaded";
        case TEV_PROJECT_LOADER_FAILED:
            if (!path.empty()) return "the project loader could not read " + path;
            return "the file dialog channel could not be made or the project loader failed";
        case TEV_PROJECT_NEEDS_UPDATE:
            return "the project needs a newer engine or a plug-in it carries could not be restored";
        case TEV_PROJECT_NO_PATH:
            return "no project: no path given and none chosen in the file dialog";
        case TEV_PROJECT_NO_START_GROUP:
            return "the project was read but its start group could not be loaded";
        default:
            return "unknown result";
    }
}

// What watches a run: the trace file, the frame statistics, the status line; each optional.
struct Watchers {
    TraceWriter* trace = nullptr;
    FrameStats* stats = nullptr;
    StatusLine* status = nullptr;
    GroupReload* reload = nullptr;  // --watch
};

// The kernel's trace hook has no context: it reaches the one run of this process here.
Watchers* currentWatchers = nullptr;

const char* TraceCategory(int kind) {
    return kind == TEV_TRACE_PLUGIN_LOAD || kind == TEV_TRACE_PLUGIN_TYPE ? "plugin" : "group";
}

const char* TraceName(int kind) {
    switch (kind) {
        case TEV_TRACE_GROUP_LOAD:
            return "group load";
        case TEV_TRACE_GROUP_MAKE:
            return "background group made";
        case TEV_TRACE_BACKGROUND_READ:
            return "background group read";
        case TEV_TRACE_PLUGIN_LOAD:
            return "plug-in load";
        case TEV_TRACE_PLUGIN_TYPE:
            return "plug-in type read";
        default:
            return "kernel work";
    }
}

std::string FileNameOf(const char* path) {
    std::string text = path;
    const size_t slash = text.find_last_of("/\\");
    return slash == std::string::npos ? text : text.substr(slash + 1);
}

void OnKernelSpan(int kind, const char* name, long long start, long long end) {
    Watchers* watchers = currentWatchers;
    if (!watchers) return;
    if (watchers->trace)
        watchers->trace->Span(TraceCategory(kind), std::string(TraceName(kind)) + " " + FileNameOf(name),
                              start, end, "\"file\":" + TraceWriter::Quote(name));
    // Only the host's thread makes groups; workers never touch the status line.
    if (kind == TEV_TRACE_GROUP_MAKE && watchers->status)
        watchers->status->NoteBackgroundGroup(FileNameOf(name));
}

// Times a step of the engine into the trace.
template <class Step>
auto Traced(Watchers& watchers, const char* name, Step step) {
    const long long start = TevTraceClock();
    auto result = step();
    if (watchers.trace) watchers.trace->Span("engine", name, start, TevTraceClock());
    return result;
}

// Runs frames until `frames` are done (-1: no limit) or a stop signal; answers the count run.
long RunFrames(EngineControl* control, long frames, double fps, Watchers& watchers) {
    using Clock = std::chrono::steady_clock;
    const auto period =
        fps > 0 ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps))
                : Clock::duration::zero();
    auto next = Clock::now();
    long done = 0;
    while (!stopRequested && (frames < 0 || done < frames)) {
        const long long start = TevTraceClock();
        // Reloads take place here, between two frames, and count to the frame they begin.
        const int reloads = watchers.reload ? watchers.reload->AtFrameBoundary(start) : 0;
        if (reloads && watchers.trace) watchers.trace->Span("engine", "group reload", start, TevTraceClock());
        control->EngineLoop();
        const long long end = TevTraceClock();
        ++done;
        if (watchers.trace)
            watchers.trace->Span("frame", "frame", start, end, "\"frame\":" + std::to_string(done));
        if (watchers.stats) watchers.stats->Add(end - start);
        if (watchers.stats && reloads) watchers.stats->AddReloadFrame(end - start);
        if (watchers.status) watchers.status->AfterFrame(done, end, stdout);
        // No wait after the last frame.
        if (period == Clock::duration::zero() || done == frames) continue;
        next += period;
        auto now = Clock::now();
        if (next > now)
            WaitUntil<Clock>(next);
        else
            next = now;  // running late: do not try to catch up with a burst of frames
    }
    return done;
}

// A project load, with every file it restores named; a failed one says why.
int LoadProject(EngineControl* control, const PlayerOptions& options, Watchers& watchers) {
    RestoreReport restores;
    const int code = Traced(watchers, "project load", [&] { return control->LoadProject(); });
    std::printf("vantor-player: LoadProject answered %d: %s\n", code,
                ProjectCodeText(code, options.projectPath).c_str());
    if (code != TEV_PROJECT_LOADED && !options.projectPath.empty())
        ExplainFailedLoad(control, options.projectPath.c_str());
    return code;
}

// Start, project load (or check), frames, shutdown.
int RunEngine(const PlayerOptions& options, Watchers& watchers, toolengine::Diagnostics& diagnostics) {
    // Outlives the host: the handler hears the shutdown too.
    MessageRelay messages(&diagnostics);
    TevEngineHost host;
    if (diagnostics.Active() || options.watch) {
        host.SetMessageHandler(&MessageRelay::OnKernelMessage, &messages, true);
        host.SetHearStart(diagnostics.Active());
    }
    const int started = Traced(watchers, "engine start", [&] {
        return host.Start(options.installDir.c_str(), options.registryKey.c_str(), "Vantor Player");
    });
    if (started == TEV_HOST_NO_CONTROL) {
        std::fprintf(stderr, "vantor-player: %s\n", host.Failure());
        return kPlayerNoEngineControl;
    }
    if (started != TEV_HOST_STARTED) {
        std::fprintf(stderr, "vantor-player: InitEngine failed: the engine did not start in %s\n",
                     options.installDir.c_str());
        return kPlayerInitFailed;
    }
    EngineControl* control = host.Control();
    std::vector<char> commandLine(options.projectPath.begin(), options.projectPath.end());
    commandLine.push_back('\0');
    if (!options.projectPath.empty()) control->SetCommandLine(commandLine.data());
    // With --json standard output carries the JSON object alone.
    std::fprintf(options.json ? stderr : stdout,
                 "vantor-player: engine started (install directory %s, registry key %s)\n",
                 options.installDir.c_str(), options.registryKey.c_str());

    if (options.keepUnknown) TevSetKeepUnknownChannels(control->GetEngineInterface(), 1);
    if (options.check) return RunCheck(control, options.projectPath.c_str(), options.json);

    const int code = LoadProject(control, options, watchers);
    inFrameLoop = true;  // from here to the end of the frames a stop signal ends the loop
    const bool noProjectAsked = options.projectPath.empty() && code == TEV_PROJECT_NO_PATH;
    int status = kPlayerOk;
    if (code != TEV_PROJECT_LOADED && !noProjectAsked) status = kPlayerProjectCodeBase + code;

    // A project that failed to load has nothing to run; without a project the engine still
    // runs frames when asked to (each one returns at once).
    long frames = 0;
    if (code == TEV_PROJECT_LOADED)
        frames = options.frames;  // -1: until a signal
    else if (options.projectPath.empty())
        frames = options.frames < 0 ? 0 : options.frames;
    if (code == TEV_PROJECT_LOADED)
        std::printf("vantor-player: keep-running flag of the project: %s\n",
                    control->GetIfKeepRunningApplication() ? "set" : "not set");

    StatusLine statusLine(control, TevTraceClock());
    if (options.status) watchers.status = &statusLine;
    std::unique_ptr<GroupReload> reload;
    if (options.watch && code == TEV_PROJECT_LOADED) {
        reload = std::make_unique<GroupReload>(control->GetEngineInterface(), messages, options.watchPoll);
        watchers.reload = reload.get();
    }
    const auto start = std::chrono::steady_clock::now();
    const long ran = frames == 0 ? 0 : RunFrames(control, frames, options.fps, watchers);
    inFrameLoop = false;
    watchers.status = nullptr;
    watchers.reload = nullptr;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("vantor-player: ran %ld frame%s in %.3f s%s%s\n", ran, ran == 1 ? "" : "s", seconds,
                code == TEV_PROJECT_LOADED ? "" : " without a project",
                stopRequested ? " (stopped by a signal)" : "");

    Traced(watchers, "engine shutdown", [&] {
        host.Stop();
        return true;
    });
    std::printf("vantor-player: engine shut down\n");
    return status;
}

}  // namespace

void InstallStopSignals() { CatchStopSignals(&RequestStop); }

int RunPlayer(const PlayerOptions& options) {
    if (options.version) {
        std::printf("%s\n", toolengine::VersionLine("vantor-player").c_str());
        return kPlayerOk;
    }
    toolengine::Diagnostics diagnostics("vantor-player");
    diagnostics.Set(options.verbose, options.logPath);
    std::string logError;
    if (!diagnostics.Open(logError)) {
        std::fprintf(stderr, "vantor-player: %s\n", logError.c_str());
        return kPlayerTraceFailed;
    }
    Watchers watchers;
    TraceWriter trace;
    FrameStats stats;
    if (!options.tracePath.empty()) {
        std::string error;
        if (!trace.Open(options.tracePath, error)) {
            std::fprintf(stderr, "vantor-player: %s\n", error.c_str());
            return kPlayerTraceFailed;
        }
        watchers.trace = &trace;
    }
    if (options.stats) watchers.stats = &stats;
    currentWatchers = &watchers;
    // Set before the engine starts and cleared once it is gone: no worker outlives it.
    if (watchers.trace || options.status) TevSetTraceHandler(&OnKernelSpan);

    int status = RunEngine(options, watchers, diagnostics);

    TevSetTraceHandler(nullptr);
    currentWatchers = nullptr;
    if (watchers.trace && !trace.Close()) {
        std::fprintf(stderr, "vantor-player: writing the trace file %s failed\n", options.tracePath.c_str());
        if (status == kPlayerOk) status = kPlayerTraceFailed;
    } else if (watchers.trace) {
        std::printf("vantor-player: trace written to %s\n", options.tracePath.c_str());
    }
    if (options.stats) std::printf("vantor-player: %s\n", stats.Summary().c_str());
    if (options.stats && !stats.ReloadSummary().empty())
        std::printf("vantor-player: %s\n", stats.ReloadSummary().c_str());
    return status;
}
