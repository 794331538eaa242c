// Saving and loading tree-shaped channel groups of 10,000 and 100,000 channels (fan-out 8,
// every parent linked to its children). Tree nodes are spread over the group's positions by a
// fixed permutation, so children are saved both before and after their parents and loading
// makes both immediate and deferred links. The floor is reading the same file and computing its
// CRC-32, which every load does at least.
//
// The first load of a size in the process is reported apart at the end: it is the only one
// whose channels land in memory the process never touched before, so it pays a page fault for
// every page of them (counted as page_faults_per_load), where later loads reuse freed memory.
#include <benchmark/benchmark.h>

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "ChannelInternal.h"
#include "EngineInterface.h"
#include "TevFileLoader.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/testchannels/TestChannels.h"
#include "support/TestEngine.h"

namespace {

const int kFanOut = 8;
const long kSpread = 7919;  // prime: coprime to both sizes, so the mapping is a permutation

struct Fixture {
    Fixture() {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths.push_back(TARNWELL_TEST_CHANNELS_DIR);
        options.forwardToErrorLog = false;
        engine = std::make_unique<tarnwell_test::TestEngine>(options);
    }
    ~Fixture() {
        trees.clear();  // the channels go before the engine closes their modules
    }

    // The tree of `count` channels, built once, and the file it was saved to.
    Tev_ChannelGroup* Tree(int count) {
        auto found = trees.find(count);
        if (found != trees.end()) return found->second.get();
        auto group = std::make_unique<Tev_ChannelGroup>(engine->Engine());
        // Placed directly: AddChannel looks for the channel first, which would make building
        // the tree quadratic.
        for (int i = 0; i < count; i++) {
            Tev_Channel* channel = engine->Engine()->InitChannelFromType(kTestCounterGuid, nullptr, false);
            channelInternal.SetChannelIDIndexNr(channel, i);
            channelInternal.SetChannelGroup(channel, group.get());
            group->SetChannel(channel, i);
        }
        for (int node = 1; node < count; node++) {
            Tev_Channel* parent = group->GetChannel(Position((node - 1) / kFanOut, count));
            parent->SetChild(group->GetChannel(Position(node, count)), (node - 1) % kFanOut, 0);
        }
        Tev_ChannelGroup* tree = group.get();
        trees[count] = std::move(group);
        tree->SaveChannelGroup(Path(count).c_str());
        return tree;
    }

    static int Position(int node, int count) { return static_cast<int>(node * kSpread % count); }

    std::string Path(int count) const { return dir.Path() + "/tree" + std::to_string(count) + ".cgr"; }

    long FileSize(int count) const {
        std::FILE* file = std::fopen(Path(count).c_str(), "rb");
        if (!file) return 0;
        std::fseek(file, 0, SEEK_END);
        long size = std::ftell(file);
        std::fclose(file);
        return size;
    }

    std::unique_ptr<tarnwell_test::TestEngine> engine;
    tarnwell_test::TempDir dir{"tarnwell-groupbench"};
    std::map<int, std::unique_ptr<Tev_ChannelGroup>> trees;
};

Fixture& Shared() {
    static Fixture fixture;
    return fixture;
}

void BM_SaveTree(benchmark::State& state) {
    Fixture& fixture = Shared();
    int count = static_cast<int>(state.range(0));
    Tev_ChannelGroup* tree = fixture.Tree(count);
    std::string path = fixture.Path(count) + ".save";
    for (auto _ : state) benchmark::DoNotOptimize(tree->SaveChannelGroup(path.c_str()));
    state.counters["file_bytes"] = static_cast<double>(fixture.FileSize(count));
}
BENCHMARK(BM_SaveTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

long MinorFaults() {
    rusage usage;
    getrusage(RUSAGE_THREAD, &usage);
    return usage.ru_minflt;
}

struct FirstLoad {
    double seconds = -1;
    long faults = 0;
};
std::map<int, FirstLoad> firstLoads;

void BM_LoadTree(benchmark::State& state) {
    Fixture& fixture = Shared();
    int count = static_cast<int>(state.range(0));
    fixture.Tree(count);
    std::string path = fixture.Path(count);
    long faults = 0, loads = 0;
    for (auto _ : state) {
        const long faultsBefore = MinorFaults();
        const auto begin = std::chrono::steady_clock::now();
        auto group = std::make_unique<Tev_ChannelGroup>(fixture.engine->Engine());
        if (!group->LoadChannelGroupFromFile(path.c_str(), true)) state.SkipWithError("load failed");
        state.PauseTiming();  // deleting the group is not loading it
        const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - begin).count();
        faults += MinorFaults() - faultsBefore;
        loads++;
        FirstLoad& first = firstLoads[count];
        if (first.seconds < 0) {
            first.seconds = seconds;
            first.faults = MinorFaults() - faultsBefore;
        }
        group.reset();
        state.ResumeTiming();
    }
    state.counters["channels"] = count;
    state.counters["page_faults_per_load"] = loads ? double(faults) / double(loads) : 0;
}
BENCHMARK(BM_LoadTree)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReadAndCrcFloor(benchmark::State& state) {
    Fixture& fixture = Shared();
    int count = static_cast<int>(state.range(0));
    fixture.Tree(count);
    std::string path = fixture.Path(count);
    for (auto _ : state) {
        TevFileLoader loader(fixture.engine->Engine());
        loader.LoadFile(path.c_str());
        benchmark::DoNotOptimize(loader.GetCRC());
    }
    state.counters["file_bytes"] = static_cast<double>(fixture.FileSize(count));
}
BENCHMARK(BM_ReadAndCrcFloor)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    for (const auto& first : firstLoads)
        std::printf("first load of %d channels in this process: %.1f ms, %ld page faults\n", first.first,
                    first.second.seconds * 1e3, first.second.faults);
    return 0;
}
