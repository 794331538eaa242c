// Building a channel group one channel at a time, as an editor or a generator does
// (AddChannel, then SetChild to its parent; the channels are made first), and loading a group's file again into the loaded
// group (LoadChannelGroupFromFile, which releases what the group holds first). Trees as in
// TreeFiles.h; a fresh load of the same file is the yardstick of the reload.
#include <benchmark/benchmark.h>

#include <chrono>
#include <memory>
#include <string>
#include <vector>

#include "TreeFiles.h"

namespace {

using treefiles::Shared;

// The time is AddChannel and SetChild; making the channels (InitChannelFromType) beforehand is
// counted apart, as making_ms.
void BM_AddChannelsOneByOne(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    EngineInterface* engine = Shared().Engine();
    double making = 0;
    for (auto _ : state) {
        auto group = std::make_unique<Tev_ChannelGroup>(engine);
        std::vector<Tev_Channel*> channels(count);
        const auto begin = std::chrono::steady_clock::now();
        for (Tev_Channel*& channel : channels) channel = engine->InitChannelFromType(kTestCounterGuid, nullptr, false);
        const auto made = std::chrono::steady_clock::now();
        for (int i = 0; i < count; i++) {
            const int position = group->AddChannel(channels[i]);
            if (i > 0)
                group->GetChannel((position - 1) / treefiles::kFanOut)
                    ->SetChild(channels[i], (position - 1) % treefiles::kFanOut, 0);
        }
        const auto added = std::chrono::steady_clock::now();
        if (group->GetChannelCount() != count) state.SkipWithError("channels missing");
        making += std::chrono::duration<double>(made - begin).count();
        state.SetIterationTime(std::chrono::duration<double>(added - made).count());
    }
    state.counters["making_ms"] = making * 1e3 / static_cast<double>(state.iterations());
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddChannelsOneByOne)->Arg(10000)->Arg(100000)->Arg(1000000)->UseManualTime()->Unit(benchmark::kMillisecond);

void BM_FreshLoad(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = Shared().File(count);
    for (auto _ : state) {
        auto group = std::make_unique<Tev_ChannelGroup>(Shared().Engine());
        if (!group->LoadChannelGroupFromFile(path.c_str(), true)) state.SkipWithError("load failed");
        state.PauseTiming();
        group.reset();
        state.ResumeTiming();
    }
}
BENCHMARK(BM_FreshLoad)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_ReloadLoadedGroup(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    const std::string path = Shared().File(count);
    auto group = std::make_unique<Tev_ChannelGroup>(Shared().Engine());
    if (!group->LoadChannelGroupFromFile(path.c_str(), true)) state.SkipWithError("load failed");
    for (auto _ : state)
        if (!group->LoadChannelGroupFromFile(path.c_str(), true)) state.SkipWithError("reload failed");
}
BENCHMARK(BM_ReloadLoadedGroup)->Arg(10000)->Arg(30000)->Arg(100000)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
