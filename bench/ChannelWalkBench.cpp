// One frame's walk over a channel tree of 100,000 channels (fan-out 8): through the channel
// graph (GetChildCount, GetChild, CallChannel) and, as the yardstick, a plain C++ walk over
// the same objects through std::vector children and the same virtual call.
#include <benchmark/benchmark.h>

#include <memory>
#include <vector>

#include "ChildCreation.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"

namespace {

constexpr int kFanOut = 8;

class WalkChannel : public Tev_Channel {
public:
    // Inner channels have one multiple position accepting every type; leaves have none.
    void DeclarePosition() {
        ChildCreation anyType;
        SetChildCreateType(anyType, 0);
    }
    void CallChannel() override { ++calls; }
    ChannelType GetChannelType() override { return ChannelType(); }

    std::vector<WalkChannel*> plainChildren;
    long calls = 0;
};

class Tree {
public:
    Tree(EngineInterface* engine, int count) {
        EngineInterface* saved = globalEngine;
        globalEngine = engine;
        channels.reserve(count);
        for (int i = 0; i < count; ++i) channels.push_back(std::make_unique<WalkChannel>());
        globalEngine = saved;
        for (int i = 0; i * kFanOut + 1 < count; ++i) channels[i]->DeclarePosition();
        for (int i = 1; i < count; ++i) {
            WalkChannel* parent = channels[(i - 1) / kFanOut].get();
            parent->SetChild(channels[i].get(), -1, 0);
            parent->plainChildren.push_back(channels[i].get());
        }
    }
    WalkChannel* Root() { return channels[0].get(); }
    long Calls() {
        long total = 0;
        for (auto& channel : channels) total += channel->calls;
        return total;
    }

private:
    std::vector<std::unique_ptr<WalkChannel>> channels;
};

void GraphWalk(Tev_Channel* channel) {
    channel->CallChannel();
    int count = channel->GetChildCount();
    for (int i = 0; i < count; ++i) {
        Tev_Channel* child = channel->GetChild(i);
        if (child) GraphWalk(child);
    }
}

void PlainWalk(WalkChannel* channel) {
    channel->CallChannel();
    for (WalkChannel* child : channel->plainChildren) PlainWalk(child);
}

// A started facade is not needed: the walk only asks it whether calls are tracked.
struct Engine {
    Engine() : facade(new EngineInterface()) {}
    ~Engine() {
        facade->engineInterfaceExt->Release();
        delete facade;
    }
    EngineInterface* facade;
};

template <void (*Walk)(WalkChannel*)>
void RunWalk(benchmark::State& state, EngineInterface* facade) {
    const int count = static_cast<int>(state.range(0));
    Tree tree(facade, count);
    for (auto _ : state) Walk(tree.Root());
    if (tree.Calls() != static_cast<long>(state.iterations()) * count) state.SkipWithError("walk missed channels");
    state.SetItemsProcessed(state.iterations() * count);
}

void GraphWalkFrom(WalkChannel* root) { GraphWalk(root); }

void BM_PlainWalk(benchmark::State& state) {
    Engine engine;
    RunWalk<PlainWalk>(state, engine.facade);
}

void BM_GraphWalk(benchmark::State& state) {
    Engine engine;
    RunWalk<GraphWalkFrom>(state, engine.facade);
}

void BM_GraphWalkWithoutEngine(benchmark::State& state) { RunWalk<GraphWalkFrom>(state, nullptr); }

}  // namespace

// 100,000 channels is the frame of the goal; the small trees show the walk with warm caches.
BENCHMARK(BM_PlainWalk)->Arg(100000)->Arg(4096)->Arg(512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GraphWalk)->Arg(100000)->Arg(4096)->Arg(512)->Unit(benchmark::kMicrosecond);
BENCHMARK(BM_GraphWalkWithoutEngine)->Arg(100000)->Arg(4096)->Arg(512)->Unit(benchmark::kMicrosecond);

BENCHMARK_MAIN();
