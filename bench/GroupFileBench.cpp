// Saving, loading, walking and releasing tree-shaped channel groups of 10,000, 100,000 and
// 1,000,000 channels (see TreeFiles.h). The floor is reading the same file and computing its
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

#include "TevFileLoader.h"
#include "TreeFiles.h"

namespace {

using treefiles::Shared;

void Sizes(benchmark::internal::Benchmark* bench) {
    bench->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);
}

void BM_SaveTree(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Tev_ChannelGroup* tree = Shared().Tree(count);
    std::string path = Shared().Path(count) + ".save";
    for (auto _ : state) benchmark::DoNotOptimize(tree->SaveChannelGroup(path.c_str()));
    state.counters["file_bytes"] = static_cast<double>(Shared().FileSize(count));
}
BENCHMARK(BM_SaveTree)->Apply(Sizes);

// One frame over the tree: every test counter channel calls its children.
void BM_WalkTree(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    Tev_ChannelGroup* tree = Shared().Tree(count);
    for (auto _ : state) tree->CallStartChannel();
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_WalkTree)->Apply(Sizes);

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

std::unique_ptr<Tev_ChannelGroup> LoadedTree(const std::string& path, benchmark::State& state) {
    auto group = std::make_unique<Tev_ChannelGroup>(Shared().Engine());
    if (!group->LoadChannelGroupFromFile(path.c_str(), true)) state.SkipWithError("load failed");
    return group;
}

void BM_LoadTree(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = Shared().File(count);
    long faults = 0, loads = 0;
    for (auto _ : state) {
        const long faultsBefore = MinorFaults();
        const auto begin = std::chrono::steady_clock::now();
        auto group = LoadedTree(path, state);
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
BENCHMARK(BM_LoadTree)->Apply(Sizes);

// Release() of a loaded group: every channel goes through the full removal path.
void BM_ReleaseLoadedTree(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = Shared().File(count);
    for (auto _ : state) {
        state.PauseTiming();
        auto group = LoadedTree(path, state);
        state.ResumeTiming();
        group->Release();
        state.PauseTiming();
        group.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_ReleaseLoadedTree)->Apply(Sizes);

void BM_ReadAndCrcFloor(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = Shared().File(count);
    for (auto _ : state) {
        TevFileLoader loader(Shared().Engine());
        loader.LoadFile(path.c_str());
        benchmark::DoNotOptimize(loader.GetCRC());
    }
    state.counters["file_bytes"] = static_cast<double>(Shared().FileSize(count));
}
BENCHMARK(BM_ReadAndCrcFloor)->Apply(Sizes);

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
