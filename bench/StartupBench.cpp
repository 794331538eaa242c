// Engine start-up over 200 channel plug-ins, without and with a current channel.lst.
//
// The plug-ins are 200 copies of the loader probe test plug-in, made at set-up in a temporary
// directory as loaderprobe_<n>.dll; the probe derives its type GUID from the number in its
// own file name, so the copies are 200 distinct types from one build. Every probe logs each
// type query (an exported GetType call, which the engine makes once per module load in a
// scan) to a log file, so the second start-up can be checked to load none of them.
//
// Cold: channel.lst removed before each start: every module is loaded and asked for its type.
// Warm: channel.lst written by the previous shutdown: the scan should load no probe.
// Warm, relative: the same, the install directory named relative to the working directory
// (the cache was written for its absolute spelling).
// The closing lines give both means, their ratio and the probes loaded per warm start.
#include <benchmark/benchmark.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "fixtures/loadertest/LoaderTestChannels.h"
#include "support/LoaderSupport.h"
#include "support/TestEngine.h"

namespace fs = std::filesystem;
using namespace tarnwell_test;

namespace {

constexpr int kProbeCount = 200;

struct Installation {
    TempDir probes{"tarnwell-probes"};
    std::unique_ptr<TypeQueryLog> log;
    std::unique_ptr<TestEngine> engine;

    Installation() {
        for (int i = 1; i <= kProbeCount; i++) {
            char name[64];
            std::snprintf(name, sizeof(name), "loaderprobe_%03d.dll", i);
            fs::copy_file(TestChannelPath(LOADER_PROBE_DLL), fs::path(probes.Path()) / name);
        }
        log.reset(new TypeQueryLog());
        TestEngineOptions options;
        options.pluginPaths = {probes.Path()};
        options.start = false;
        options.forwardToErrorLog = false;
        engine.reset(new TestEngine(options));
    }
    ~Installation() {
        engine.reset();
        log.reset();
    }
    std::string CachePath() const { return engine->InstallDir() + "/channel.lst"; }
};

Installation& Install() {
    static Installation installation;
    return installation;
}

struct Totals {
    double seconds = 0;
    long starts = 0;
    long probeQueries = 0;
    double Mean() const { return starts ? seconds / starts : 0; }
};
Totals cold, warm, warmRelative;

// Times one start-up; the shutdown (which writes channel.lst) is not timed. A relative start
// runs from the install directory's parent.
void TimedStart(benchmark::State& state, Totals& totals, bool removeCache, bool relative = false) {
    Installation& install = Install();
    state.PauseTiming();
    if (removeCache) fs::remove(install.CachePath());
    install.log->Clear();
    const fs::path absolute = install.engine->InstallDir();
    const fs::path workingDir = fs::current_path();
    if (relative) fs::current_path(absolute.parent_path());
    const std::string spelling = relative ? absolute.filename().string() : absolute.string();
    state.ResumeTiming();
    const auto begin = std::chrono::steady_clock::now();
    const bool started = install.engine->Start(spelling);
    const auto end = std::chrono::steady_clock::now();
    state.PauseTiming();
    fs::current_path(workingDir);
    if (!started) state.SkipWithError("engine did not start");
    totals.seconds += std::chrono::duration<double>(end - begin).count();
    totals.starts++;
    totals.probeQueries += install.log->Count("Loader Probe");
    install.engine->Stop();
    state.ResumeTiming();
}

void BM_StartWithoutCache(benchmark::State& state) {
    long before = cold.probeQueries, startsBefore = cold.starts;
    for (auto _ : state) TimedStart(state, cold, true);
    state.counters["probes_loaded_per_start"] =
        double(cold.probeQueries - before) / double(std::max(1L, cold.starts - startsBefore));
}

void BM_StartWithCurrentCache(benchmark::State& state) {
    // The cache of a complete scan (before the timed loop).
    Install().engine->Start();
    Install().engine->Stop();
    long before = warm.probeQueries, startsBefore = warm.starts;
    for (auto _ : state) TimedStart(state, warm, false);
    state.counters["probes_loaded_per_start"] =
        double(warm.probeQueries - before) / double(std::max(1L, warm.starts - startsBefore));
}

void BM_StartWithCurrentCacheFromRelativeDirectory(benchmark::State& state) {
    Install().engine->Start();
    Install().engine->Stop();
    long before = warmRelative.probeQueries, startsBefore = warmRelative.starts;
    for (auto _ : state) TimedStart(state, warmRelative, false, true);
    state.counters["probes_loaded_per_start"] = double(warmRelative.probeQueries - before) /
                                                double(std::max(1L, warmRelative.starts - startsBefore));
}

BENCHMARK(BM_StartWithoutCache)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartWithCurrentCache)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_StartWithCurrentCacheFromRelativeDirectory)->Unit(benchmark::kMillisecond)->Iterations(10);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    if (cold.starts && warm.starts) {
        std::printf("start-up over %d plug-ins: without cache %.2f ms, with cache %.2f ms, ratio %.1f\n", kProbeCount,
                    cold.Mean() * 1e3, warm.Mean() * 1e3, warm.Mean() > 0 ? cold.Mean() / warm.Mean() : 0.0);
        std::printf("probe modules loaded per start: without cache %.1f, with cache %.1f\n",
                    double(cold.probeQueries) / cold.starts, double(warm.probeQueries) / warm.starts);
    }
    if (cold.starts && warmRelative.starts)
        std::printf("relative install directory: with cache %.2f ms, ratio %.1f, probes loaded %.1f\n",
                    warmRelative.Mean() * 1e3, warmRelative.Mean() > 0 ? cold.Mean() / warmRelative.Mean() : 0.0,
                    double(warmRelative.probeQueries) / warmRelative.starts);
    return 0;
}
