// One frame's walk over a channel tree (fan-out 8) of 512, 4,096 and 100,000 channels.
//
// Plain: the yardstick, a plain C++ walk over the benchmark's own channels through
// std::vector children (the compiler devirtualizes and unrolls it); PlainVirtual: the same walk
// kept to a virtual call and one function call per channel, as a graph walk must be (the
// compiler still guesses the class there and inlines the call behind a check; PlainIndirect
// keeps the indirect call the graph walk makes). Graph: the same objects walked through the
// channel graph (GetChildCount, GetChild, CallChannel), with an engine facade that is asked
// whether calls are tracked, and without one.
//
// Plug-in: the shape of real use. The channels are made by a plug-in (walkchannel.dll)
// through InitChannelFromType in a started engine and put into a group at shuffled positions;
// the tree follows the group positions (position j hangs below position (j - 1) / 8) and is
// linked in position order, so neither the channels nor their link records lie in walk
// order. Each channel's own CallChannel calls its children through GetChild (compiled into
// the plug-in). PluginPlain walks the very same objects through a std::vector (the compiler
// guesses their class and inlines the call); PluginPlainVirtual keeps the virtual call.
//
// Link: one parent linked to 10,000 and 100,000 children at one multiple position.
//
// Memory: resident bytes per channel of a 100,000-channel plug-in tree in its group (resident
// memory before and after building it, /proc/self/statm), reported as bytes_per_channel.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <unistd.h>

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <memory>
#include <numeric>
#include <random>
#include <string>
#include <vector>

#include "ChannelInternal.h"
#include "ChildCreation.h"
#include "DllInterface.h"
#include "EngineInterface.h"
#include "EngineInterfaceExt.h"
#include "Tev_Channel.h"
#include "Tev_ChannelGroup.h"
#include "fixtures/walkchannel/WalkChannels.h"
#include "support/TestEngine.h"

