// Building a channel group one channel at a time, as an editor or a generator does
// (AddChannel, then SetChild to its parent), and loading a group's file again into the loaded
// group (LoadChannelGroupFromFile, which releases what the group holds first). Trees as in
// TreeFiles.h; a fresh load of the same file is the yardstick of the reload.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>

#include "TreeFiles.h"

namespace {

using treefiles::Shared;

void BM_AddChannelsOneByOne(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    EngineInterface* engine = Shared().Engine();
    for (auto _ : state) {
        auto group = std::make_unique<Tev_ChannelGroup>(engine);
        for (int i = 0; i < count; i++) {
            Tev_Channel* channel = engine->InitChannelFromType(kTestCounterGuid, nullptr, false);
            const int position = group->AddChannel(channel);
            if (i > 0)
                group->GetChannel((position - 1) / treefiles::kFanOut)
                    ->SetChild(channel, (position - 1) % treefiles::kFanOut, 0);
        }
        if (group->GetChannelCount() != count) state.SkipWithError("channels missing");
        state.PauseTiming();  // deleting the group is not building it
        group.reset();
        state.ResumeTiming();
    }
    state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_AddChannelsOneByOne)->Arg(10000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

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
