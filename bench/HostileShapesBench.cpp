// Shapes of group files that once made loading nest without bound, grow with the square of
// their size or ask for gigabytes: a chain of 5,000 files each autoloading the next, one file
// of 2,000 calls waiting for a group nobody loads, one file whose calls load it again under
// 300 and 600 pool names, and a pool a million levels deep. Each iteration loads (or builds)
// the shape and releases it again; heap_mb is what the shape held at its peak.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "ChannelPoolManagement.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "support/PublicCallShapes.h"
#include "support/ReloadSupport.h"
#include "support/TestEngine.h"

namespace {

const int kChain = 5000;
const int kWaiting = 2000;
const int kPoolDepth = 1000000;

double Megabytes(size_t bytes) { return static_cast<double>(bytes) / (1024.0 * 1024.0); }

struct Shapes {
    Shapes() : files("tarnwell-shapes", tarnwell_test::ManyFilesParent()) {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        options.forwardToErrorLog = false;
        engine = std::make_unique<tarnwell_test::TestEngine>(options);
    }
    EngineInterface* Api() { return engine->Engine(); }

    tarnwell_test::TempDir files;
    std::unique_ptr<tarnwell_test::TestEngine> engine;
};

Shapes& TheShapes() {
    static Shapes* shapes = new Shapes();  // lives until exit: the files stay for every run
    return *shapes;
}

// Loads `file` from the shape directory and releases every group again.
void LoadAndRelease(benchmark::State& state, const std::string& file, int groupsExpected) {
    Shapes& shapes = TheShapes();
    double peak = 0;
    for (auto _ : state) {
        const size_t before = tarnwell_test::HeapInUse();
        Tev_ChannelGroup* group =
            shapes.Api()->LoadChannelGroup((shapes.files.Path() + file).c_str(), nullptr);
        peak = Megabytes(tarnwell_test::HeapInUse() - before);
        if (!group || shapes.Api()->GetChannelGroupCount() != groupsExpected) {
            state.SkipWithError("the shape did not load as expected");
            break;
        }
        shapes.Api()->engineInterfaceExt->ReleaseGroups();
    }
    state.counters["heap_mb"] = peak;
}

void BM_AutoloadChain(benchmark::State& state) {
    static const bool saved =
        tarnwell_test::SaveAutoloadChain(TheShapes().Api(), TheShapes().files.Path(), kChain);
    if (!saved) return state.SkipWithError("could not save the chain");
    LoadAndRelease(state, "/g0.cgr", kChain);
}
BENCHMARK(BM_AutoloadChain)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_WaitingCalls(benchmark::State& state) {
    static const bool saved = tarnwell_test::SaveWaitingCalls(
        TheShapes().Api(), TheShapes().files.Path() + "/waiting.cgr", kWaiting);
    if (!saved) return state.SkipWithError("could not save the waiting calls");
    LoadAndRelease(state, "/waiting.cgr", 1);
}
BENCHMARK(BM_WaitingCalls)->Unit(benchmark::kMillisecond);

// Every copy of the file waits for every other: calls² public calls in calls + 1 groups.
void BM_SelfCalls(benchmark::State& state) {
    const int calls = static_cast<int>(state.range(0));
    Shapes& shapes = TheShapes();
    const std::string dir = shapes.files.Path() + "/self" + std::to_string(calls);
    std::error_code failed;
    std::filesystem::create_directories(dir, failed);
    if (!tarnwell_test::SaveSelfCalling(shapes.Api(), dir, calls))
        return state.SkipWithError("could not save the self calling group");
    LoadAndRelease(state, "/self" + std::to_string(calls) + "/self.cgr", calls + 1);
}
BENCHMARK(BM_SelfCalls)->Arg(300)->Arg(600)->Unit(benchmark::kMillisecond)->Iterations(1);

// A member a million pools down, found by a user of the top pool, and released again.
void BM_DeepPool(benchmark::State& state) {
    Shapes& shapes = TheShapes();
    std::string path = "Top";
    for (int level = 0; level < kPoolDepth; level++) path += "@a";
    ChannelPoolManagement* pools = shapes.Api()->engineInterfaceExt->GetChannelPoolManagement();
    double peak = 0;
    for (auto _ : state) {
        const size_t before = tarnwell_test::HeapInUse();
        Tev_ChannelGroup* group = shapes.Api()->CreateNewGroup("Pools", false, -1);
        Tev_Channel* member = shapes.Api()->InitChannelFromType(kTestRootGuid, group, false);
        Tev_Channel* user = shapes.Api()->InitChannelFromType(kTestRootGuid, group, false);
        if (!member || !user || !pools->CreatePoolItem(path.c_str(), member)) {
            state.SkipWithError("the pool could not be made");
            break;
        }
        user->SetIfUsePoolChannel(true);
        channelInternal.AddPoolToChannel(user, "Top");
        if (user->GetPoolChannel(0) != member) state.SkipWithError("the member was not found");
        peak = Megabytes(tarnwell_test::HeapInUse() - before);
        shapes.Api()->DeleteChannelGroup(group->GetGroupIndex());
    }
    state.counters["heap_mb"] = peak;
}
BENCHMARK(BM_DeepPool)->Unit(benchmark::kMillisecond)->Iterations(1);

}  // namespace

BENCHMARK_MAIN();
