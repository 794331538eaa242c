#include "Player.h"

#include <signal.h>

#include <algorithm>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <thread>
#include <vector>

#include "EngineControl.h"

namespace {

volatile std::sig_atomic_t stopRequested = 0;
volatile std::sig_atomic_t inFrameLoop = 0;

// In the frame loop a stop signal ends the loop after the current frame. A second one, or
// one that arrives anywhere else (start-up, project load, shutdown: steps that may wait on
// the system), ends the process as the signal would have without a handler.
void RequestStop(int signalNumber) {
    if (stopRequested || !inFrameLoop) {
        std::signal(signalNumber, SIG_DFL);
        std::raise(signalNumber);
        return;
    }
    stopRequested = 1;
}

// Waits until `until`, or less when a stop is requested meanwhile.
template <class Clock>
void WaitUntil(typename Clock::time_point until) {
    const auto slice = std::chrono::milliseconds(50);
    for (auto now = Clock::now(); !stopRequested && now < until; now = Clock::now())
        std::this_thread::sleep_for(std::min<typename Clock::duration>(until - now, slice));
}

const char* ProjectCodeText(int code) {
    switch (code) {
        case TEV_PROJECT_LOADED:
            return "project loaded";
        case TEV_PROJECT_LOADER_FAILED:
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

// Runs frames until `frames` are done (-1: no limit) or a stop signal; answers the count run.
long RunFrames(EngineControl* control, long frames, double fps) {
    using Clock = std::chrono::steady_clock;
    const auto period =
        fps > 0 ? std::chrono::duration_cast<Clock::duration>(std::chrono::duration<double>(1.0 / fps))
                : Clock::duration::zero();
    auto next = Clock::now();
    long done = 0;
    while (!stopRequested && (frames < 0 || done < frames)) {
        control->EngineLoop();
        ++done;
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

}  // namespace

void InstallStopSignals() {
    struct sigaction action = {};
    action.sa_handler = &RequestStop;
    sigemptyset(&action.sa_mask);
    sigaction(SIGINT, &action, nullptr);
    sigaction(SIGTERM, &action, nullptr);
}

int RunPlayer(const PlayerOptions& options) {
    EngineControl* control = GetEngineControlInstance();
    if (!control) {
        std::fprintf(stderr, "vantor-player: no engine control object (out of memory)\n");
        return kPlayerNoEngineControl;
    }
    control->SetInstallDir(options.installDir.c_str());
    control->SetVantorRegKey(options.registryKey.c_str());
    std::vector<char> commandLine(options.projectPath.begin(), options.projectPath.end());
    commandLine.push_back('\0');
    if (!options.projectPath.empty()) control->SetCommandLine(commandLine.data());

    char className[] = "Vantor Player";
    if (!control->InitEngine(nullptr, className, nullptr)) {
        std::fprintf(stderr, "vantor-player: InitEngine failed: the engine did not start in %s\n",
                     options.installDir.c_str());
        delete control;
        return kPlayerInitFailed;
    }
    std::printf("vantor-player: engine started (install directory %s, registry key %s)\n",
                options.installDir.c_str(), options.registryKey.c_str());

    const int code = control->LoadProject();
    inFrameLoop = 1;  // from here to the end of the frames a stop signal ends the loop
    const bool noProjectAsked = options.projectPath.empty() && code == TEV_PROJECT_NO_PATH;
    std::printf("vantor-player: LoadProject answered %d: %s\n", code, ProjectCodeText(code));
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

    const auto start = std::chrono::steady_clock::now();
    const long ran = frames == 0 ? 0 : RunFrames(control, frames, options.fps);
    inFrameLoop = 0;
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("vantor-player: ran %ld frame%s in %.3f s%s%s\n", ran, ran == 1 ? "" : "s", seconds,
                code == TEV_PROJECT_LOADED ? "" : " without a project",
                stopRequested ? " (stopped by a signal)" : "");

    delete control;
    std::printf("vantor-player: engine shut down\n");
    return status;
}
