// The tree of 100,000 channels (see TreeFiles.h) saved and loaded plain and compressed (the
// writer's compression switch at zlib levels 1 and 6): time per save and per load, with the
// file's size as file_bytes.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <memory>
#include <string>

#include "FileLoaderChannels.h"
#include "TevFileSaver.h"
#include "TreeFiles.h"
#include "format/CompressedLayerFormat.h"

namespace {

using treefiles::Shared;

constexpr int kChannels = 100000;

std::string PathAt(int level) { return Shared().Path(kChannels) + ".level" + std::to_string(level); }

bool Save(Tev_ChannelGroup* tree, int level) {
    TevFileSaver saver(Shared().Engine());
    saver.GetFileSaverChannel()->DoEvent(compressedlayer::kCompressEvent, static_cast<TevEventData>(level));
    return saver.OpenSaveFile(PathAt(level).c_str(), false) && tree->SaveChannelGroup(saver);
}

double FileBytes(const std::string& path) {
    std::FILE* file = std::fopen(path.c_str(), "rb");
    if (!file) return 0;
    std::fseek(file, 0, SEEK_END);
    const long size = std::ftell(file);
    std::fclose(file);
    return static_cast<double>(size);
}

void Levels(benchmark::internal::Benchmark* bench) {
    bench->Arg(0)->Arg(1)->Arg(6)->Unit(benchmark::kMillisecond);
}

void BM_SaveTreeAtLevel(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    Tev_ChannelGroup* tree = Shared().Tree(kChannels);
    for (auto _ : state)
        if (!Save(tree, level)) state.SkipWithError("save failed");
    state.counters["file_bytes"] = FileBytes(PathAt(level));
}
BENCHMARK(BM_SaveTreeAtLevel)->Apply(Levels);

void BM_LoadTreeAtLevel(benchmark::State& state) {
    const int level = static_cast<int>(state.range(0));
    if (!Save(Shared().Tree(kChannels), level)) state.SkipWithError("save failed");
    const std::string path = PathAt(level);
    for (auto _ : state) {
        auto group = std::make_unique<Tev_ChannelGroup>(Shared().Engine());
        if (!group->LoadChannelGroupFromFile(path.c_str(), true)) state.SkipWithError("load failed");
        state.PauseTiming();  // deleting the group is not loading it
        group.reset();
        state.ResumeTiming();
    }
    state.counters["file_bytes"] = FileBytes(path);
}
BENCHMARK(BM_LoadTreeAtLevel)->Apply(Levels);

}  // namespace

BENCHMARK_MAIN();