namespace {

constexpr int kFanOut = 8;
constexpr int kMemoryTreeSize = 100000;

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

// PlainWalk as the compiler leaves it: it knows every channel is a WalkChannel, so it drops the
// virtual call and unrolls the recursion. This one keeps what any walk over channels pays, a
// virtual CallChannel through Tev_Channel* and one call per channel, and only that.
__attribute__((noinline)) void PlainVirtualWalk(Tev_Channel* channel) {
    channel->CallChannel();
    for (WalkChannel* child : static_cast<WalkChannel*>(channel)->plainChildren) PlainVirtualWalk(child);
}

void PlainVirtualWalkFrom(WalkChannel* root) { PlainVirtualWalk(root); }

// PlainVirtualWalk still lets the compiler guess the class from the cast and inline the call
// behind a check of the table slot; GraphWalk cannot guess. This one keeps the call an indirect
// call, as the plug-in's PlainVirtual walk does: a reference beside the yardstick, not a goal.
#if defined(__GNUC__) && !defined(__clang__)
__attribute__((optimize("no-devirtualize-speculatively")))
#endif
__attribute__((noinline)) void PlainIndirectWalk(Tev_Channel* channel) {
    channel->CallChannel();
    for (WalkChannel* child : static_cast<WalkChannel*>(channel)->plainChildren) PlainIndirectWalk(child);
}

void PlainIndirectWalkFrom(WalkChannel* root) { PlainIndirectWalk(root); }

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

void BM_PlainVirtualWalk(benchmark::State& state) {
    Engine engine;
    RunWalk<PlainVirtualWalkFrom>(state, engine.facade);
}

void BM_PlainIndirectWalk(benchmark::State& state) {
    Engine engine;
    RunWalk<PlainIndirectWalkFrom>(state, engine.facade);
}

void BM_GraphWalk(benchmark::State& state) {
    Engine engine;
    RunWalk<GraphWalkFrom>(state, engine.facade);
}

void BM_GraphWalkWithoutEngine(benchmark::State& state) { RunWalk<GraphWalkFrom>(state, nullptr); }

// One parent linked to n children at its one multiple position, in one frame's time.
void BM_LinkManyToOnePosition(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    WalkChannel child;
    for (auto _ : state) {
        WalkChannel parent;
        parent.DeclarePosition();
        for (int i = 0; i < count; ++i) parent.SetChild(&child, -1, 0);
        if (parent.GetChildCount() != count + 1) state.SkipWithError("links missing");
    }
    state.SetItemsProcessed(state.iterations() * count);
}

// A started engine that knows the walk channel plug-in besides the standard ones.
tarnwell_test::TestEngine& PluginEngine() {
    static tarnwell_test::TestEngine* engine = [] {
        tarnwell_test::TestEngineOptions options;
        options.pluginPaths = {std::string(TARNWELL_BENCH_CHANNELS_DIR) + "/" + WALK_CHANNEL_DLL};
        options.forwardToErrorLog = false;
        return new tarnwell_test::TestEngine(options);
    }();
    return *engine;
}

// A group of plug-in channels at shuffled positions, linked as a tree in position order.
class PluginTree {
public:
    PluginTree(int count, bool plainLinks) : engine(PluginEngine().Engine()) {
        static int serial = 0;
        const std::string name = "Walk " + std::to_string(++serial);
        group = engine->CreateNewGroup(name.c_str(), false, 0);
        if (!group) return;
        std::vector<int> positions(count);
        std::iota(positions.begin(), positions.end(), 0);
        std::shuffle(positions.begin(), positions.end(), std::mt19937(count));
        for (int position : positions) {
            Tev_Channel* channel = engine->InitChannelFromType(kWalkChannelGuid, nullptr, false);
            if (!channel) {
                for (const auto& message : PluginEngine().Messages()) std::fprintf(stderr, "%s\n", message.text.c_str());
                return;
            }
            group->SetChannel(channel, position);
            channelInternal.SetChannelIDIndexNr(channel, position);
            channelInternal.SetChannelGroup(channel, group);
        }
        for (int j = 1; j < count; ++j) {
            Tev_Channel* parent = group->GetChannel((j - 1) / kFanOut);
            parent->SetChild(group->GetChannel(j), -1, 0);
            if (plainLinks) At((j - 1) / kFanOut)->plainChildren.push_back(At(j));
        }
        built = true;
    }
    ~PluginTree() {
        if (group) engine->DeleteChannelGroup(group->GetGroupIndex());
    }
    bool Built() const { return built; }
    WalkChannelCalls* At(int position) { return static_cast<WalkChannelCalls*>(group->GetChannel(position)); }
    long Calls() {
        long total = 0;
        for (int i = 0; i < group->GetChannelCount(); ++i) total += At(i)->GetCallCount();
        return total;
    }

private:
    EngineInterface* engine;
    Tev_ChannelGroup* group = nullptr;
    bool built = false;
};

enum class PluginWalk { Plain, PlainVirtual, Graph };

template <PluginWalk Walk>
void RunPluginWalk(benchmark::State& state) {
    const int count = static_cast<int>(state.range(0));
    PluginTree tree(count, Walk != PluginWalk::Graph);
    if (!tree.Built()) {
        state.SkipWithError("plug-in tree not built (walkchannel.dll missing?)");
        return;
    }
    WalkChannelCalls* root = tree.At(0);
    for (auto _ : state) {
        if (Walk == PluginWalk::Plain)
            root->CallPlain();
        else if (Walk == PluginWalk::PlainVirtual)
            root->CallPlainVirtual();
        else
            root->CallChannel();
    }
    if (tree.Calls() != static_cast<long>(state.iterations()) * count) state.SkipWithError("walk missed channels");
    state.SetItemsProcessed(state.iterations() * count);
}

void BM_PluginPlainWalk(benchmark::State& state) { RunPluginWalk<PluginWalk::Plain>(state); }
void BM_PluginPlainVirtualWalk(benchmark::State& state) { RunPluginWalk<PluginWalk::PlainVirtual>(state); }
void BM_PluginGraphWalk(benchmark::State& state) { RunPluginWalk<PluginWalk::Graph>(state); }

long ResidentBytes() {
    long size = 0, resident = 0;
    std::FILE* statm = std::fopen("/proc/self/statm", "r");
    if (!statm) return -1;
    if (std::fscanf(statm, "%ld %ld", &size, &resident) != 2) resident = -1;
    std::fclose(statm);
    return resident < 0 ? -1 : resident * sysconf(_SC_PAGESIZE);
}

void BM_PluginTreeMemory(benchmark::State& state) {
    PluginEngine();
    double perChannel = 0;
    for (auto _ : state) {
        malloc_trim(0);
        const long before = ResidentBytes();
        PluginTree tree(kMemoryTreeSize, false);
        const long after = ResidentBytes();
        if (!tree.Built() || before < 0 || after < 0) {
            state.SkipWithError("tree or /proc/self/statm unavailable");
            return;
        }
        perChannel = static_cast<double>(after - before) / kMemoryTreeSize;
    }
    state.counters["bytes_per_channel"] = perChannel;
}

// 100,000 channels is the frame of the goal; the small trees show the walk with warm caches.
// WALK_BENCH_ITERATIONS=n fixes the iteration count, for instruction counts under callgrind.
void Sizes(benchmark::internal::Benchmark* bench) {
    bench->Arg(100000)->Arg(4096)->Arg(512)->Unit(benchmark::kMicrosecond);
    if (const char* iterations = std::getenv("WALK_BENCH_ITERATIONS")) bench->Iterations(std::atoi(iterations));
}

}  // namespace

// Memory first, on a heap that has not held a tree yet.
BENCHMARK(BM_PluginTreeMemory)->Iterations(1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_PlainWalk)->Apply(Sizes);
BENCHMARK(BM_PlainVirtualWalk)->Apply(Sizes);
BENCHMARK(BM_PlainIndirectWalk)->Apply(Sizes);
BENCHMARK(BM_GraphWalk)->Apply(Sizes);
BENCHMARK(BM_GraphWalkWithoutEngine)->Apply(Sizes);
BENCHMARK(BM_PluginPlainWalk)->Apply(Sizes);
BENCHMARK(BM_PluginPlainVirtualWalk)->Apply(Sizes);
BENCHMARK(BM_PluginGraphWalk)->Apply(Sizes);
BENCHMARK(BM_LinkManyToOnePosition)->Arg(10000)->Arg(100000)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
